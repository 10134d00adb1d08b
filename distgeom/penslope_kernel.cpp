#include "kernels.h"
#include "pairdist.h"

namespace distgeom {
namespace {

const char kUnknownLower[] = "Error! Unkonw Lower bound!\n";
const char kUnknownUpper[] = "Error! Unkonw Upper bound!\n";

struct Weights {
    double W1, W2, W3, W4, t1, t2, t3, t4;  // W = 2 * w
};

// Pair factor of a row: 1 - q/dist, the quotient rounded first.
inline double pairFactor(double q, double dist) { return 1.0 - (q / dist); }

// Adds row weight s times the row's coordinate difference, times F, to point
// i and subtracts the same value from point j, coordinate by coordinate.
inline void updateRow(const double* X, double* G, int64_t d, int64_t oi, int64_t oj,
                      double s, double F)
{
    for (int64_t k = 0; k < d; ++k) {
        const double v = (s * (X[oi + k] - X[oj + k])) * F;
        G[oi + k] = G[oi + k] + v;
        G[oj + k] = G[oj + k] - v;
    }
}

// A violated bound row whose code selects no weight: one line per coordinate.
inline void reportUnknown(PrintSink print, const char* text, int64_t d)
{
    for (int64_t k = 0; k < d; ++k)
        if (print)
            print(text);
}

// ---- The plain loops ------------------------------------------------------
// Each pass takes rows r0 .. r1-1 in row order.

void distanceRows(const double* X, int64_t d, const double* D, int64_t mD, int64_t r0,
                  int64_t r1, const Weights& w, double* G)
{
    for (int64_t r = r0; r < r1; ++r) {
        const int64_t oi = pointOffset(D[r], d), oj = pointOffset(D[r + mD], d);
        const double F = pairFactor(D[r + 2 * mD], pairDistance(X, d, oi, oj));
        updateRow(X, G, d, oi, oj, w.W1, F);
    }
}

void lowerRows(const double* X, int64_t d, const double* Lb, int64_t mL, int64_t r0,
               int64_t r1, const Weights& w, double* G, PrintSink print)
{
    for (int64_t r = r0; r < r1; ++r) {
        const int64_t oi = pointOffset(Lb[r], d), oj = pointOffset(Lb[r + mL], d);
        const int32_t tc = tbx::truncToInt32(Lb[r + 3 * mL]);
        const double bound = Lb[r + 2 * mL];
        const double dist = pairDistance(X, d, oi, oj);
        const double F = pairFactor(bound, dist);
        if (!(bound > dist))
            continue;
        if (tc == 1)
            updateRow(X, G, d, oi, oj, w.t4 * w.W2, F);
        else if (tc == -2)
            updateRow(X, G, d, oi, oj, w.t3 * w.W2, F);
        else
            reportUnknown(print, kUnknownLower, d);
    }
}

void upperRows(const double* X, int64_t d, const double* Ub, int64_t mU, int64_t r0,
               int64_t r1, const Weights& w, double* G, PrintSink print)
{
    for (int64_t r = r0; r < r1; ++r) {
        const int64_t oi = pointOffset(Ub[r], d), oj = pointOffset(Ub[r + mU], d);
        const int32_t tc = tbx::truncToInt32(Ub[r + 3 * mU]);
        const double bound = Ub[r + 2 * mU];
        const double dist = pairDistance(X, d, oi, oj);
        const double F = pairFactor(bound, dist);
        if (!(bound < dist))
            continue;
        if (tc >= 0)
            updateRow(X, G, d, oi, oj, w.W3, F);
        else if (tc == -1)
            updateRow(X, G, d, oi, oj, w.t1 * w.W3, F);
        else if (tc == -2)
            updateRow(X, G, d, oi, oj, w.t2 * w.W3, F);
        else
            reportUnknown(print, kUnknownUpper, d);
    }
}

void regularisation(const double* X, int64_t d, int64_t n, const Weights& w, double* G)
{
    for (int64_t p = 0; p < n; ++p)
        for (int64_t k = 0; k < d; ++k)
            G[p * d + k] = G[p * d + k] + w.W4 * X[p * d + k];
}

// ---- Four rows side by side -----------------------------------------------
// Rows go through in blocks. For each block: the offsets of all its points;
// then, four rows at a time, the pair distance, the pair factor F, the row
// weight, whether the row contributes and, for points of two to four
// coordinates, the values v = (s * (xi - xj)) * F of each coordinate; then
// the updates of G, row by row in row order over the rows that contribute
// (two rows may name the same point, so the order of the updates is kept).
// Rows left after the last group of four take the plain loop.
#if DISTGEOM_LANES

inline int64_t blockRows(int64_t r, int64_t m)
{
    const int64_t left = (m - r) & ~(lanes::kWidth - 1);
    return left < lanes::kBlock ? left : lanes::kBlock;
}

// Values staged (with D = 2 .. 4) for all coordinates of a row; with other
// D the update forms them from the row weight s and the pair factor F.
template <int D>
constexpr bool kStagesValues = D >= 2 && D <= 4;

struct RowStage {
    alignas(32) int64_t oi[lanes::kBlock];
    alignas(32) int64_t oj[lanes::kBlock];
    alignas(32) double v[lanes::kBlock][4];  // v[b][k]: coordinate k of row b
    alignas(32) double F[lanes::kBlock];
    alignas(32) double s[lanes::kBlock];     // row weight
    int32_t contributing[lanes::kBlock];     // rows (in the block) that update G, in order
    int64_t count = 0;                       // entries of `contributing`

