// nzfill: n values moved as their bytes.
#include <cstdint>
#include <cstring>

#include "kernels.h"
#include "simd.h"
#include "threads.h"

namespace lowrank {

// (Outside the unnamed namespace: builds without the AVX2 paths declare it
// and never define it.)
TBX_AVX2 void streamCopy(double* dst, const double* src, int64_t n);

#if TBX_SIMD
// A large copy, 128 bytes at a time: unaligned loads, stores aligned to 32
// bytes that bypass the caches (the destination is too large to stay there,
// and a streaming store does not read the line it replaces). Loads and
// stores move the 8 bytes of each value untouched. The elements before the
// first aligned one and after the last whole step go through memcpy.
TBX_AVX2 void streamCopy(double* dst, const double* src, int64_t n)
{
    int64_t i = static_cast<int64_t>((32 - reinterpret_cast<uintptr_t>(dst) % 32) % 32 / 8);
    std::memcpy(dst, src, static_cast<size_t>(i) * sizeof(double));
    for (; i + 16 <= n; i += 16) {
        const __m256d a = _mm256_loadu_pd(src + i);
        const __m256d b = _mm256_loadu_pd(src + i + 4);
        const __m256d c = _mm256_loadu_pd(src + i + 8);
        const __m256d d = _mm256_loadu_pd(src + i + 12);
        _mm256_stream_pd(dst + i, a);
        _mm256_stream_pd(dst + i + 4, b);
        _mm256_stream_pd(dst + i + 8, c);
        _mm256_stream_pd(dst + i + 12, d);
    }
    _mm_sfence();  // the streamed stores are done before anyone reads them
    std::memcpy(dst + i, src + i, static_cast<size_t>(n - i) * sizeof(double));
}
#endif

namespace {

// Values i0 .. i1-1 of disjoint arrays, large copies streamed on the AVX2
// path (total: the whole copy's size, which decides).
void copyRange(double* dst, const double* src, int64_t i0, int64_t i1, int64_t total,
               const tbx::Exec& ex)
{
    const bool streamed = total * 8 >= tbx::simd::kStreamingBytes &&
                          reinterpret_cast<uintptr_t>(dst) % sizeof(double) == 0;
    tbx::onPath(
        streamed ? ex.path : tbx::Path::plain, [&] { streamCopy(dst + i0, src + i0, i1 - i0); },
        [&] {
            std::memcpy(dst + i0, src + i0, static_cast<size_t>(i1 - i0) * sizeof(double));
        });
}

// Disjoint arrays: a team claims the values in pieces of whole pages. Fewer
// values than this a thread are not worth asking for one; pieces are at
// most kPiece values (256 KB).
constexpr int64_t kMinValuesPerThread = 131072;
constexpr int64_t kPiece = 32768;

}  // namespace

void nzfillKernel(double* dst, const double* src, int64_t n, const tbx::Exec& ex)
{
    // The same array as source and destination: every value would be copied
    // onto itself.
    if (dst == src || n <= 0)
        return;
    // The values are moved as their bytes (NaN payloads, signed zeros and
    // infinities arrive exactly as they left), as if all of src were read
    // before dst is written: where the two overlap, as parts of one array
    // can, no value is copied twice.
    const uintptr_t d = reinterpret_cast<uintptr_t>(dst), s = reinterpret_cast<uintptr_t>(src);
    const uintptr_t bytes = static_cast<uintptr_t>(n) * sizeof(double);
    if (!(d + bytes <= s || s + bytes <= d)) {
        std::memmove(dst, src, bytes);
        return;
    }
    // Disjoint arrays: the move is a block copy.
    tbx::ranges(tbx::threadsFor(ex, n, kMinValuesPerThread), n, 512, kPiece,
                [&](int64_t i0, int64_t i1) { copyRange(dst, src, i0, i1, n, ex); });
}

}  // namespace lowrank
