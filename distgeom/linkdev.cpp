// e = linkdev (X, D): deviation of each distance-table row beyond the tolerance.
#include "kernels.h"
#include "mexentry.h"
#include "rowcheck.h"

MEX_ENTRY void mexFunction(int, mxArray* plhs[], int nrhs, const mxArray* prhs[])
{
    gw::Dense X, T;
    distgeom::reportInputs("linkdev", "Usage: e = linkdev (X, D)", "D", nrhs, prhs, X, T);

    plhs[0] = mxCreateDoubleMatrix(static_cast<mwSize>(T.rows), 1, mxREAL);
    distgeom::linkdevKernel(X.data, X.rows, T.data, T.rows, mxGetPr(plhs[0]));
}
