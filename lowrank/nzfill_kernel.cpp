#include <cstdint>
#include <cstring>

#include "kernels.h"

namespace lowrank {
namespace {

// The plain loop: element by element in increasing i. Bytes, not arithmetic:
// NaN payloads, signed zeros and infinities arrive exactly as they left.
void copyLoop(double* dst, const double* src, int64_t n)
{
    for (int64_t i = 0; i < n; ++i)
        std::memcpy(dst + i, src + i, sizeof(double));
}

}  // namespace

void nzfillKernel(double* dst, const double* src, int64_t n)
{
    // The same array as source and destination: every value would be copied
    // onto itself.
    if (dst == src || n <= 0)
        return;
    // Disjoint arrays, the only kind two different host arrays give: the
    // loop's result is a block copy of the n values, which memcpy makes at
    // the memory's speed. Overlapping ones keep the loop's forward order.
    const uintptr_t d = reinterpret_cast<uintptr_t>(dst), s = reinterpret_cast<uintptr_t>(src);
    const uintptr_t bytes = static_cast<uintptr_t>(n) * sizeof(double);
    if (d + bytes <= s || s + bytes <= d)
        std::memcpy(dst, src, bytes);
    else
        copyLoop(dst, src, n);
}

namespace plain {

void nzfillKernel(double* dst, const double* src, int64_t n)
{
    if (dst == src)
        return;
    copyLoop(dst, src, n);
}

}  // namespace plain
}  // namespace lowrank
