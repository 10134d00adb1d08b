// nzfill (S, v, L): overwrites the first L stored values of S with v, in place.
#include "checks.h"
#include "kernels.h"
#include "mexentry.h"

MEX_ENTRY void mexFunction(int nlhs, mxArray*[], int nrhs, const mxArray* prhs[])
{
    const lowrank::NzfillInputs in = lowrank::nzfillInputs("nzfill", nlhs, nrhs, prhs);
    lowrank::nzfillKernel(in.S, in.v, in.n);
}
