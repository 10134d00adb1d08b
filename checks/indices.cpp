// The check that every stored index names a whole column, four at a time.
#include "checks.h"
#include "convert.h"
#include "simd.h"

namespace chk {
namespace {

#if TBX_SIMD
// The number of leading indices, a multiple of four, that name whole
// columns, checked four at a time up to the first group with one that does
// not. An offset is inside when its truncated product (x - 1) * height lies
// in 0 .. height*(columns-1): compared as doubles, exactly as the integers
// compare, since that bound is below 2^53; NaN fails both tests and a
// product beyond the 64-bit range fails one of them.
TBX_AVX2 int64_t leadingInside(const double* x, int64_t count, int64_t height, int64_t columns)
{
    const __m256d h = _mm256_set1_pd(static_cast<double>(height));
    const __m256d zero = _mm256_setzero_pd();
    const __m256d last = _mm256_set1_pd(static_cast<double>(height * (columns - 1)));
    int64_t k = 0;
    for (; k + tbx::simd::kLanes <= count; k += tbx::simd::kLanes) {
        const __m256d o = tbx::simd::truncatedOffsets4(_mm256_loadu_pd(x + k), h);
        const __m256d inside =
            _mm256_and_pd(_mm256_cmp_pd(o, zero, _CMP_GE_OQ), _mm256_cmp_pd(o, last, _CMP_LE_OQ));
        if (_mm256_movemask_pd(inside) != 0xF)
            break;
    }
    return k;
}
#endif

}  // namespace

int64_t firstOutside(const double* x, int64_t count, int64_t height, int64_t columns,
                     tbx::Path path)
{
    if (height == 0)
        return -1;
    int64_t k = 0;
#if TBX_SIMD
    if (path == tbx::Path::avx2 && columns > 0)
        k = leadingInside(x, count, height, columns);
#endif
    (void)path;
    for (; k < count; ++k)
        if (!tbx::columnInside(tbx::columnOffset(x[k], height), height, columns))
            return k;
    return -1;
}

}  // namespace chk