    // Notes the rows b .. b+3 whose bit is set in `bits`, in row order,
    // after the `count` rows noted so far; returns the new count.
    int64_t note(int64_t count, int64_t b, int bits)
    {
        for (int l = 0; l < 4; ++l) {
            contributing[count] = static_cast<int32_t>(b + l);
            count += (bits >> l) & 1;
        }
        return count;
    }
};

// The pair distances of the four rows b .. b+3, with their coordinate
// differences in e[k] where values are staged.
template <int D>
DISTGEOM_AVX2 inline __m256d groupDistance(const double* X, int64_t d, const RowStage& st,
                                           int64_t b, __m256d* e)
{
    if constexpr (kStagesValues<D>) {
        lanes::differences4<D>(X, st.oi + b, st.oj + b, e);
        __m256d sum = _mm256_setzero_pd();
        for (int k = 0; k < D; ++k)
            sum = _mm256_add_pd(sum, _mm256_mul_pd(e[k], e[k]));
        return _mm256_sqrt_pd(sum);
    } else {
        return lanes::distance4<D>(X, d, st.oi + b, st.oj + b);
    }
}

// Stages what the updates of rows b .. b+3 need: each row's values
// (s * e[k]) * F, one row of coordinates after another, or s and F.
template <int D>
DISTGEOM_AVX2 inline void stageGroup(RowStage& st, int64_t b, const __m256d* e, __m256d s,
                                     __m256d F)
{
    if constexpr (kStagesValues<D>) {
        __m256d v[4];
        for (int k = 0; k < D; ++k)
            v[k] = _mm256_mul_pd(_mm256_mul_pd(s, e[k]), F);
        // Coordinates 0 and 1 of rows (b, b+2) and (b+1, b+3), then 2 and 3.
        const __m256d c01a = _mm256_unpacklo_pd(v[0], v[1]), c01b = _mm256_unpackhi_pd(v[0], v[1]);
        _mm_store_pd(st.v[b], _mm256_castpd256_pd128(c01a));
        _mm_store_pd(st.v[b + 1], _mm256_castpd256_pd128(c01b));
        _mm_store_pd(st.v[b + 2], _mm256_extractf128_pd(c01a, 1));
        _mm_store_pd(st.v[b + 3], _mm256_extractf128_pd(c01b, 1));
        if constexpr (D > 2) {
            const __m256d c23a = _mm256_unpacklo_pd(v[2], v[D - 1]);
            const __m256d c23b = _mm256_unpackhi_pd(v[2], v[D - 1]);
            _mm_store_pd(st.v[b] + 2, _mm256_castpd256_pd128(c23a));
            _mm_store_pd(st.v[b + 1] + 2, _mm256_castpd256_pd128(c23b));
            _mm_store_pd(st.v[b + 2] + 2, _mm256_extractf128_pd(c23a, 1));
            _mm_store_pd(st.v[b + 3] + 2, _mm256_extractf128_pd(c23b, 1));
        }
    } else {
        _mm256_store_pd(st.s + b, s);
        _mm256_store_pd(st.F + b, F);
    }
}

// The update of G by staged row b: +v to point i, -v to point j. Where the
// two points' coordinates do not interleave (the same point, or points at
// least D apart, which is always so for whole point numbers), each point's
// coordinates are updated at once: every element still receives its own +v,
// then its -v, as coordinate by coordinate.
template <int D>
DISTGEOM_AVX2 inline void applyRow(const double* X, double* G, int64_t d, const RowStage& st,
                                   int64_t b)
{
    const int64_t oi = st.oi[b], oj = st.oj[b];
    if constexpr (kStagesValues<D>) {
        const double* v = st.v[b];
        // oi - oj in -(D-1) .. D-1 and not 0: the coordinates interleave. (One
        // unsigned comparison, where the sign of oi - oj would be a branch
        // that no predictor guesses.)
        const uint64_t apart = static_cast<uint64_t>(oi - oj + (D - 1));
        if (apart >= 2 * D - 1 || oi == oj) {
            if constexpr (D == 4) {
                const __m256d v4 = _mm256_load_pd(v);
                _mm256_storeu_pd(G + oi, _mm256_add_pd(_mm256_loadu_pd(G + oi), v4));
                _mm256_storeu_pd(G + oj, _mm256_sub_pd(_mm256_loadu_pd(G + oj), v4));
            } else {
                const __m128d v2 = _mm_load_pd(v);
                _mm_storeu_pd(G + oi, _mm_add_pd(_mm_loadu_pd(G + oi), v2));
                if constexpr (D == 3)
                    G[oi + 2] = G[oi + 2] + v[2];
                _mm_storeu_pd(G + oj, _mm_sub_pd(_mm_loadu_pd(G + oj), v2));
                if constexpr (D == 3)
                    G[oj + 2] = G[oj + 2] - v[2];
            }
        } else {
            for (int k = 0; k < D; ++k) {
                G[oi + k] = G[oi + k] + v[k];
                G[oj + k] = G[oj + k] - v[k];
            }
        }
    } else {
        updateRow(X, G, d, oi, oj, st.s[b], st.F[b]);
    }
}

template <int D>
DISTGEOM_AVX2 void distanceRowsLanes(const double* X, int64_t d, const double* D_, int64_t mD,
                                     const Weights& w, double* G)
{
    const __m256d one = _mm256_set1_pd(1.0), W1 = _mm256_set1_pd(w.W1);
    RowStage st;
    int64_t r = 0;
    for (int64_t rows; (rows = blockRows(r, mD)) > 0; r += rows) {
        lanes::offsets(D_ + r, rows, d, st.oi);
        lanes::offsets(D_ + mD + r, rows, d, st.oj);
        for (int64_t b = 0; b < rows; b += lanes::kWidth) {
            __m256d e[4];
            const __m256d dist = groupDistance<D>(X, d, st, b, e);
            const __m256d q = lanes::load4(D_ + 2 * mD + r + b);
            stageGroup<D>(st, b, e, W1, _mm256_sub_pd(one, _mm256_div_pd(q, dist)));
        }
        // Every distance row contributes.
        for (int64_t b = 0; b < rows; ++b)
            applyRow<D>(X, G, d, st, b);
    }
    distanceRows(X, d, D_, mD, r, mD, w, G);
}

template <int D>
DISTGEOM_AVX2 void lowerRowsLanes(const double* X, int64_t d, const double* Lb, int64_t mL,
                                  const Weights& w, double* G, PrintSink print)
{
    const __m256d one = _mm256_set1_pd(1.0);
    const __m256d code1 = _mm256_set1_pd(w.t4 * w.W2), codeMinus2 = _mm256_set1_pd(w.t3 * w.W2);
    RowStage st;
    int64_t r = 0;
    for (int64_t rows; (rows = blockRows(r, mL)) > 0; r += rows) {
        lanes::offsets(Lb + r, rows, d, st.oi);
        lanes::offsets(Lb + mL + r, rows, d, st.oj);
        int64_t count = 0, unknown = 0;
        for (int64_t b = 0; b < rows; b += lanes::kWidth) {
            __m256d e[4];
            const __m256d dist = groupDistance<D>(X, d, st, b, e);
            const __m256d bound = lanes::load4(Lb + 2 * mL + r + b);
            const __m256d tc = lanes::load4(Lb + 3 * mL + r + b);
            const __m256d F = _mm256_sub_pd(one, _mm256_div_pd(bound, dist));
            const __m256d is1 = lanes::codeIs(tc, 1), isMinus2 = lanes::codeIs(tc, -2);
            stageGroup<D>(st, b, e, _mm256_blendv_pd(codeMinus2, code1, is1), F);
            const int violated = _mm256_movemask_pd(_mm256_cmp_pd(bound, dist, _CMP_GT_OQ));
            const int known = _mm256_movemask_pd(_mm256_or_pd(is1, isMinus2));
            count = st.note(count, b, violated & known);
            unknown += __builtin_popcount(violated & ~known);
        }
        for (int64_t c = 0; c < count; ++c)
            applyRow<D>(X, G, d, st, st.contributing[c]);
        reportUnknown(print, kUnknownLower, unknown * d);
    }
    lowerRows(X, d, Lb, mL, r, mL, w, G, print);
}

template <int D>
DISTGEOM_AVX2 void upperRowsLanes(const double* X, int64_t d, const double* Ub, int64_t mU,
                                  const Weights& w, double* G, PrintSink print)
{
    const __m256d one = _mm256_set1_pd(1.0);
    const __m256d codeAtLeast0 = _mm256_set1_pd(w.W3);
    const __m256d codeMinus1 = _mm256_set1_pd(w.t1 * w.W3), codeMinus2 = _mm256_set1_pd(w.t2 * w.W3);
    RowStage st;
    int64_t r = 0;
    for (int64_t rows; (rows = blockRows(r, mU)) > 0; r += rows) {
        lanes::offsets(Ub + r, rows, d, st.oi);
        lanes::offsets(Ub + mU + r, rows, d, st.oj);
        int64_t count = 0, unknown = 0;
        for (int64_t b = 0; b < rows; b += lanes::kWidth) {
            __m256d e[4];
            const __m256d dist = groupDistance<D>(X, d, st, b, e);
            const __m256d bound = lanes::load4(Ub + 2 * mU + r + b);
            const __m256d tc = lanes::load4(Ub + 3 * mU + r + b);
            const __m256d F = _mm256_sub_pd(one, _mm256_div_pd(bound, dist));
            const __m256d isPlain = lanes::codeNonNegative(tc);
            const __m256d isMinus1 = lanes::codeIs(tc, -1), isMinus2 = lanes::codeIs(tc, -2);
            const __m256d weight = _mm256_blendv_pd(
                _mm256_blendv_pd(codeMinus2, codeMinus1, isMinus1), codeAtLeast0, isPlain);
            stageGroup<D>(st, b, e, weight, F);
            const int violated = _mm256_movemask_pd(_mm256_cmp_pd(bound, dist, _CMP_LT_OQ));
            const int known =
                _mm256_movemask_pd(_mm256_or_pd(_mm256_or_pd(isPlain, isMinus1), isMinus2));
            count = st.note(count, b, violated & known);
            unknown += __builtin_popcount(violated & ~known);
        }
        for (int64_t c = 0; c < count; ++c)
            applyRow<D>(X, G, d, st, st.contributing[c]);
        reportUnknown(print, kUnknownUpper, unknown * d);
    }
    upperRows(X, d, Ub, mU, r, mU, w, G, print);
}

// The regularisation pass: every element of G independent of the others.
DISTGEOM_AVX2 void regularisationLanes(const double* X, int64_t d, int64_t n, const Weights& w,
                                       double* G)
{
    const int64_t size = d * n;
    const __m256d W4 = _mm256_set1_pd(w.W4);
    int64_t e = 0;
    for (; e + lanes::kWidth <= size; e += lanes::kWidth)
        _mm256_storeu_pd(G + e, _mm256_add_pd(_mm256_loadu_pd(G + e),
                                              _mm256_mul_pd(W4, _mm256_loadu_pd(X + e))));
    for (; e < size; ++e)
        G[e] = G[e] + w.W4 * X[e];
}

template <int D>
DISTGEOM_AVX2 void allRowsLanes(const double* X, int64_t d, int64_t n, const double* D_,
                                int64_t mD, const double* Lb, int64_t mL, const double* Ub,
                                int64_t mU, const Weights& w, double* G, PrintSink print)
{
    distanceRowsLanes<D>(X, d, D_, mD, w, G);
    lowerRowsLanes<D>(X, d, Lb, mL, w, G, print);
    upperRowsLanes<D>(X, d, Ub, mU, w, G, print);
    regularisationLanes(X, d, n, w, G);
}

#endif  // DISTGEOM_LANES

}  // namespace

namespace plain {

void penslopeKernel(const double* X, int64_t d, int64_t n,
                    const double* D, int64_t mD,
                    const double* Lb, int64_t mL,
                    const double* Ub, int64_t mU,
                    double w1, double w2, double w3, double w4,
                    double t1, double t2, double t3, double t4,
                    double* G, PrintSink print)
{
    const Weights w{2.0 * w1, 2.0 * w2, 2.0 * w3, 2.0 * w4, t1, t2, t3, t4};
    distanceRows(X, d, D, mD, 0, mD, w, G);
    lowerRows(X, d, Lb, mL, 0, mL, w, G, print);
    upperRows(X, d, Ub, mU, 0, mU, w, G, print);
    regularisation(X, d, n, w, G);
}

}  // namespace plain

void penslopeKernel(const double* X, int64_t d, int64_t n,
                    const double* D, int64_t mD,
                    const double* Lb, int64_t mL,
                    const double* Ub, int64_t mU,
                    double w1, double w2, double w3, double w4,
                    double t1, double t2, double t3, double t4,
                    double* G, PrintSink print)
{
#if DISTGEOM_LANES
    // With d = 0 no coordinate is read and the gateways check no offset.
    if (d > 0 && lanes::available()) {
        const Weights w{2.0 * w1, 2.0 * w2, 2.0 * w3, 2.0 * w4, t1, t2, t3, t4};
        switch (d) {
        case 1: allRowsLanes<1>(X, d, n, D, mD, Lb, mL, Ub, mU, w, G, print); break;
        case 2: allRowsLanes<2>(X, d, n, D, mD, Lb, mL, Ub, mU, w, G, print); break;
        case 3: allRowsLanes<3>(X, d, n, D, mD, Lb, mL, Ub, mU, w, G, print); break;
        case 4: allRowsLanes<4>(X, d, n, D, mD, Lb, mL, Ub, mU, w, G, print); break;
        default: allRowsLanes<0>(X, d, n, D, mD, Lb, mL, Ub, mU, w, G, print); break;
        }
        return;
    }
#endif
    plain::penslopeKernel(X, d, n, D, mD, Lb, mL, Ub, mU, w1, w2, w3, w4, t1, t2, t3, t4, G,
                          print);
}

}  // namespace distgeom
