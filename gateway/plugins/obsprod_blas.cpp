// v = obsprod_blas (Xt, Y, I, J, L): obsprod with each dot product summed by
// the BLAS (ddot_).
#include "lowrank.h"
#include "lowrank/blas.h"

TOOLBOX_GATEWAY(obsprod_blas)
{
    gw::products(call, [](const lowrank::Factors& f, const lowrank::Samples& s, double* v,
                          const tbx::Exec& ex) { lowrank::obsprodBlasKernel(ddot_, f, s, v, ex); });
}
