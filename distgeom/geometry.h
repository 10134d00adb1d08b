// The pair distance of a table row, row by row and four rows at a time.
//
// Rows are independent up to the point where their results meet (penval's
// one running sum, penslope's updates of G), so the kernels' fast paths work
// on four rows at once, one row per lane of a 256-bit AVX2 vector: offsets,
// coordinates, differences, squares, the sum over k = 0 .. d-1, the square
// root, the gap and the term are the plain loop's operations in the plain
// loop's order, lane by lane, and IEEE arithmetic gives every lane the bits
// the plain loop gives its row. Only the parts where rows meet then run row
// by row, in row order, from the lanes' staged results.
#pragma once

#include <cmath>
#include <cstdint>

#include "convert.h"
#include "kernels.h"
#include "simd.h"

namespace distgeom {

// Element offset of the first coordinate of the point named by x.
inline int64_t pointOffset(double x, int64_t d) { return tbx::columnOffset(x, d); }

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

// Distance of row r of table T.
inline double rowDistance(const Points& P, const Table& T, int64_t r)
{
    return pairDistance(P.X, P.d, pointOffset(T.T[r], P.d), pointOffset(T.T[r + T.m], P.d));
}

namespace lanes {

using tbx::simd::kLanes;
constexpr int64_t kBlock = 64;  // rows whose offsets and results are staged together

// Rows in the block starting at r of rows r .. end-1: a multiple of four, at
// most kBlock; 0 once fewer than four rows are left.
inline int64_t blockRows(int64_t r, int64_t end)
{
    const int64_t left = (end - r) & ~(kLanes - 1);
    return left < kBlock ? left : kBlock;
}

#if TBX_SIMD

// The offsets of both points of rows r .. r+rows-1.
TBX_AVX2 inline void rowOffsets(const Points& P, const Table& T, int64_t r, int64_t rows,
                                int64_t* oi, int64_t* oj)
{
    tbx::simd::columnOffsets(T.T + r, rows, P.d, oi);
    tbx::simd::columnOffsets(T.T + T.m + r, rows, P.d, oj);
}

// Coordinate k of point i minus coordinate k of point j, for four rows.
TBX_AVX2 inline __m256d difference4(const double* X, int64_t k, const int64_t* oi,
                                    const int64_t* oj)
{
    return _mm256_sub_pd(tbx::simd::gather4(X + k, oi), tbx::simd::gather4(X + k, oj));
}

// The differences of four rows for points of D = 1 .. 4 coordinates, e[k]
// holding coordinate k of the four rows. From D = 2 on each row's points are
// read whole (point i minus point j, all coordinates at once) and the four
// rows' differences are then transposed; the values are the same either way.
// Nothing past a point's last coordinate is read.
template <int D>
TBX_AVX2 inline void differences4(const double* X, const int64_t* oi, const int64_t* oj,
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
        __m256d t[4];
        tbx::simd::transpose4(row[0], row[1], row[2], row[3], t);
        for (int k = 0; k < D; ++k)
            e[k] = t[k];
    }
}

// The pair distances of four rows, each lane adding its squares from 0.0 in
// coordinate order. D = 1 .. 4 is the number of coordinates known when
// compiling, with the differences left in e[0 .. D-1]; D = 0 takes the
// number from d and leaves e alone.
template <int D>
TBX_AVX2 inline __m256d distance4(const double* X, int64_t d, const int64_t* oi,
                                  const int64_t* oj, __m256d* e)
{
    __m256d s = _mm256_setzero_pd();
    if constexpr (D == 0) {
        for (int64_t k = 0; k < d; ++k) {
            const __m256d ek = difference4(X, k, oi, oj);
            s = _mm256_add_pd(s, _mm256_mul_pd(ek, ek));
        }
    } else {
        differences4<D>(X, oi, oj, e);
        for (int k = 0; k < D; ++k)
            s = _mm256_add_pd(s, _mm256_mul_pd(e[k], e[k]));
    }
    return _mm256_sqrt_pd(s);
}

// Loads four consecutive doubles.
TBX_AVX2 inline __m256d load4(const double* p) { return _mm256_loadu_pd(p); }

#endif  // TBX_SIMD

}  // namespace lanes
}  // namespace distgeom
