// pairsq: the upper triangle summed, the lower one copied from it.
#include <cstring>

#include "kernels.h"
#include "simd.h"
#include "threads.h"

namespace distmatrix {
namespace {

// ---- The plain loop -------------------------------------------------------
// Rows i0 .. i1-1 of the upper triangle, each element summed from 0.0 in
// coordinate order, then copied to its mirror. The whole matrix is rows
// 0 .. n-1. (The sum runs in a register, not in Q: Q need not hold zeros on
// entry, and the additions are the same ones from the same 0.0.)
void plainRows(const double* X, int64_t d, int64_t n, double* Q, int64_t i0, int64_t i1)
{
    for (int64_t i = i0; i < i1; ++i) {
        const double* xi = X + i * d;
        for (int64_t j = i; j < n; ++j) {
            const double* xj = X + j * d;
            // The diagonal (j == i) is summed like the rest.
            double q = 0.0;
            for (int64_t k = 0; k < d; ++k) {
                const double e = xi[k] - xj[k];
                q = q + e * e;
            }
            Q[i + j * n] = q;
            Q[j + i * n] = q;
        }
    }
}

// ---- Eight rows side by side ----------------------------------------------
// Rows are taken in groups of eight, i0 .. i0+7, two vectors of four lanes.
// For four columns j .. j+3 at a time a tile of 8-by-4 sums is formed in
// registers: lane l of the vector for column j sums (X(k, i0+l) - X(k, j))^2
// over k = 0 .. d-1 in coordinate order from 0.0, exactly the plain loop's
// operations on that element, from a zero register. The tile goes to the upper triangle
// (column j, rows i0 .. i0+7: one cache line when aligned) and, transposed in
// registers, to the lower triangle (column i0+l, rows j .. j+3): the mirror is
// a copy of the same register. Tiles go in pairs, so that each lower column
// gets rows j .. j+7, a whole cache line, at once; the group's own 8-by-8
// diagonal block and the last one to three columns are written element by
// element from a small buffer.
//
// Columns are swept in blocks, and the row groups in a block one after the
// other, so that the pages written meanwhile stay few (see kBlock). A large
// Q goes to memory with streaming stores, which need every vector store
// aligned: then n is a multiple of 4 and the groups start where column 0
// starts a cache line. Rows left before the first group and after the last
// take the plain loop.

// Points of at most this many coordinates are staged coordinate-major for
// the group (kStage * 8 doubles on the stack); larger ones are gathered from
// X for every tile.
constexpr int64_t kStage = 32;

#if TBX_SIMD

// D = 1 .. 4: that many coordinates, known when compiling; D = 0: d of them,
// staged; D = -1: d of them, gathered.
template <int D>
struct Group {
    int64_t d;
    const double* rows[8];      // the eight points i0 .. i0+7
    alignas(32) double xs[kStage * 8];  // xs[k*8 + l] = coordinate k of point i0+l

    TBX_AVX2 void stage()
    {
        if constexpr (D != -1) {
            const int64_t dd = D > 0 ? D : d;
            for (int64_t k = 0; k < dd; ++k)
                for (int l = 0; l < 8; ++l)
                    xs[k * 8 + l] = rows[l][k];
        }
    }

    // Coordinate k of the eight points, lanes 0-3 and 4-7.
    TBX_AVX2 inline void point(int64_t k, __m256d& lo, __m256d& hi) const
    {
        if constexpr (D == -1) {
            lo = tbx::simd::gather4(rows, k);
            hi = tbx::simd::gather4(rows + 4, k);
        } else {
            lo = _mm256_load_pd(xs + k * 8);
            hi = _mm256_load_pd(xs + k * 8 + 4);
        }
    }

    // The tile of the four consecutive points j .. j+3.
    TBX_AVX2 inline void tile(const double* X, int64_t dd, int64_t j, __m256d* acc) const
    {
        const double* cols[4] = {X + j * dd, X + (j + 1) * dd, X + (j + 2) * dd,
                                 X + (j + 3) * dd};
        tile(cols, acc);
    }

