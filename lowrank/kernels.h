// Host-independent kernels of the low-rank plug-ins. They work on raw arrays
// and trust their input: the argument checks have seen every size, count and
// index first. Every path and thread count gives the same bits (tbx::Exec).
#pragma once

#include <cstdint>

#include "convert.h"
#include "dispatch.h"

namespace lowrank {

// Two factors of r rows: Xt (r-by-m, the left factor transposed) and Y
// (r-by-n); column p (1-based) of each holds r doubles from (p - 1) * r.
struct Factors {
    const double* Xt = nullptr;
    const double* Y = nullptr;
    int64_t r = 0;
};

// L sampled positions: row I[k] and column J[k] of Xt' * Y, 1-based column
// numbers stored as doubles, turned into offsets by tbx::columnOffset.
struct Samples {
    const double* I = nullptr;
    const double* J = nullptr;
    int64_t L = 0;
};

// v[k] = dot product of column I[k] of Xt with column J[k] of Y, for
// k = 0 .. L-1, each summed from 0.0 term by term in row order; every v[k]
// is written (0.0 when r = 0). On the AVX2 path four products run side by
// side, one per lane, each in its own row order.
void obsprodKernel(const Factors& f, const Samples& s, double* v, const tbx::Exec& ex);

// dst[i] = src[i] for i = 0 .. n-1, each value moved as its 8 bytes. On the
// AVX2 path large disjoint arrays are moved with streaming stores.
void nzfillKernel(double* dst, const double* src, int64_t n, const tbx::Exec& ex);

}  // namespace lowrank
