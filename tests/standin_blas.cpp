// A stand-in for the BLAS that MATLAB ships (libmwblas), for the builds
// made here without MATLAB: the stand-in MATLAB tree on Linux and the
// Windows build. ddot and dcopy, exported under the names and with the
// integer width the build selects (lowrank/blas.h: MATLAB's are 64-bit
// integers, with the trailing underscore on Linux and macOS, without it on
// Windows). The dot product sums in element order from 0.0, as the
// reference BLAS does for unit strides; any stride is followed, as the
// interface allows.
#include "lowrank/blas.h"

#ifdef _WIN32
#define STANDIN_EXPORT extern "C" __declspec(dllexport)
#else
#define STANDIN_EXPORT extern "C" __attribute__((visibility("default")))
#endif

using lowrank::blas_int;

namespace {

// Where the element i of a vector of n with stride inc lies: a negative
// stride walks it from the far end, as the BLAS does.
inline blas_int at(blas_int i, blas_int n, blas_int inc)
{
    return inc >= 0 ? i * inc : (n - 1 - i) * -inc;
}

}  // namespace

STANDIN_EXPORT double TOOLBOX_DDOT(const blas_int* n, const double* x, const blas_int* incx,
                                   const double* y, const blas_int* incy)
{
    double s = 0.0;
    for (blas_int i = 0; i < *n; ++i)
        s = s + x[at(i, *n, *incx)] * y[at(i, *n, *incy)];
    return s;
}

STANDIN_EXPORT void TOOLBOX_DCOPY(const blas_int* n, const double* x, const blas_int* incx,
                                  double* y, const blas_int* incy)
{
    for (blas_int i = 0; i < *n; ++i)
        y[at(i, *n, *incy)] = x[at(i, *n, *incx)];
}
