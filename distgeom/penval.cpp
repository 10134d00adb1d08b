// f = penval (X, D, Lb, Ub, w, t): penalty value of a point configuration.
#include "kernels.h"
#include "mexentry.h"
#include "rowcheck.h"

MEX_ENTRY void mexFunction(int, mxArray* plhs[], int nrhs, const mxArray* prhs[])
{
    const distgeom::PenaltyInputs in = distgeom::penaltyInputs(
        "penval", "Usage: f = penval (X, D, Lb, Ub, w, t)", nrhs, prhs);

    plhs[0] = mxCreateDoubleMatrix(1, 1, mxREAL);
    double* acc = mxGetPr(plhs[0]);

    // An X without rows (d = 0) adds the same term w4*0 once per column, and
    // adding it again leaves the sum as it is (a zero changes nothing a second
    // time, a NaN stays NaN): one column stands for all of them, so that an
    // empty X with billions of columns does not keep the host counting.
    const int64_t n = in.X.rows == 0 && in.X.cols > 1 ? 1 : in.X.cols;

    distgeom::penvalKernel(in.X.data, in.X.rows, n, in.D.data, in.D.rows,
                           in.Lb.data, in.Lb.rows, in.Ub.data, in.Ub.rows,
                           in.w[0], in.w[1], in.w[2], in.w[3],
                           in.t[0], in.t[1], in.t[2], in.t[3], acc);
}
