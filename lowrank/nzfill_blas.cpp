// nzfill_blas (S, v, L): nzfill with the copy done by the BLAS (dcopy_).
#include "blas.h"
#include "checks.h"
#include "mexentry.h"

MEX_ENTRY void mexFunction(int nlhs, mxArray*[], int nrhs, const mxArray* prhs[])
{
    const lowrank::NzfillInputs in = lowrank::nzfillInputs("nzfill_blas", nlhs, nrhs, prhs);
    lowrank::copyInChunks(dcopy_, in.n, in.v, in.S);
}
