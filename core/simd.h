// The vector vocabulary of every kernel's AVX2 path: the attribute that
// compiles a function for AVX2, the choice between a kernel's plain loop and
// its lanes (onPath, below), gathers of one coordinate from several
// columns, the 4-by-4 transpose, column offsets of four indices at once, and
// stores that may bypass the caches.
//
// Functions marked TBX_AVX2 are compiled for AVX2 alone, never FMA: a fused
// multiply-add rounds once where the plain loops round the product and the
// sum separately. They may only run where tbx::processorHasAvx2() holds
// (dispatch.h chooses), so one binary runs the plain loops everywhere else.
#pragma once

#include <cstdint>

#include "dispatch.h"

// On 64-bit Windows the stack is 16-byte aligned, and GCC there (MinGW-w64)
// has long spilled 32-byte vectors to it with aligned moves that fault on
// such an address (GCC 12 realigns its frame; older ones, such as those of
// MATLAB's MinGW add-on, do not). With MinGW's GCC the AVX2 paths are built
// only where the assembler is told to write every aligned vector move as an
// unaligned one (-Wa,-muse-unaligned-vector-move, binutils 2.38 and later,
// which the CMake build adds and announces with TBX_UNALIGNED_VECTOR_MOVES);
// other MinGW builds (an older toolchain, a build from the host's prompt)
// run the plain loops.
// TBX_NO_SIMD builds the plain loops alone anywhere (a check that builds
// without the AVX2 paths still compile).
#if defined(TBX_NO_SIMD) || \
    (defined(__MINGW32__) && !defined(__clang__) && !defined(TBX_UNALIGNED_VECTOR_MOVES))
#define TBX_SIMD 0
#elif (defined(__GNUC__) || defined(__clang__)) && defined(__x86_64__)
#define TBX_SIMD 1
#include <immintrin.h>
#define TBX_AVX2 __attribute__((target("avx2")))
#else
#define TBX_SIMD 0
#endif
#if !TBX_SIMD
// Declarations of lanes functions stay valid in builds without them; such
// builds never call them (onPath), nor define them.
#if defined(__GNUC__) || defined(__clang__)
#define TBX_AVX2 __attribute__((unused))
#else
#define TBX_AVX2
#endif
#endif

namespace tbx {

// The number of coordinates (or rows) a lanes function is compiled for:
// Dim<1> .. Dim<4>, or Dim<0> for a number known only when it runs.
template <int D>
struct Dim {
    static constexpr int value = D;
};

// A kernel's one choice of code: on the AVX2 path, lanes(Dim<D>{}) with
// D = d for d = 1 .. 4 and D = 0 for any other d; else plain(). In builds
// without the AVX2 paths `lanes` is never called, so its body (a generic
// lambda's) is never instantiated: lanes functions are defined under
// #if TBX_SIMD alone and only declared elsewhere.
template <class Lanes, class Plain>
inline decltype(auto) onPath(Path path, int64_t d, Lanes&& lanes, Plain&& plain)
{
#if TBX_SIMD
    if (path == Path::avx2) {
        switch (d) {
        case 1: return lanes(Dim<1>{});
        case 2: return lanes(Dim<2>{});
        case 3: return lanes(Dim<3>{});
        case 4: return lanes(Dim<4>{});
        default: return lanes(Dim<0>{});
        }
    }
#endif
    (void)path, (void)d, (void)lanes;
    return plain();
}

// The same for a kernel whose lanes know no dimension: lanes() or plain().
template <class Lanes, class Plain>
inline decltype(auto) onPath(Path path, Lanes&& lanes, Plain&& plain)
{
#if TBX_SIMD
    if (path == Path::avx2)
        return lanes();
#endif
    (void)path, (void)lanes;
    return plain();
}

}  // namespace tbx

