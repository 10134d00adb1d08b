// A plug-in that does what the toolbox's plug-ins must never do, selected by
// its first input: create an output and then fail, write into an input, print
// a formatted line, or store something in plhs the host never created. The
// test host has to notice each of them.
#include "mex.h"

#ifdef _WIN32
#define MEX_ENTRY extern "C" __declspec(dllexport)
#else
#define MEX_ENTRY extern "C" __attribute__((visibility("default")))
#endif

static double probe = 0.0;

MEX_ENTRY void mexFunction(int, mxArray* plhs[], int nrhs, const mxArray* prhs[])
{
    const int mode = nrhs > 0 ? static_cast<int>(mxGetScalar(prhs[0])) : 0;
    switch (mode) {
    case 1:
        plhs[0] = mxCreateDoubleMatrix(2, 3, mxREAL);
        mexErrMsgIdAndTxt("bad:afterCreate", "failed after creating %d output", 1);
        break;
    case 2:
        mxGetPr(prhs[0])[0] = 7.0;
        break;
    case 3:
        mexPrintf("%s %d\n", "line", 3);
        plhs[0] = mxCreateDoubleMatrix(1, 1, mxREAL);
        break;
    case 4:
        plhs[0] = reinterpret_cast<mxArray*>(&probe);
        break;
    default:
        mexErrMsgTxt("plain message");
    }
}
