// v = obsprod (Xt, Y, I, J, L): products of two factors at sampled positions.
#include "checks.h"
#include "kernels.h"
#include "mexentry.h"

MEX_ENTRY void mexFunction(int nlhs, mxArray* plhs[], int nrhs, const mxArray* prhs[])
{
    const lowrank::ObsprodInputs in = lowrank::obsprodInputs("obsprod", nlhs, nrhs, prhs);

    plhs[0] = mxCreateDoubleMatrix(1, static_cast<mwSize>(in.L), mxREAL);
    lowrank::obsprodKernel(in.r, in.L, in.Xt, in.Y, in.I, in.J, mxGetPr(plhs[0]));
}
