// e = ceilgap (X, Ub): by how much each row of an upper-bound table is exceeded.
#include "kernels.h"
#include "mexentry.h"
#include "rowcheck.h"

MEX_ENTRY void mexFunction(int, mxArray* plhs[], int nrhs, const mxArray* prhs[])
{
    gw::Dense X, T;
    distgeom::reportInputs("ceilgap", "Usage: e = ceilgap (X, Ub)", "Ub", nrhs, prhs, X, T);

    plhs[0] = mxCreateDoubleMatrix(static_cast<mwSize>(T.rows), 1, mxREAL);
    distgeom::ceilgapKernel(X.data, X.rows, T.data, T.rows, mxGetPr(plhs[0]));
}
