// Host-independent kernels of the low-rank plug-ins. They work on raw arrays
// and trust their input: the gateways check every size, count and index
// first (checks.h).
#pragma once

#include <cstdint>

#include "convert.h"

namespace lowrank {

// v[k] = dot product of column I[k] of Xt with column J[k] of Y, for
// k = 0 .. L-1. Columns hold r doubles; I and J are 1-based column numbers
// stored as doubles, turned into offsets by tbx::columnOffset. Each product
// is summed from 0.0, term by term in row order.
void obsprodKernel(int64_t r, int64_t L, const double* Xt, const double* Y, const double* I,
                   const double* J, double* v);

// dst[i] = src[i] for i = 0 .. n-1, each value moved as its 8 bytes.
void nzfillKernel(double* dst, const double* src, int64_t n);

// Where the processor has AVX2, obsprodKernel sums four products side by
// side, one per lane, each in its own row order, and nzfillKernel moves
// large disjoint arrays with streaming stores (smaller ones with memcpy).
// Both give the plain loops' bits. This names the path they take here:
// "avx2" or "plain".
const char* kernelPath();

namespace lanes {
// True when the processor (and the operating system) run AVX2 code.
bool available();
// nzfillKernel streams copies of at least this many bytes past the caches.
constexpr int64_t kStreamingBytes = int64_t(8) << 20;
}  // namespace lanes

// The plain loops alone, whatever the processor: the tests and the benchmark
// compare the paths.
namespace plain {
void obsprodKernel(int64_t r, int64_t L, const double* Xt, const double* Y, const double* I,
                   const double* J, double* v);
void nzfillKernel(double* dst, const double* src, int64_t n);
}  // namespace plain

// First k in 0 .. L-1 whose index[k] does not name a whole column of an array
// of `columns` columns of `height` doubles, or -1 when all of them do. The
// offset is formed as the kernels form it, so a fractional index passes while
// the column it reads stays inside. With height 0 nothing is read and every
// index passes.
inline int64_t firstColumnOutside(const double* index, int64_t L, int64_t height,
                                  int64_t columns)
{
    if (height == 0)
        return -1;
    for (int64_t k = 0; k < L; ++k)
        if (!tbx::columnInside(tbx::columnOffset(index[k], height), height, columns))
            return k;
    return -1;
}

}  // namespace lowrank
