#include "kernels.h"
#include "pairdist.h"

namespace distgeom {
namespace {

// Each report computes the gap of every row (its target or bound minus its
// pair distance) and writes an entry only for a violated row. The tests are
// strict, so a NaN gap is never reported.
enum class Report { linkdev, ceilgap, floorgap };

// ---- The plain loop -------------------------------------------------------
// Rows r0 .. r1-1.
template <Report R>
void reportRows(const double* X, int64_t d, const double* T, int64_t m, int64_t r0, int64_t r1,
                double* out)
{
    for (int64_t r = r0; r < r1; ++r) {
        const double g = T[r + 2 * m] - rowDistance(X, d, T, m, r);
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
#if DISTGEOM_LANES

template <Report R, int D>
DISTGEOM_AVX2 void reportRowsLanes(const double* X, int64_t d, const double* T, int64_t m,
                                   double* out)
{
    const __m256d zero = _mm256_setzero_pd(), sign = _mm256_set1_pd(-0.0);
    const __m256d tolerance = _mm256_set1_pd(kLinkTolerance);
    alignas(32) int64_t oi[lanes::kBlock], oj[lanes::kBlock];
    int64_t r = 0;
    for (;;) {
        int64_t rows = (m - r) & ~(lanes::kWidth - 1);
        if (rows == 0)
            break;
        if (rows > lanes::kBlock)
            rows = lanes::kBlock;
        lanes::offsets(T + r, rows, d, oi);
        lanes::offsets(T + m + r, rows, d, oj);
        for (int64_t b = 0; b < rows; b += lanes::kWidth) {
            const __m256d dist = lanes::distance4<D>(X, d, oi + b, oj + b);
            const __m256d g = _mm256_sub_pd(lanes::load4(T + 2 * m + r + b), dist);
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
        r += rows;
    }
    reportRows<R>(X, d, T, m, r, m, out);
}

#endif  // DISTGEOM_LANES

template <Report R>
void report(const double* X, int64_t d, const double* T, int64_t m, double* out)
{
#if DISTGEOM_LANES
    // With d = 0 no coordinate is read and the gateways check no offset.
    if (d > 0 && lanes::available()) {
        switch (d) {
        case 1: reportRowsLanes<R, 1>(X, d, T, m, out); return;
        case 2: reportRowsLanes<R, 2>(X, d, T, m, out); return;
        case 3: reportRowsLanes<R, 3>(X, d, T, m, out); return;
        case 4: reportRowsLanes<R, 4>(X, d, T, m, out); return;
        default: reportRowsLanes<R, 0>(X, d, T, m, out); return;
        }
    }
#endif
    reportRows<R>(X, d, T, m, 0, m, out);
}

}  // namespace

void linkdevKernel(const double* X, int64_t d, const double* T, int64_t m, double* out)
{
    report<Report::linkdev>(X, d, T, m, out);
}

void ceilgapKernel(const double* X, int64_t d, const double* T, int64_t m, double* out)
{
    report<Report::ceilgap>(X, d, T, m, out);
}

void floorgapKernel(const double* X, int64_t d, const double* T, int64_t m, double* out)
{
    report<Report::floorgap>(X, d, T, m, out);
}

namespace plain {

void linkdevKernel(const double* X, int64_t d, const double* T, int64_t m, double* out)
{
    reportRows<Report::linkdev>(X, d, T, m, 0, m, out);
}

void ceilgapKernel(const double* X, int64_t d, const double* T, int64_t m, double* out)
{
    reportRows<Report::ceilgap>(X, d, T, m, 0, m, out);
}

void floorgapKernel(const double* X, int64_t d, const double* T, int64_t m, double* out)
{
    reportRows<Report::floorgap>(X, d, T, m, 0, m, out);
}

}  // namespace plain

}  // namespace distgeom
