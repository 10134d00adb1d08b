// nzfill_blas (S, v, L): nzfill with the copy done by the BLAS (dcopy).
#include "lowrank.h"
#include "lowrank/blas.h"

TOOLBOX_GATEWAY(nzfill_blas)
{
    gw::fill(call, [](double* S, const double* v, int64_t n, const tbx::Exec& ex) {
        lowrank::nzfillBlasKernel(TOOLBOX_DCOPY, S, v, n, ex);
    });
}
