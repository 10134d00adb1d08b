// penslope: every row's updates of G, in row order.
#include "kernels.h"
#include "passes.h"

namespace distgeom {
namespace {

// The row weights each pass chooses between (passes.h): a type weight times
// a scaled term weight W = 2*w, formed first.
struct PassWeights {
    double distance[3], lower[3], upper[3];
    double W4;
    explicit PassWeights(const Weights& w)
    {
        const double W1 = 2.0 * w.w1, W2 = 2.0 * w.w2, W3 = 2.0 * w.w3;
        W4 = 2.0 * w.w4;
        distance[0] = W1;
        lower[0] = w.t4 * W2;
        lower[1] = w.t3 * W2;
        upper[0] = W3;
        upper[1] = w.t1 * W3;
        upper[2] = w.t2 * W3;
        distance[1] = distance[2] = lower[2] = 0.0;
    }
};

// Pair factor of a row: 1 - q/dist, the quotient rounded first.
inline double pairFactor(double q, double dist) { return 1.0 - (q / dist); }

// Adds row weight s times the row's coordinate difference, times F, to point
// i and subtracts the same value from point j, coordinate by coordinate.
inline void updateRow(const double* X, double* G, int64_t d, int64_t oi, int64_t oj, double s,
                      double F)
{
    for (int64_t k = 0; k < d; ++k) {
        const double v = (s * (X[oi + k] - X[oj + k])) * F;
        G[oi + k] = G[oi + k] + v;
        G[oj + k] = G[oj + k] - v;
    }
}

// A violated bound row whose code selects no weight: one line per coordinate.
inline void reportUnknown(const PrintSink& sink, const char* text, int64_t lines)
{
    if (sink.print && lines > 0)
        sink.print(sink.context, text, lines);
}

// ---- The plain loops ------------------------------------------------------
// Rows r0 .. r1-1 of one pass, in row order.
template <Pass P>
void passRows(const Points& X, const Table& T, const double* c, int64_t r0, int64_t r1,
              double* G, const PrintSink& sink)
{
    for (int64_t r = r0; r < r1; ++r) {
        const int64_t oi = pointOffset(T.T[r], X.d), oj = pointOffset(T.T[r + T.m], X.d);
        const int32_t tc = typeCode<P>(T, r);
        const double q = T.T[r + 2 * T.m];
        const double dist = pairDistance(X.X, X.d, oi, oj);
        const double F = pairFactor(q, dist);
        if (!Rule<P>::violated(q, dist))
            continue;
        double s;
        if (Rule<P>::weight(tc, c, s))
            updateRow(X.X, G, X.d, oi, oj, s, F);
        else
            reportUnknown(sink, Rule<P>::unknownText, X.d);
    }
}

void regularisation(const Points& X, double W4, double* G)
{
    for (int64_t p = 0; p < X.n; ++p)
        for (int64_t k = 0; k < X.d; ++k)
            G[p * X.d + k] = G[p * X.d + k] + W4 * X.X[p * X.d + k];
}

// ---- Four rows side by side -----------------------------------------------
// Rows go through in blocks. For each block: the offsets of all its points;
// then, four rows at a time, the pair distance, the pair factor F, the row
// weight, whether the row contributes and, for points of two to four
// coordinates, the values v = (s * (xi - xj)) * F of each coordinate; then
// the updates of G, row by row in row order over the rows that contribute
// (two rows may name the same point, so the order of the updates is kept).
// Rows left after the last group of four take the plain loop.
#if TBX_SIMD

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

// Stages what the updates of rows b .. b+3 need: each row's values
// (s * e[k]) * F, one row of coordinates after another, or s and F.
template <int D>
TBX_AVX2 inline void stageGroup(RowStage& st, int64_t b, const __m256d* e, __m256d s,
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
        (void)e;
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
TBX_AVX2 inline void applyRow(const Points& X, double* G, const RowStage& st, int64_t b)
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
        updateRow(X.X, G, X.d, oi, oj, st.s[b], st.F[b]);
    }
}

template <Pass P, int D>
TBX_AVX2 void passLanes(const Points& X, const Table& T, const double* c, int64_t r0,
                        int64_t r1, double* G, const PrintSink& sink)
{
    const __m256d one = _mm256_set1_pd(1.0);
    const __m256d cw[3] = {_mm256_set1_pd(c[0]), _mm256_set1_pd(c[1]), _mm256_set1_pd(c[2])};
    RowStage st;
    int64_t r = r0;
    for (int64_t rows; (rows = lanes::blockRows(r, r1)) > 0; r += rows) {
        lanes::rowOffsets(X, T, r, rows, st.oi, st.oj);
        int64_t count = 0, unknown = 0;
        for (int64_t b = 0; b < rows; b += lanes::kLanes) {
            __m256d e[4];
            const __m256d dist = lanes::distance4<D>(X.X, X.d, st.oi + b, st.oj + b, e);
            const __m256d q = lanes::load4(T.T + 2 * T.m + r + b);
            const __m256d F = _mm256_sub_pd(one, _mm256_div_pd(q, dist));
            __m256d known;
            const __m256d s = lanes::weight4<P>(lanes::codes4<P>(T, r + b), cw, known);
            stageGroup<D>(st, b, e, s, F);
            const int violated = _mm256_movemask_pd(lanes::violated4<P>(q, dist));
            const int knownBits = _mm256_movemask_pd(known);
            count = st.note(count, b, violated & knownBits);
            unknown += __builtin_popcount(violated & ~knownBits);
        }
        for (int64_t k = 0; k < count; ++k)
            applyRow<D>(X, G, st, st.contributing[k]);
        reportUnknown(sink, Rule<P>::unknownText, unknown * X.d);
    }
    passRows<P>(X, T, c, r, r1, G, sink);
}

// The regularisation pass: every element of G independent of the others.
TBX_AVX2 void regularisationLanes(const Points& X, double W4, double* G)
{
    const int64_t size = X.d * X.n;
    const __m256d w = _mm256_set1_pd(W4);
    int64_t e = 0;
    for (; e + lanes::kLanes <= size; e += lanes::kLanes)
        _mm256_storeu_pd(G + e, _mm256_add_pd(_mm256_loadu_pd(G + e),
                                              _mm256_mul_pd(w, _mm256_loadu_pd(X.X + e))));
    for (; e < size; ++e)
        G[e] = G[e] + W4 * X.X[e];
}

template <int D>
TBX_AVX2 void allLanes(const Penalty& p, const PassWeights& c, double* G, const PrintSink& sink)
{
    passLanes<Pass::distance, D>(p.X, p.D, c.distance, 0, p.D.m, G, sink);
    passLanes<Pass::lower, D>(p.X, p.Lb, c.lower, 0, p.Lb.m, G, sink);
    passLanes<Pass::upper, D>(p.X, p.Ub, c.upper, 0, p.Ub.m, G, sink);
    regularisationLanes(p.X, c.W4, G);
}

#endif  // TBX_SIMD

}  // namespace

void penslopeKernel(const Penalty& p, double* G, const PrintSink& sink, const tbx::Exec& ex)
{
    // Without coordinates there is nothing to update and nothing to print:
    // every update and every diagnostic comes once per coordinate.
    if (p.X.d == 0)
        return;
    const PassWeights c(p.w);
#if TBX_SIMD
    if (ex.path == tbx::Path::avx2) {
        switch (p.X.d) {
        case 1: allLanes<1>(p, c, G, sink); return;
        case 2: allLanes<2>(p, c, G, sink); return;
        case 3: allLanes<3>(p, c, G, sink); return;
        case 4: allLanes<4>(p, c, G, sink); return;
        default: allLanes<0>(p, c, G, sink); return;
        }
    }
#endif
    (void)ex;
    passRows<Pass::distance>(p.X, p.D, c.distance, 0, p.D.m, G, sink);
    passRows<Pass::lower>(p.X, p.Lb, c.lower, 0, p.Lb.m, G, sink);
    passRows<Pass::upper>(p.X, p.Ub, c.upper, 0, p.Ub.m, G, sink);
    regularisation(p.X, c.W4, G);
}

}  // namespace distgeom
