#include <cstring>

#include "kernels.h"

namespace lowrank {

void nzfillKernel(double* dst, const double* src, int64_t n)
{
    // The same array as source and destination: every value would be copied
    // onto itself.
    if (dst == src)
        return;
    // Bytes, not arithmetic: NaN payloads, signed zeros and infinities arrive
    // exactly as they left.
    for (int64_t i = 0; i < n; ++i)
        std::memcpy(dst + i, src + i, sizeof(double));
}

}  // namespace lowrank
