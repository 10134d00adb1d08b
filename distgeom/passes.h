// The three table passes of penval and penslope: distance rows, lower-bound
// rows and upper-bound rows. They differ only in which rows contribute and in
// which weight a row's type code selects; each Rule below states that
// difference, for one row and for four rows side by side, so that each kernel
// writes its pass once.
//
// A rule chooses between up to three weights c[0] .. c[2], which the kernel
// forms from its term and type weights:
//   distance:  every row, weight c[0];
//   lower:     bound > dist; code 1: c[0], code -2: c[1], other codes none;
//   upper:     bound < dist; codes 0 and up: c[0], -1: c[1], -2: c[2],
//              -3 and below none.
// Type codes are truncated toward zero to 32 bits first (tbx::truncToInt32).
// The tests are strict, so equality or a NaN on either side never
// contributes. (penval states its test on the gap, g = bound - dist: g > 0
// and bound > dist hold for exactly the same doubles, infinities and NaN
// included, and likewise g < 0 and bound < dist.)
#pragma once

#include <cstdint>
#include <vector>

#include "convert.h"
#include "geometry.h"

namespace distgeom {

enum class Pass { distance, lower, upper };

template <Pass P>
struct Rule;

template <>
struct Rule<Pass::distance> {
    static constexpr bool hasCode = false;
    static constexpr const char* unknownText = "";
    static bool violated(double, double) { return true; }
    static bool weight(int32_t, const double* c, double& s)
    {
        s = c[0];
        return true;
    }
};

template <>
struct Rule<Pass::lower> {
    static constexpr bool hasCode = true;
    static constexpr const char* unknownText = kUnknownLower;
    static bool violated(double bound, double dist) { return bound > dist; }
    static bool weight(int32_t tc, const double* c, double& s)
    {
        if (tc == 1)
            s = c[0];
        else if (tc == -2)
            s = c[1];
        else
            return false;
        return true;
    }
};

template <>
struct Rule<Pass::upper> {
    static constexpr bool hasCode = true;
    static constexpr const char* unknownText = kUnknownUpper;
    static bool violated(double bound, double dist) { return bound < dist; }
    static bool weight(int32_t tc, const double* c, double& s)
    {
        if (tc >= 0)
            s = c[0];
        else if (tc == -1)
            s = c[1];
        else if (tc == -2)
            s = c[2];
        else
            return false;
        return true;
    }
};

// The type code of row r (0 for the distance table, which has none).
template <Pass P>
inline int32_t typeCode(const Table& T, int64_t r)
{
    if constexpr (Rule<P>::hasCode)
        return tbx::truncToInt32(T.T[r + 3 * T.m]);
    else
        return 0;
}

#if TBX_SIMD
namespace lanes {

// Lanes whose stored type code truncates to the small nonzero integer c:
// x in [c, c+1) for c > 0, x in (c-1, c] for c < 0. All ones where it does,
// zero elsewhere and for NaN.
TBX_AVX2 inline __m256d codeIs(__m256d x, double c)
{
    if (c > 0)
        return _mm256_and_pd(_mm256_cmp_pd(x, _mm256_set1_pd(c), _CMP_GE_OQ),
                             _mm256_cmp_pd(x, _mm256_set1_pd(c + 1), _CMP_LT_OQ));
    return _mm256_and_pd(_mm256_cmp_pd(x, _mm256_set1_pd(c - 1), _CMP_GT_OQ),
                         _mm256_cmp_pd(x, _mm256_set1_pd(c), _CMP_LE_OQ));
}

// Lanes whose type code truncates to 0 or more: x above -1 and below 2^31
// (larger values, like NaN, convert to the most negative 32-bit integer).
TBX_AVX2 inline __m256d codeNonNegative(__m256d x)
{
    return _mm256_and_pd(_mm256_cmp_pd(x, _mm256_set1_pd(-1.0), _CMP_GT_OQ),
                         _mm256_cmp_pd(x, _mm256_set1_pd(2147483648.0), _CMP_LT_OQ));
}

// The stored type codes of rows r .. r+3 (zeros for the distance table).
template <Pass P>
TBX_AVX2 inline __m256d codes4(const Table& T, int64_t r)
{
    if constexpr (Rule<P>::hasCode)
        return load4(T.T + 3 * T.m + r);
    else
        return _mm256_setzero_pd();
}

// The rule of pass P for four rows: the lanes whose bound is violated, and
// the weight each lane's code selects with `known` set where it selects one.
template <Pass P>
TBX_AVX2 inline __m256d violated4(__m256d q, __m256d dist)
{
    if constexpr (P == Pass::lower)
        return _mm256_cmp_pd(q, dist, _CMP_GT_OQ);
    else if constexpr (P == Pass::upper)
        return _mm256_cmp_pd(q, dist, _CMP_LT_OQ);
    else
        return _mm256_castsi256_pd(_mm256_set1_epi64x(-1));
}

template <Pass P>
TBX_AVX2 inline __m256d weight4(__m256d tc, const __m256d* c, __m256d& known)
{
    if constexpr (P == Pass::lower) {
        const __m256d is1 = codeIs(tc, 1), isMinus2 = codeIs(tc, -2);
        known = _mm256_or_pd(is1, isMinus2);
        return _mm256_blendv_pd(c[1], c[0], is1);
    } else if constexpr (P == Pass::upper) {
        const __m256d plain = codeNonNegative(tc);
        const __m256d isMinus1 = codeIs(tc, -1), isMinus2 = codeIs(tc, -2);
        known = _mm256_or_pd(_mm256_or_pd(plain, isMinus1), isMinus2);
        return _mm256_blendv_pd(_mm256_blendv_pd(c[2], c[1], isMinus1), c[0], plain);
    } else {
        (void)tc;
        known = _mm256_castsi256_pd(_mm256_set1_epi64x(-1));
        return c[0];
    }
}

}  // namespace lanes
#endif  // TBX_SIMD

// A run of rows r0 .. r1-1 of one table, with its pass and the weights the
// pass chooses between: the unit of work of penval and penslope on a team.
struct Chunk {
    Pass pass;
    const Table* T;
    const double* c;
    int64_t r0, r1;
};

// The rows of the three tables, in table order, cut into chunks of `rows`
// (the last of each table shorter); c holds each pass's weights, as
// c.distance, c.lower and c.upper.
template <class PassWeights>
std::vector<Chunk> chunksOf(const Penalty& p, const PassWeights& c, int64_t rows)
{
    std::vector<Chunk> chunks;
    const Chunk passes[] = {{Pass::distance, &p.D, c.distance, 0, 0},
                            {Pass::lower, &p.Lb, c.lower, 0, 0},
                            {Pass::upper, &p.Ub, c.upper, 0, 0}};
    for (Chunk k : passes)
        for (int64_t r = 0; r < k.T->m; r += rows) {
            k.r0 = r;
            k.r1 = r + rows < k.T->m ? r + rows : k.T->m;
            chunks.push_back(k);
        }
    return chunks;
}

}  // namespace distgeom
