// e = floorgap (X, Lb): by how much each row of a lower-bound table falls short.
#include "kernels.h"
#include "mexentry.h"
#include "rowcheck.h"

MEX_ENTRY void mexFunction(int, mxArray* plhs[], int nrhs, const mxArray* prhs[])
{
    gw::Dense X, T;
    distgeom::reportInputs("floorgap", "Usage: e = floorgap (X, Lb)", "Lb", nrhs, prhs, X, T);

    plhs[0] = mxCreateDoubleMatrix(static_cast<mwSize>(T.rows), 1, mxREAL);
    distgeom::floorgapKernel(X.data, X.rows, T.data, T.rows, mxGetPr(plhs[0]));
}
