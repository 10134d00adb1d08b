// The stand-in's libmwblas: the two level-1 routines the toolbox calls,
// with the integers of 64-bit MATLAB's own BLAS (64 bits) and its names on
// Linux (a trailing underscore). Strides as the Fortran BLAS reads them: a
// negative stride walks the vector from its last element.
#include <cstdint>

namespace {

int64_t start(int64_t n, int64_t inc) { return inc < 0 ? (1 - n) * inc : 0; }

}  // namespace

extern "C" {

double ddot_(const int64_t* n, const double* x, const int64_t* incx, const double* y,
             const int64_t* incy)
{
    double s = 0.0;
    if (*n <= 0)
        return s;
    int64_t ix = start(*n, *incx), iy = start(*n, *incy);
    for (int64_t k = 0; k < *n; ++k, ix += *incx, iy += *incy)
        s = s + x[ix] * y[iy];
    return s;
}

void dcopy_(const int64_t* n, const double* x, const int64_t* incx, double* y, const int64_t* incy)
{
    if (*n <= 0)
        return;
    int64_t ix = start(*n, *incx), iy = start(*n, *incy);
    for (int64_t k = 0; k < *n; ++k, ix += *incx, iy += *incy)
        y[iy] = x[ix];
}

}  // extern "C"
