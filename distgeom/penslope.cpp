// G = penslope (X, D, Lb, Ub, w, t): gradient of penval with respect to X.
#include "kernels.h"
#include "mexentry.h"
#include "rowcheck.h"

namespace {
// The kernel's diagnostics are fixed texts without conversions; they are
// handed to the host's print operation as they stand.
void hostPrint(const char* text) { mexPrintf(text); }
}  // namespace

MEX_ENTRY void mexFunction(int, mxArray* plhs[], int nrhs, const mxArray* prhs[])
{
    const distgeom::PenaltyInputs in = distgeom::penaltyInputs(
        "penslope", "Usage: G = penslope (X, D, Lb, Ub, w, t)", nrhs, prhs);

    plhs[0] = mxCreateDoubleMatrix(static_cast<mwSize>(in.X.rows),
                                   static_cast<mwSize>(in.X.cols), mxREAL);
    double* G = mxGetPr(plhs[0]);

    // An X without rows (d = 0) leaves the kernel no coordinate to read, write
    // or report; its loop over the columns would only count, billions of times
    // for a wide empty X.
    const int64_t n = in.X.rows == 0 ? 0 : in.X.cols;

    distgeom::penslopeKernel(in.X.data, in.X.rows, n, in.D.data, in.D.rows,
                             in.Lb.data, in.Lb.rows, in.Ub.data, in.Ub.rows,
                             in.w[0], in.w[1], in.w[2], in.w[3],
                             in.t[0], in.t[1], in.t[2], in.t[3], G, hostPrint);
}
