// Point matrices, constraint tables and the pair distance of a table row.
//
// X holds n points of d coordinates column by column. A table of m rows keeps
// its columns one after another: point i of row r at T[r], point j at T[r + m],
// the target or bound at T[r + 2m] and, in bound tables, the type code at
// T[r + 3m]. Point numbers are 1-based doubles.
#pragma once

#include <cmath>
#include <cstdint>

#include "convert.h"
#include "cpu.h"

namespace distgeom {

// Element offset of the first coordinate of the point named by x.
inline int64_t pointOffset(double x, int64_t d)
{
    return tbx::columnOffset(x, d);
}

// Distance between the points at offsets oi and oj: the coordinate
// differences (point i minus point j) squared and summed in coordinate order,
// then the square root.
inline double pairDistance(const double* X, int64_t d, int64_t oi, int64_t oj)
{
    double s = 0.0;
    for (int64_t k = 0; k < d; ++k) {
        const double e = X[oi + k] - X[oj + k];
        s = s + e * e;
    }
    return std::sqrt(s);
}

// Distance of row r of a table with m rows.
inline double rowDistance(const double* X, int64_t d, const double* T, int64_t m, int64_t r)
{
    return pairDistance(X, d, pointOffset(T[r], d), pointOffset(T[r + m], d));
}

namespace lanes {
inline int64_t leadingRowsInside(const double* T, int64_t m, int64_t d, int64_t n);
}

// First row (0-based) of a table whose point i or point j does not address a
// whole point of X, or -1 when every row does. With d = 0 no coordinate is
// ever read, so every row is accepted.
inline int64_t firstRowOutside(const double* T, int64_t m, int64_t d, int64_t n)
{
    if (d == 0)
        return -1;
    // The rows before r are known to be inside (checked four at a time where
    // the processor allows); the plain loop takes it from there.
    const int64_t r0 = lanes::leadingRowsInside(T, m, d, n);
    for (int64_t r = r0; r < m; ++r) {
        if (!tbx::columnInside(pointOffset(T[r], d), d, n) ||
            !tbx::columnInside(pointOffset(T[r + m], d), d, n))
            return r;
    }
    return -1;
}

}  // namespace distgeom

// ---------------------------------------------------------------------------
// Four rows side by side.
//
// Rows are independent up to the point where their results meet (penval's
// one running sum, penslope's updates of G), so the kernels' fast paths work
// on four rows at once, one row per lane of a 256-bit AVX2 vector: offsets,
// coordinates, differences, squares, the sum over k = 0 .. d-1, the square
// root, the gap and the term are the plain loop's operations in the plain
// loop's order, lane by lane, and IEEE arithmetic gives every lane the bits
// the plain loop gives its row. Only the parts where rows meet then run row by
// row, in row order, from the lanes' staged results.
//
// The fast paths are compiled for AVX2 alone (no FMA: a fused multiply-add
// would round once where the plain loop rounds twice) and chosen at run time,
// so the same binary runs the plain loops on processors without AVX2.
// ---------------------------------------------------------------------------
#if (defined(__GNUC__) || defined(__clang__)) && defined(__x86_64__)
#define DISTGEOM_LANES 1
#include <immintrin.h>
#define DISTGEOM_AVX2 __attribute__((target("avx2")))
#else
#define DISTGEOM_LANES 0
#endif

