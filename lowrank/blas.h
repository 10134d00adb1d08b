// The two level-1 routines of the Fortran BLAS interface that the BLAS
// variants call, and the BLAS forms of the low-rank kernels.
//
// The BLAS integer is 32 bits unless TOOLBOX_BLAS_INT64 is defined (64-bit
// MATLAB's own BLAS takes 64-bit integers). A count larger than that integer
// holds is handed over in several calls, never truncated.
#pragma once

#include <cstdint>
#include <limits>

#include "kernels.h"

namespace lowrank {

#ifdef TOOLBOX_BLAS_INT64
using blas_int = int64_t;
#else
using blas_int = int32_t;
#endif

// Largest count one BLAS call takes.
constexpr int64_t kBlasMaxCount = std::numeric_limits<blas_int>::max();

using DotRoutine = double (*)(const blas_int* n, const double* x, const blas_int* incx,
                              const double* y, const blas_int* incy);
using CopyRoutine = void (*)(const blas_int* n, const double* x, const blas_int* incx,
                             double* y, const blas_int* incy);

}  // namespace lowrank

// The routines' names in the BLAS the plug-ins link: with the trailing
// underscore of the Fortran convention on Linux and macOS (ddot_, dcopy_:
// the reference BLAS, OpenBLAS, MATLAB's libmwblas there), without it on
// Windows (MATLAB's libmwblas.dll exports ddot and dcopy). Define
// TOOLBOX_BLAS_UNDERSCORE to 1 or 0 to link a BLAS of the other convention.
#ifndef TOOLBOX_BLAS_UNDERSCORE
#ifdef _WIN32
#define TOOLBOX_BLAS_UNDERSCORE 0
#else
#define TOOLBOX_BLAS_UNDERSCORE 1
#endif
#endif
#if TOOLBOX_BLAS_UNDERSCORE
#define TOOLBOX_BLAS_NAME(name) name##_
#else
#define TOOLBOX_BLAS_NAME(name) name
#endif
// The host BLAS's dot product and copy, under their names there.
#define TOOLBOX_DDOT TOOLBOX_BLAS_NAME(ddot)
#define TOOLBOX_DCOPY TOOLBOX_BLAS_NAME(dcopy)

extern "C" {
// Every argument by address, as the Fortran interface passes them.
double TOOLBOX_DDOT(const lowrank::blas_int* n, const double* x, const lowrank::blas_int* incx,
                    const double* y, const lowrank::blas_int* incy);
void TOOLBOX_DCOPY(const lowrank::blas_int* n, const double* x, const lowrank::blas_int* incx,
                   double* y, const lowrank::blas_int* incy);
}

namespace lowrank {

// Dot product of the n doubles at x and y (stride 1) through `dot`, in calls
// of at most `limit` (1 .. kBlasMaxCount) elements; the partial products are
// added in order. n = 0 makes one call of length 0.
inline double dotInChunks(DotRoutine dot, int64_t n, const double* x, const double* y,
                          int64_t limit = kBlasMaxCount)
{
    const blas_int one = 1;
    blas_int len = static_cast<blas_int>(n < limit ? n : limit);
    double s = dot(&len, x, &one, y, &one);
    for (int64_t done = len; done < n; done += len) {
        len = static_cast<blas_int>(n - done < limit ? n - done : limit);
        s = s + dot(&len, x + done, &one, y + done, &one);
    }
    return s;
}

// Copies the n doubles at src to dst (stride 1) through `copy`, in calls of
// at most `limit` (1 .. kBlasMaxCount) elements. n = 0 makes one call of
// length 0, which copies nothing.
inline void copyInChunks(CopyRoutine copy, int64_t n, const double* src, double* dst,
                         int64_t limit = kBlasMaxCount)
{
    const blas_int one = 1;
    blas_int len = static_cast<blas_int>(n < limit ? n : limit);
    copy(&len, src, &one, dst, &one);
    for (int64_t done = len; done < n; done += len) {
        len = static_cast<blas_int>(n - done < limit ? n - done : limit);
        copy(&len, src + done, &one, dst + done, &one);
    }
}

// The BLAS form of obsprodKernel: v[k] is the dot product of column I[k] of
// Xt with column J[k] of Y as `dot` sums it (the BLAS chooses its own order
// of summation). With r = 0 each v[k] is the BLAS's product of length 0.
void obsprodBlasKernel(DotRoutine dot, const Factors& f, const Samples& s, double* v,
                       const tbx::Exec& ex, int64_t limit = kBlasMaxCount);

// The BLAS form of nzfillKernel: the n values copied by `copy`.
void nzfillBlasKernel(CopyRoutine copy, double* dst, const double* src, int64_t n,
                      const tbx::Exec& ex, int64_t limit = kBlasMaxCount);

}  // namespace lowrank
