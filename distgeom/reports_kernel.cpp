// linkdev, ceilgap, floorgap: one entry per violated row.
#include "geometry.h"
#include "threads.h"

namespace distgeom {
namespace {

// Each report computes the gap of every row (its target or bound minus its
// pair distance) and writes an entry only for a violated row. The tests are
// strict, so a NaN gap is never reported.
enum class Report { linkdev, ceilgap, floorgap };

// ---- The plain loop -------------------------------------------------------
// Rows r0 .. r1-1.
template <Report R>
void reportRows(const Points& X, const Table& T, int64_t r0, int64_t r1, double* out)
{
    for (int64_t r = r0; r < r1; ++r) {
        const double g = T.T[r + 2 * T.m] - rowDistance(X, T, r);
        if constexpr (R == Report::linkdev) {
            // The size of the deviation, beyond the tolerance.
            const double a = g < 0.0 ? -g : g;
            if (kLinkTolerance < a)
                out[r] = a;
        } else if constexpr (R == Report::ceilgap) {
            // The excess over the bound.
            if (g < 0.0)
                out[r] = -g;
        } else {
            // The shortfall below the bound.
            if (g > 0.0)
                out[r] = g;
        }
    }
}

// ---- Four rows side by side -----------------------------------------------
// Per block: the offsets of all its points, then four rows at a time the gap,
// the test and the value, written into the lanes of violated rows only (a
// masked store leaves the other entries untouched). Rows left after the last
// group of four take the plain loop.
template <Report R, int D>
TBX_AVX2 void reportLanes(const Points& X, const Table& T, int64_t r0, int64_t r1, double* out);

#if TBX_SIMD

template <Report R, int D>
TBX_AVX2 void reportLanes(const Points& X, const Table& T, int64_t r0, int64_t r1, double* out)
{
    const __m256d zero = _mm256_setzero_pd(), sign = _mm256_set1_pd(-0.0);
    const __m256d tolerance = _mm256_set1_pd(kLinkTolerance);
    alignas(32) int64_t oi[lanes::kBlock], oj[lanes::kBlock];
    int64_t r = r0;
    for (int64_t rows; (rows = lanes::blockRows(r, r1)) > 0; r += rows) {
        lanes::rowOffsets(X, T, r, rows, oi, oj);
        for (int64_t b = 0; b < rows; b += lanes::kLanes) {
            __m256d e[4];
            const __m256d dist = lanes::distance4<D>(X.X, X.d, oi + b, oj + b, e);
            const __m256d g = _mm256_sub_pd(lanes::load4(T.T + 2 * T.m + r + b), dist);
            const __m256d minusG = _mm256_xor_pd(g, sign);  // -g, exactly
            __m256d value, violated;
            if constexpr (R == Report::linkdev) {
                value = _mm256_blendv_pd(g, minusG, _mm256_cmp_pd(g, zero, _CMP_LT_OQ));
                violated = _mm256_cmp_pd(tolerance, value, _CMP_LT_OQ);
            } else if constexpr (R == Report::ceilgap) {
                value = minusG;
                violated = _mm256_cmp_pd(g, zero, _CMP_LT_OQ);
            } else {
                value = g;
                violated = _mm256_cmp_pd(g, zero, _CMP_GT_OQ);
            }
            const __m256d old = _mm256_loadu_pd(out + r + b);
            _mm256_storeu_pd(out + r + b, _mm256_blendv_pd(old, value, violated));
        }
    }
    reportRows<R>(X, T, r, r1, out);
}

#endif  // TBX_SIMD

// Rows r0 .. r1-1 on the path of `ex`. With d = 0 no coordinate is read,
// and no point number was checked: the plain loop then.
template <Report R>
void reportRange(const Points& X, const Table& T, int64_t r0, int64_t r1, double* out,
                 const tbx::Exec& ex)
{
    tbx::onPath(
        X.d > 0 ? ex.path : tbx::Path::plain, X.d,
        [&](auto D) { reportLanes<R, D.value>(X, T, r0, r1, out); },
        [&] { reportRows<R>(X, T, r0, r1, out); });
}

// Rows are independent: a team claims them in pieces of whole blocks, each
// piece's entries written by the thread that claimed it. Fewer rows than
// this a thread are not worth asking for one; pieces are at most kPiece
// rows (some tens of microseconds).
constexpr int64_t kMinRowsPerThread = 8192;
constexpr int64_t kPiece = 8192;

template <Report R>
void report(const Points& X, const Table& T, double* out, const tbx::Exec& ex)
{
    tbx::ranges(tbx::threadsFor(ex, T.m, kMinRowsPerThread), T.m, lanes::kBlock, kPiece,
                [&](int64_t r0, int64_t r1) { reportRange<R>(X, T, r0, r1, out, ex); });
}

}  // namespace

void linkdevKernel(const Points& X, const Table& T, double* out, const tbx::Exec& ex)
{
    report<Report::linkdev>(X, T, out, ex);
}

void ceilgapKernel(const Points& X, const Table& T, double* out, const tbx::Exec& ex)
{
    report<Report::ceilgap>(X, T, out, ex);
}

void floorgapKernel(const Points& X, const Table& T, double* out, const tbx::Exec& ex)
{
    report<Report::floorgap>(X, T, out, ex);
}

}  // namespace distgeom