namespace tbx::simd {

constexpr int64_t kLanes = 4;  // doubles in one 256-bit vector

// Results larger than this go to memory with streaming stores: they would
// not stay in the caches, and a streaming store does not read the line it
// replaces.
constexpr int64_t kStreamingBytes = int64_t(8) << 20;

#if TBX_SIMD

// base[o[0]], base[o[1]], base[o[2]], base[o[3]]: one coordinate of four
// points (or one row of four columns).
TBX_AVX2 inline __m256d gather4(const double* base, const int64_t* o)
{
    const __m128d lo = _mm_loadh_pd(_mm_load_sd(base + o[0]), base + o[1]);
    const __m128d hi = _mm_loadh_pd(_mm_load_sd(base + o[2]), base + o[3]);
    return _mm256_insertf128_pd(_mm256_castpd128_pd256(lo), hi, 1);
}

// p[0][t], p[1][t], p[2][t], p[3][t].
TBX_AVX2 inline __m256d gather4(const double* const* p, int64_t t)
{
    const __m128d lo = _mm_loadh_pd(_mm_load_sd(p[0] + t), p[1] + t);
    const __m128d hi = _mm_loadh_pd(_mm_load_sd(p[2] + t), p[3] + t);
    return _mm256_insertf128_pd(_mm256_castpd128_pd256(lo), hi, 1);
}

// r[u] lane l = a_l lane u: the rows of a 4-by-4 block whose columns are
// a0 .. a3, and the other way round.
TBX_AVX2 inline void transpose4(__m256d a0, __m256d a1, __m256d a2, __m256d a3, __m256d* r)
{
    const __m256d t0 = _mm256_unpacklo_pd(a0, a1);
    const __m256d t1 = _mm256_unpackhi_pd(a0, a1);
    const __m256d t2 = _mm256_unpacklo_pd(a2, a3);
    const __m256d t3 = _mm256_unpackhi_pd(a2, a3);
    r[0] = _mm256_permute2f128_pd(t0, t2, 0x20);
    r[1] = _mm256_permute2f128_pd(t1, t3, 0x20);
    r[2] = _mm256_permute2f128_pd(t0, t2, 0x31);
    r[3] = _mm256_permute2f128_pd(t1, t3, 0x31);
}

// (x - 1) * height for four 1-based indices, each step rounded to double and
// the product truncated toward zero, as tbx::columnOffset forms it, still as
// doubles.
TBX_AVX2 inline __m256d truncatedOffsets4(__m256d x, __m256d height)
{
    return _mm256_round_pd(_mm256_mul_pd(_mm256_sub_pd(x, _mm256_set1_pd(1.0)), height),
                           _MM_FROUND_TO_ZERO | _MM_FROUND_NO_EXC);
}

// The same offsets as integers. Only for offsets the caller knows to lie in
// 0 .. 2^51 (checked indices): adding 2^52 to such a double leaves the
// integer in the low bits of its pattern.
TBX_AVX2 inline __m256i columnOffsets4(const double* x, __m256d height)
{
    const __m256d two52 = _mm256_set1_pd(4503599627370496.0);
    const __m256d o = truncatedOffsets4(_mm256_loadu_pd(x), height);
    return _mm256_sub_epi64(_mm256_castpd_si256(_mm256_add_pd(o, two52)),
                            _mm256_castpd_si256(two52));
}

// o[b] = columnOffset(x[b], height) for b = 0 .. count-1, count a multiple of
// four, all of them checked indices.
TBX_AVX2 inline void columnOffsets(const double* x, int64_t count, int64_t height, int64_t* o)
{
    const __m256d h = _mm256_set1_pd(static_cast<double>(height));
    for (int64_t b = 0; b < count; b += kLanes)
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(o + b), columnOffsets4(x + b, h));
}

// A vector store, past the caches when Streaming (then p must be aligned to
// 32 bytes).
template <bool Streaming>
TBX_AVX2 inline void store(double* p, __m256d v)
{
    if constexpr (Streaming)
        _mm256_stream_pd(p, v);
    else
        _mm256_storeu_pd(p, v);
}

#endif  // TBX_SIMD

}  // namespace tbx::simd
