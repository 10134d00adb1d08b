/* The part of the MEX interface that the toolbox's plug-ins use, as supplied
 * by the test host (libmextesthost). A plug-in built against this header and
 * linked to the test host behaves as it does in Octave or MATLAB, without
 * either of them. */
#ifndef TOOLBOX_TESTHOST_MEX_H
#define TOOLBOX_TESTHOST_MEX_H

#include <stddef.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef struct mxArray_tag mxArray;
typedef size_t mwSize;
typedef size_t mwIndex;

typedef enum { mxREAL = 0, mxCOMPLEX = 1 } mxComplexity;
typedef enum { mxUNKNOWN_CLASS = 0, mxDOUBLE_CLASS = 6 } mxClassID;

double* mxGetPr(const mxArray* a);
size_t mxGetM(const mxArray* a);
size_t mxGetN(const mxArray* a);
size_t mxGetNumberOfElements(const mxArray* a);
mwSize mxGetNumberOfDimensions(const mxArray* a);
double mxGetScalar(const mxArray* a);
bool mxIsDouble(const mxArray* a);
bool mxIsUint32(const mxArray* a);
void* mxGetData(const mxArray* a);
bool mxIsSparse(const mxArray* a);
bool mxIsComplex(const mxArray* a);
mwIndex* mxGetIr(const mxArray* a);
mwIndex* mxGetJc(const mxArray* a);
mxArray* mxCreateDoubleMatrix(mwSize m, mwSize n, mxComplexity flag);
mxArray* mxCreateUninitNumericMatrix(size_t m, size_t n, mxClassID classid, mxComplexity flag);

void mexErrMsgTxt(const char* message);
void mexErrMsgIdAndTxt(const char* id, const char* format, ...);
int mexPrintf(const char* format, ...);

void mexFunction(int nlhs, mxArray* plhs[], int nrhs, const mxArray* prhs[]);

#ifdef __cplusplus
}
#endif

#endif
