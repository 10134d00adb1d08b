// Q = pairsq (X): squared distances between all points of X.
#include <limits>

#include "kernels.h"
#include "mexargs.h"
#include "mexentry.h"

MEX_ENTRY void mexFunction(int, mxArray* plhs[], int nrhs, const mxArray* prhs[])
{
    if (nrhs < 1)
        gw::fail("pairsq", "noInput", "one input needed: Q = pairsq (X)");
    if (!mxIsDouble(prhs[0]))
        mexErrMsgTxt("Input of inproper type");
    if (mxIsSparse(prhs[0]) || mxIsComplex(prhs[0]))
        gw::fail("pairsq", "notRealFull", "X must be a real, full (non-sparse) double array");

    const int64_t d = static_cast<int64_t>(mxGetM(prhs[0]));
    const int64_t n = static_cast<int64_t>(mxGetN(prhs[0]));
    const double* X = mxGetPr(prhs[0]);

    // The n*n doubles of Q must have a size the host can form: past this a
    // host that multiplies n by n without a check would wrap around and hand
    // back too small an array.
    if (n > 0 && n > std::numeric_limits<int64_t>::max() / static_cast<int64_t>(sizeof(double)) / n)
        gw::fail("pairsq", "tooLarge", "X has %lld points; their %lld-by-%lld result cannot exist",
                 static_cast<long long>(n), static_cast<long long>(n), static_cast<long long>(n));

    plhs[0] = mxCreateDoubleMatrix(static_cast<mwSize>(n), static_cast<mwSize>(n), mxREAL);
    distmatrix::pairsqKernel(X, d, n, mxGetPr(plhs[0]));
}
