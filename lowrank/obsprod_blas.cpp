// v = obsprod_blas (Xt, Y, I, J, L): obsprod with each dot product summed by
// the BLAS (ddot_).
#include "blas.h"
#include "checks.h"
#include "mexentry.h"

MEX_ENTRY void mexFunction(int nlhs, mxArray* plhs[], int nrhs, const mxArray* prhs[])
{
    const lowrank::ObsprodInputs in = lowrank::obsprodInputs("obsprod_blas", nlhs, nrhs, prhs);

    plhs[0] = mxCreateDoubleMatrix(1, static_cast<mwSize>(in.L), mxREAL);
    lowrank::obsprodBlasKernel(ddot_, in.r, in.L, in.Xt, in.Y, in.I, in.J, mxGetPr(plhs[0]));
}