    // acc[2c] (rows i0 .. i0+3) and acc[2c+1] (rows i0+4 .. i0+7) for the
    // column whose point is cols[c], c = 0 .. 3.
    TBX_AVX2 inline void tile(const double* const* cols, __m256d* acc) const
    {
        // The sums live in a local array, unrolled loops index it with
        // constants: it stays in registers at any optimisation level.
        __m256d s[8];
#pragma GCC unroll 8
        for (int c = 0; c < 8; ++c)
            s[c] = _mm256_setzero_pd();
        const int64_t dd = D > 0 ? D : d;
#pragma GCC unroll 4
        for (int64_t k = 0; k < dd; ++k) {
            __m256d lo, hi;
            point(k, lo, hi);
#pragma GCC unroll 4
            for (int c = 0; c < 4; ++c) {
                const __m256d xj = _mm256_broadcast_sd(cols[c] + k);
                const __m256d e0 = _mm256_sub_pd(lo, xj);
                const __m256d e1 = _mm256_sub_pd(hi, xj);
                s[2 * c] = _mm256_add_pd(s[2 * c], _mm256_mul_pd(e0, e0));
                s[2 * c + 1] = _mm256_add_pd(s[2 * c + 1], _mm256_mul_pd(e1, e1));
            }
        }
#pragma GCC unroll 8
        for (int c = 0; c < 8; ++c)
            acc[c] = s[c];
    }
};

// The 8-by-4 tile acc (rows i0 .. i0+7, columns j .. j+3) into the upper
// triangle: one cache line of each column when the rows are aligned.
template <bool Streaming>
TBX_AVX2 inline void upper(double* Q, int64_t n, int64_t i0, int64_t j, const __m256d* acc)
{
#pragma GCC unroll 4
    for (int c = 0; c < 4; ++c) {
        double* up = Q + i0 + (j + c) * n;
        tbx::simd::store<Streaming>(up, acc[2 * c]);
        tbx::simd::store<Streaming>(up + 4, acc[2 * c + 1]);
    }
}

// The same tile transposed: r[l] holds row i0+l, columns j .. j+3.
TBX_AVX2 inline void transpose8x4(const __m256d* acc, __m256d* r)
{
    tbx::simd::transpose4(acc[0], acc[2], acc[4], acc[6], r);
    tbx::simd::transpose4(acc[1], acc[3], acc[5], acc[7], r + 4);
}

// Rows i0 .. i0+7 (i0 + 8 <= n), the columns from max(c0, i0) up to c1 - 1;
// from i0 on when the rows' own diagonal block lies in the range.
template <int D, bool Streaming>
TBX_AVX2 void rowGroup(const double* X, int64_t d, int64_t n, double* Q, int64_t i0,
                              int64_t c0, int64_t c1)
{
    Group<D> g;
    g.d = d;
    for (int l = 0; l < 8; ++l)
        g.rows[l] = X + (i0 + l) * d;
    g.stage();

    __m256d acc[8];
    alignas(32) double t[8][8];  // t[c][l]: row i0+l, column j+c

    int64_t j = c0;
    if (i0 >= c0) {
        // The diagonal block, columns i0 .. i0+7: its upper half (row <=
        // column) is kept and mirrored; the sums below its diagonal, which
        // the plain loop does not form, are dropped.
        for (int half = 0; half < 2; ++half) {
            const double* cols[4];
            for (int c = 0; c < 4; ++c)
                cols[c] = g.rows[4 * half + c];
            g.tile(cols, acc);
            for (int c = 0; c < 4; ++c) {
                _mm256_store_pd(t[4 * half + c], acc[2 * c]);
                _mm256_store_pd(t[4 * half + c] + 4, acc[2 * c + 1]);
            }
        }
        for (int64_t c = 0; c < 8; ++c)
            for (int64_t l = 0; l <= c; ++l) {
                Q[(i0 + l) + (i0 + c) * n] = t[c][l];
                Q[(i0 + c) + (i0 + l) * n] = t[c][l];
            }
        j = i0 + 8;
    }

    // Eight columns at a time, as two tiles of four: every store of the
    // upper tiles fills a cache line of its column at once, and the lower
    // halves of the first tile wait in registers for the second, so each
    // lower column gets a whole line too. Streaming stores then leave no
    // line half written.
    for (; j + 8 <= c1; j += 8) {
        __m256d low[8], high[8];
        g.tile(X, d, j, acc);
        upper<Streaming>(Q, n, i0, j, acc);
        transpose8x4(acc, low);
        g.tile(X, d, j + 4, acc);
        upper<Streaming>(Q, n, i0, j + 4, acc);
        transpose8x4(acc, high);
#pragma GCC unroll 8
        for (int l = 0; l < 8; ++l) {
            double* down = Q + j + (i0 + l) * n;
            tbx::simd::store<Streaming>(down, low[l]);
            tbx::simd::store<Streaming>(down + 4, high[l]);
        }
    }

    // A last tile of four columns.
    if (j + 4 <= c1) {
        __m256d low[8];
        g.tile(X, d, j, acc);
        upper<Streaming>(Q, n, i0, j, acc);
        transpose8x4(acc, low);
#pragma GCC unroll 8
        for (int l = 0; l < 8; ++l)
            tbx::simd::store<Streaming>(Q + j + (i0 + l) * n, low[l]);
        j += 4;
    }

    // The last one to three columns: a tile whose missing columns repeat the
    // last point of the range, its valid part written element by element.
    if (j < c1) {
        const double* cols[4];
        for (int c = 0; c < 4; ++c)
            cols[c] = X + (j + c < c1 ? j + c : c1 - 1) * d;
        g.tile(cols, acc);
        for (int c = 0; c < 4; ++c) {
            _mm256_store_pd(t[c], acc[2 * c]);
            _mm256_store_pd(t[c] + 4, acc[2 * c + 1]);
        }
        for (int64_t c = 0; j + c < c1; ++c)
            for (int64_t l = 0; l < 8; ++l) {
                Q[(i0 + l) + (j + c) * n] = t[c][l];
                Q[(j + c) + (i0 + l) * n] = t[c][l];
            }
    }
}

#endif  // TBX_SIMD

// Columns in blocks of kBlock, each block swept by every group of rows that
// has elements in it: the block's columns and the group's columns are the
// only ones written meanwhile, which keeps the pages in the TLB. Blocks write
// disjoint elements (the upper part of their columns, and its mirror), so a
// team claims them as pieces, the heaviest (last) first.
constexpr int64_t kBlock = 64;

// Block b of `blocks` (counted from the last) of rows first .. end-1.
template <int D, bool Streaming>
TBX_AVX2 void block(const double* X, int64_t d, int64_t n, double* Q, int64_t first, int64_t end,
                    int64_t blocks, int64_t b);

#if TBX_SIMD
template <int D, bool Streaming>
TBX_AVX2 void block(const double* X, int64_t d, int64_t n, double* Q, int64_t first, int64_t end,
                    int64_t blocks, int64_t b)
{
    const int64_t c0 = first + (blocks - 1 - b) * kBlock;
    const int64_t c1 = c0 + kBlock < n ? c0 + kBlock : n;
    for (int64_t i0 = first; i0 < end && i0 < c1; i0 += 8)
        rowGroup<D, Streaming>(X, d, n, Q, i0, c0, c1);
    if constexpr (Streaming)
        _mm_sfence();  // the block's streamed stores are done before Q is read
}
#endif  // TBX_SIMD

// The plain loop on a team: rows in runs of eight, claimed as pieces. Row i
// writes Q(i, j) and Q(j, i) for j >= i alone, so rows never meet.
void plainTeam(const double* X, int64_t d, int64_t n, double* Q, int threads)
{
    if (threads <= 1) {
        plainRows(X, d, n, Q, 0, n);
        return;
    }
    tbx::pieces(threads, tbx::piecesOf(n, 8), [&](int64_t k) {
        plainRows(X, d, n, Q, 8 * k, 8 * k + 8 < n ? 8 * k + 8 : n);
    });
}

// The lanes for points of D coordinates (D = 0: staged, up to kStage of
// them; -1: more).
template <int D>
void lanes(const double* X, int64_t d, int64_t n, double* Q, bool streaming, int threads)
{
    if (n < 16) {
        plainRows(X, d, n, Q, 0, n);
        return;
    }
    // Groups of rows start where column 0 starts a cache line. Streaming
    // stores need every vector store aligned to 32 bytes, which holds for
    // all columns when n is a multiple of 4.
    const uintptr_t address = reinterpret_cast<uintptr_t>(Q);
    if (address % sizeof(double) != 0 || n % 4 != 0)
        streaming = false;
    const int64_t first =
        address % sizeof(double) == 0 ? static_cast<int64_t>((64 - address % 64) % 64 / 8) : 0;
    const int64_t end = first + (n - first) / 8 * 8;
    plainRows(X, d, n, Q, 0, first);
    plainRows(X, d, n, Q, end, n);
    const int64_t blocks = (n - first + kBlock - 1) / kBlock;
    tbx::pieces(threads, blocks, [&](int64_t b) {
        if (streaming)
            block<D, true>(X, d, n, Q, first, end, blocks, b);
        else
            block<D, false>(X, d, n, Q, first, end, blocks, b);
    });
}

// Fewer elements of Q than this a thread are not worth asking for one.
// (Measured: a team of two loses up to 1024 points, where Q still fits in the
// caches of the one core that writes it, and gains from 2048 on.)
constexpr int64_t kMinElementsPerThread = int64_t(1) << 21;

}  // namespace

namespace detail {

void pairsqLanes(const double* X, int64_t d, int64_t n, double* Q, bool streaming, int threads)
{
    tbx::onPath(
        tbx::Path::avx2, d,
        [&](auto D) {
            if constexpr (D.value == 0) {
                if (d > kStage) {
                    lanes<-1>(X, d, n, Q, streaming, threads);
                    return;
                }
            }
            lanes<D.value>(X, d, n, Q, streaming, threads);
        },
        [&] { plainTeam(X, d, n, Q, threads); });
}

}  // namespace detail

void pairsqKernel(const double* X, int64_t d, int64_t n, double* Q, const tbx::Exec& ex)
{
    // Without coordinates every sum is empty: Q is all zeros.
    if (d == 0) {
        if (n > 0)
            std::memset(Q, 0, static_cast<size_t>(n * n) * sizeof(double));
        return;
    }
    const int threads = tbx::threadsFor(ex, n * n, kMinElementsPerThread);
    const bool streaming = n * n * static_cast<int64_t>(sizeof(double)) > tbx::simd::kStreamingBytes;
    tbx::onPath(
        ex.path, [&] { detail::pairsqLanes(X, d, n, Q, streaming, threads); },
        [&] { plainTeam(X, d, n, Q, threads); });
}

}  // namespace distmatrix
