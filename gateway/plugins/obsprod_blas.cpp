// v = obsprod_blas (Xt, Y, I, J, L): obsprod with each dot product summed by
// the BLAS (ddot).
#include "lowrank.h"
#include "lowrank/blas.h"

TOOLBOX_GATEWAY(obsprod_blas)
{
    gw::products(call, [](const lowrank::Factors& f, const lowrank::Samples& s, double* v,
                          const tbx::Exec& ex) { lowrank::obsprodBlasKernel(TOOLBOX_DDOT, f, s, v, ex); });
}