namespace distgeom {
namespace lanes {

constexpr int64_t kWidth = 4;   // rows per vector
constexpr int64_t kBlock = 64;  // rows whose offsets and results are staged together

#if DISTGEOM_LANES

// True when the processor (and the operating system) run AVX2 code.
inline bool available() { return tbx::hasAvx2(); }

// Offsets o[b] = pointOffset(x[b], d) for b = 0 .. count-1, count a multiple
// of kWidth. The product (x - 1) * d is formed as pointOffset forms it and
// truncated toward zero; the gateways have checked that every offset lies in
// 0 .. d*(n-1), far below 2^52, where adding and removing 2^52 turns the
// truncated double into the integer with the same value.
DISTGEOM_AVX2 inline void offsets(const double* x, int64_t count, int64_t d, int64_t* o)
{
    const __m256d one = _mm256_set1_pd(1.0);
    const __m256d dd = _mm256_set1_pd(static_cast<double>(d));
    const __m256d two52 = _mm256_set1_pd(4503599627370496.0);
    for (int64_t b = 0; b < count; b += kWidth) {
        __m256d v = _mm256_mul_pd(_mm256_sub_pd(_mm256_loadu_pd(x + b), one), dd);
        v = _mm256_round_pd(v, _MM_FROUND_TO_ZERO | _MM_FROUND_NO_EXC);
        const __m256i bits = _mm256_castpd_si256(_mm256_add_pd(v, two52));
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(o + b),
                            _mm256_sub_epi64(bits, _mm256_castpd_si256(two52)));
    }
}

// The doubles at base[o[0]], base[o[1]], base[o[2]], base[o[3]]: one
// coordinate of four points.
DISTGEOM_AVX2 inline __m256d gather4(const double* base, const int64_t* o)
{
    const __m128d lo = _mm_loadh_pd(_mm_load_sd(base + o[0]), base + o[1]);
    const __m128d hi = _mm_loadh_pd(_mm_load_sd(base + o[2]), base + o[3]);
    return _mm256_insertf128_pd(_mm256_castpd128_pd256(lo), hi, 1);
}

// Coordinate k of point i minus coordinate k of point j, for four rows.
DISTGEOM_AVX2 inline __m256d difference4(const double* X, int64_t k, const int64_t* oi,
                                         const int64_t* oj)
{
    return _mm256_sub_pd(gather4(X + k, oi), gather4(X + k, oj));
}

// The differences of four rows for points of D = 1 .. 4 coordinates, e[k]
// holding coordinate k of the four rows. From D = 2 on each row's points are
// read whole (point i minus point j, all coordinates at once) and the four
// rows' differences are then transposed; the values are the same either way.
// Nothing past a point's last coordinate is read.
template <int D>
DISTGEOM_AVX2 inline void differences4(const double* X, const int64_t* oi, const int64_t* oj,
                                       __m256d* e)
{
    static_assert(D >= 1 && D <= 4, "points of 1 to 4 coordinates");
    if constexpr (D == 1) {
        e[0] = difference4(X, 0, oi, oj);
    } else if constexpr (D == 2) {
        __m128d row[4];
        for (int l = 0; l < 4; ++l)
            row[l] = _mm_sub_pd(_mm_loadu_pd(X + oi[l]), _mm_loadu_pd(X + oj[l]));
        const __m256d r02 = _mm256_insertf128_pd(_mm256_castpd128_pd256(row[0]), row[2], 1);
        const __m256d r13 = _mm256_insertf128_pd(_mm256_castpd128_pd256(row[1]), row[3], 1);
        e[0] = _mm256_unpacklo_pd(r02, r13);
        e[1] = _mm256_unpackhi_pd(r02, r13);
    } else {
        const __m256i whole = _mm256_set_epi64x(D == 4 ? -1 : 0, -1, -1, -1);
        __m256d row[4];
        for (int l = 0; l < 4; ++l)
            row[l] = _mm256_sub_pd(_mm256_maskload_pd(X + oi[l], whole),
                                   _mm256_maskload_pd(X + oj[l], whole));
        const __m256d t0 = _mm256_unpacklo_pd(row[0], row[1]);
        const __m256d t1 = _mm256_unpackhi_pd(row[0], row[1]);
        const __m256d t2 = _mm256_unpacklo_pd(row[2], row[3]);
        const __m256d t3 = _mm256_unpackhi_pd(row[2], row[3]);
        e[0] = _mm256_permute2f128_pd(t0, t2, 0x20);
        e[1] = _mm256_permute2f128_pd(t1, t3, 0x20);
        e[2] = _mm256_permute2f128_pd(t0, t2, 0x31);
        if constexpr (D == 4)
            e[3] = _mm256_permute2f128_pd(t1, t3, 0x31);
    }
}

// The sum of squared differences of four rows, each lane adding its squares
// from 0.0 in coordinate order. D = 1 .. 4 is the number of coordinates known
// when compiling; D = 0 takes it from d.
template <int D>
DISTGEOM_AVX2 inline __m256d squares4(const double* X, int64_t d, const int64_t* oi,
                                      const int64_t* oj)
{
    __m256d s = _mm256_setzero_pd();
    if constexpr (D == 0) {
        for (int64_t k = 0; k < d; ++k) {
            const __m256d e = difference4(X, k, oi, oj);
            s = _mm256_add_pd(s, _mm256_mul_pd(e, e));
        }
    } else {
        __m256d e[D];
        differences4<D>(X, oi, oj, e);
        for (int k = 0; k < D; ++k)
            s = _mm256_add_pd(s, _mm256_mul_pd(e[k], e[k]));
    }
    return s;
}

// pairDistance of four rows.
template <int D>
DISTGEOM_AVX2 inline __m256d distance4(const double* X, int64_t d, const int64_t* oi,
                                       const int64_t* oj)
{
    return _mm256_sqrt_pd(squares4<D>(X, d, oi, oj));
}

// Lanes whose stored type code truncates (tbx::truncToInt32) to the small
// nonzero integer c: x in [c, c+1) for c > 0, x in (c-1, c] for c < 0. All
// ones where it does, zero elsewhere and for NaN.
DISTGEOM_AVX2 inline __m256d codeIs(__m256d x, double c)
{
    if (c > 0)
        return _mm256_and_pd(_mm256_cmp_pd(x, _mm256_set1_pd(c), _CMP_GE_OQ),
                             _mm256_cmp_pd(x, _mm256_set1_pd(c + 1), _CMP_LT_OQ));
    return _mm256_and_pd(_mm256_cmp_pd(x, _mm256_set1_pd(c - 1), _CMP_GT_OQ),
                         _mm256_cmp_pd(x, _mm256_set1_pd(c), _CMP_LE_OQ));
}

// Lanes whose type code truncates to 0 or more: x above -1 and below 2^31
// (larger values, like NaN, convert to the most negative 32-bit integer).
DISTGEOM_AVX2 inline __m256d codeNonNegative(__m256d x)
{
    return _mm256_and_pd(_mm256_cmp_pd(x, _mm256_set1_pd(-1.0), _CMP_GT_OQ),
                         _mm256_cmp_pd(x, _mm256_set1_pd(2147483648.0), _CMP_LT_OQ));
}

// Loads four consecutive doubles.
DISTGEOM_AVX2 inline __m256d load4(const double* p) { return _mm256_loadu_pd(p); }

// The number of leading rows, a multiple of four, whose two points are
// whole points of X, checked four rows at a time up to the first group
// with a row outside. An offset is inside when its truncated product
// (x - 1) * d lies in 0 .. d*(n-1): compared as doubles, exactly as the
// integers compare, since d*(n-1) is below 2^53, NaN fails both tests and
// a product beyond the 64-bit range fails one of them.
DISTGEOM_AVX2 inline int64_t leadingRowsInsideAvx2(const double* T, int64_t m, int64_t d,
                                                   int64_t n)
{
    const __m256d one = _mm256_set1_pd(1.0), dd = _mm256_set1_pd(static_cast<double>(d));
    const __m256d zero = _mm256_setzero_pd();
    const __m256d last = _mm256_set1_pd(static_cast<double>(d * (n - 1)));
    int64_t r = 0;
    for (; r + kWidth <= m; r += kWidth) {
        const __m256d oi = _mm256_round_pd(
            _mm256_mul_pd(_mm256_sub_pd(_mm256_loadu_pd(T + r), one), dd),
            _MM_FROUND_TO_ZERO | _MM_FROUND_NO_EXC);
        const __m256d oj = _mm256_round_pd(
            _mm256_mul_pd(_mm256_sub_pd(_mm256_loadu_pd(T + m + r), one), dd),
            _MM_FROUND_TO_ZERO | _MM_FROUND_NO_EXC);
        const __m256d inside = _mm256_and_pd(
            _mm256_and_pd(_mm256_cmp_pd(oi, zero, _CMP_GE_OQ), _mm256_cmp_pd(oi, last, _CMP_LE_OQ)),
            _mm256_and_pd(_mm256_cmp_pd(oj, zero, _CMP_GE_OQ), _mm256_cmp_pd(oj, last, _CMP_LE_OQ)));
        if (_mm256_movemask_pd(inside) != 0xF)
            break;
    }
    return r;
}

#endif  // DISTGEOM_LANES

inline int64_t leadingRowsInside(const double* T, int64_t m, int64_t d, int64_t n)
{
#if DISTGEOM_LANES
    if (n > 0 && available())
        return leadingRowsInsideAvx2(T, m, d, n);
#endif
    (void)T, (void)m, (void)d, (void)n;
    return 0;
}

}  // namespace lanes
}  // namespace distgeom
