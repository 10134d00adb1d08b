// penslope: every row's updates of G, in row order.
#include <algorithm>
#include <vector>

#include "kernels.h"
#include "passes.h"
#include "threads.h"

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

// What one row of pass P does: its offsets, and whether it updates G (with
// its row weight s and pair factor F) or is a violated row of unknown code.
enum class RowIs { nothing, contributing, unknown };

template <Pass P>
inline RowIs rowOf(const Points& X, const Table& T, const double* c, int64_t r, int64_t& oi,
                   int64_t& oj, double& s, double& F)
{
    oi = pointOffset(T.T[r], X.d);
    oj = pointOffset(T.T[r + T.m], X.d);
    const int32_t tc = typeCode<P>(T, r);
    const double q = T.T[r + 2 * T.m];
    const double dist = pairDistance(X.X, X.d, oi, oj);
    F = pairFactor(q, dist);
    if (!Rule<P>::violated(q, dist))
        return RowIs::nothing;
    return Rule<P>::weight(tc, c, s) ? RowIs::contributing : RowIs::unknown;
}

// ---- The plain loops ------------------------------------------------------
// Rows r0 .. r1-1 of one pass, in row order.
template <Pass P>
void passRows(const Points& X, const Table& T, const double* c, int64_t r0, int64_t r1,
              double* G, const PrintSink& sink)
{
    for (int64_t r = r0; r < r1; ++r) {
        int64_t oi, oj;
        double s, F;
        switch (rowOf<P>(X, T, c, r, oi, oj, s, F)) {
        case RowIs::contributing: updateRow(X.X, G, X.d, oi, oj, s, F); break;
        case RowIs::unknown: reportUnknown(sink, Rule<P>::unknownText, X.d); break;
        case RowIs::nothing: break;
        }
    }
}

// Elements e0 .. e1-1 of G: every element independent of the others.
void regularisation(const Points& X, double W4, double* G, int64_t e0, int64_t e1)
{
    for (int64_t e = e0; e < e1; ++e)
        G[e] = G[e] + W4 * X.X[e];
}

// ---- Four rows side by side -----------------------------------------------
// Rows go through in blocks. For each block: the offsets of all its points;
// then, four rows at a time, the pair distance, the pair factor F, the row
// weight, whether the row contributes and, for points of two to four
// coordinates, the values v = (s * (xi - xj)) * F of each coordinate; then
// the updates of G, row by row in row order over the rows that contribute
// (two rows may name the same point, so the order of the updates is kept).
// Rows left after the last group of four take the plain loop.

// Values staged (with D = 2 .. 4) for all coordinates of a row; with other
// D the update forms them from the row weight s and the pair factor F.
template <int D>
constexpr bool kStagesValues = D >= 2 && D <= 4;

// Where the rows of a stretch are staged, by their place b in it.
struct StageView {
    int64_t* oi;
    int64_t* oj;
    double (*v)[4];  // v[b][k]: coordinate k of row b
    double* s;       // row weight
    double* F;
};

template <int D>
TBX_AVX2 void allLanes(const Penalty& p, const PassWeights& c, double* G, const PrintSink& sink);
}  // namespace
// (Outside the unnamed namespace: builds without the AVX2 paths declare it
// and never define it.)
TBX_AVX2 void regularisationLanes(const Points& X, double W4, double* G, int64_t e0, int64_t e1);
namespace {
template <int D>
TBX_AVX2 inline void applyRow(const Points& X, double* G, const StageView& st, int64_t b);

#if TBX_SIMD

// Stages what the updates of rows b .. b+3 need: each row's values
// (s * e[k]) * F, one row of coordinates after another, or s and F.
template <int D>
TBX_AVX2 inline void stageGroup(const StageView& st, int64_t b, const __m256d* e, __m256d s,
                                __m256d F)
{
    if constexpr (kStagesValues<D>) {
        __m256d v[4];
        for (int k = 0; k < D; ++k)
            v[k] = _mm256_mul_pd(_mm256_mul_pd(s, e[k]), F);
        // Coordinates 0 and 1 of rows (b, b+2) and (b+1, b+3), then 2 and 3.
        const __m256d c01a = _mm256_unpacklo_pd(v[0], v[1]), c01b = _mm256_unpackhi_pd(v[0], v[1]);
        _mm_storeu_pd(st.v[b], _mm256_castpd256_pd128(c01a));
        _mm_storeu_pd(st.v[b + 1], _mm256_castpd256_pd128(c01b));
        _mm_storeu_pd(st.v[b + 2], _mm256_extractf128_pd(c01a, 1));
        _mm_storeu_pd(st.v[b + 3], _mm256_extractf128_pd(c01b, 1));
        if constexpr (D > 2) {
            const __m256d c23a = _mm256_unpacklo_pd(v[2], v[D - 1]);
            const __m256d c23b = _mm256_unpackhi_pd(v[2], v[D - 1]);
            _mm_storeu_pd(st.v[b] + 2, _mm256_castpd256_pd128(c23a));
            _mm_storeu_pd(st.v[b + 1] + 2, _mm256_castpd256_pd128(c23b));
            _mm_storeu_pd(st.v[b + 2] + 2, _mm256_extractf128_pd(c23a, 1));
            _mm_storeu_pd(st.v[b + 3] + 2, _mm256_extractf128_pd(c23b, 1));
        }
    } else {
        (void)e;
        _mm256_storeu_pd(st.s + b, s);
        _mm256_storeu_pd(st.F + b, F);
    }
}

// Forms and stages rows r .. r+rows-1 of pass P (rows a multiple of four,
// staged from place b0 on); bits[g] gets the contributing rows of group g
// (four rows, one bit each), and the count of violated rows of unknown code
// is returned.
template <Pass P, int D>
TBX_AVX2 int64_t stageRows(const Points& X, const Table& T, const __m256d* cw, int64_t r,
                           int64_t rows, const StageView& st, int64_t b0, int* bits)
{
    const __m256d one = _mm256_set1_pd(1.0);
    lanes::rowOffsets(X, T, r, rows, st.oi + b0, st.oj + b0);
    int64_t unknown = 0;
    for (int64_t b = 0; b < rows; b += lanes::kLanes) {
        __m256d e[4];
        const __m256d dist = lanes::distance4<D>(X.X, X.d, st.oi + b0 + b, st.oj + b0 + b, e);
        const __m256d q = lanes::load4(T.T + 2 * T.m + r + b);
        const __m256d F = _mm256_sub_pd(one, _mm256_div_pd(q, dist));
        __m256d known;
        const __m256d s = lanes::weight4<P>(lanes::codes4<P>(T, r + b), cw, known);
        stageGroup<D>(st, b0 + b, e, s, F);
        const int violated = _mm256_movemask_pd(lanes::violated4<P>(q, dist));
        const int knownBits = _mm256_movemask_pd(known);
        bits[b / lanes::kLanes] = violated & knownBits;
        unknown += __builtin_popcount(violated & ~knownBits);
    }
    return unknown;
}

// The update of G by staged row b: +v to point i, -v to point j. Where the
// two points' coordinates do not interleave (the same point, or points at
// least D apart, which is always so for whole point numbers), each point's
// coordinates are updated at once: every element still receives its own +v,
// then its -v, as coordinate by coordinate.
template <int D>
TBX_AVX2 inline void applyRow(const Points& X, double* G, const StageView& st, int64_t b)
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
                const __m256d v4 = _mm256_loadu_pd(v);
                _mm256_storeu_pd(G + oi, _mm256_add_pd(_mm256_loadu_pd(G + oi), v4));
                _mm256_storeu_pd(G + oj, _mm256_sub_pd(_mm256_loadu_pd(G + oj), v4));
            } else {
                const __m128d v2 = _mm_loadu_pd(v);
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

struct RowStage {
    alignas(32) int64_t oi[lanes::kBlock];
    alignas(32) int64_t oj[lanes::kBlock];
    alignas(32) double v[lanes::kBlock][4];
    alignas(32) double F[lanes::kBlock];
    alignas(32) double s[lanes::kBlock];
    int bits[lanes::kBlock / lanes::kLanes];
    StageView view() { return {oi, oj, v, s, F}; }
};

template <Pass P, int D>
TBX_AVX2 void passLanes(const Points& X, const Table& T, const double* c, int64_t r0,
                        int64_t r1, double* G, const PrintSink& sink)
{
    const __m256d cw[3] = {_mm256_set1_pd(c[0]), _mm256_set1_pd(c[1]), _mm256_set1_pd(c[2])};
    RowStage st;
    const StageView view = st.view();
    int64_t r = r0;
    for (int64_t rows; (rows = lanes::blockRows(r, r1)) > 0; r += rows) {
        const int64_t unknown = stageRows<P, D>(X, T, cw, r, rows, view, 0, st.bits);
        for (int64_t g = 0; g < rows / lanes::kLanes; ++g)
            for (int bits = st.bits[g]; bits; bits &= bits - 1)
                applyRow<D>(X, G, view, g * lanes::kLanes + __builtin_ctz(bits));
        reportUnknown(sink, Rule<P>::unknownText, unknown * X.d);
    }
    passRows<P>(X, T, c, r, r1, G, sink);
}

}  // namespace

// The regularisation pass: every element of G independent of the others.
TBX_AVX2 void regularisationLanes(const Points& X, double W4, double* G, int64_t e0, int64_t e1)
{
    const __m256d w = _mm256_set1_pd(W4);
    int64_t e = e0;
    for (; e + lanes::kLanes <= e1; e += lanes::kLanes)
        _mm256_storeu_pd(G + e, _mm256_add_pd(_mm256_loadu_pd(G + e),
                                              _mm256_mul_pd(w, _mm256_loadu_pd(X.X + e))));
    regularisation(X, W4, G, e, e1);
}

namespace {

template <int D>
TBX_AVX2 void allLanes(const Penalty& p, const PassWeights& c, double* G, const PrintSink& sink)
{
    passLanes<Pass::distance, D>(p.X, p.D, c.distance, 0, p.D.m, G, sink);
    passLanes<Pass::lower, D>(p.X, p.Lb, c.lower, 0, p.Lb.m, G, sink);
    passLanes<Pass::upper, D>(p.X, p.Ub, c.upper, 0, p.Ub.m, G, sink);
    regularisationLanes(p.X, c.W4, G, 0, p.X.d * p.X.n);
}

#endif  // TBX_SIMD

// ---- On a team of threads -------------------------------------------------
// The rows of the three tables, in table order, are cut into chunks. The team
// forms and stages each chunk's rows (their offsets, which of them update G,
// their values or their s and F, how many violated rows have an unknown
// code), four side by side as on one thread; the calling thread applies the
// staged updates to G in row order, chunk after chunk (tbx::inOrder, one
// chain, which the calling thread holds), and prints each chunk's
// diagnostics. So G receives every update of the single-threaded
// loop, in its order, from one thread, and stays in that thread's cache; the
// team takes over the forming of the rows, which is the part that may run
// side by side.
constexpr int64_t kChunk = 1024;   // rows a chunk, a multiple of four
constexpr int kSlotsPerThread = 3;  // chunks staged at once, per thread
// The team gains little here: the ordered chain of updates to G is 42% of
// the work and the staged rows cross between cores, so two threads measured
// 0.86x to 1.19x the time of one (doc/threads.md). A call therefore runs on
// its own thread; the team path stays, run by the tests (Exec::anySize) and
// ready for a forming that scales.
constexpr int64_t kMinRowsPerThread = INT64_MAX;

// A chunk as staged: the rows that update G, `count` of them, in row order.
// `staged` rows of the chunk were formed; the rest (fewer than four, at the
// end of a table) are left to the plain loop, as on one thread.
struct Slot {
    alignas(32) int64_t oi[kChunk];
    alignas(32) int64_t oj[kChunk];
    alignas(32) double v[kChunk][4];
    alignas(32) double s[kChunk];
    alignas(32) double F[kChunk];
    int64_t count, staged, unknown;
    StageView view() { return {oi, oj, v, s, F}; }
};

// The plain loop's forming of the chunk's rows.
template <Pass P>
void stagePlain(const Points& X, const Chunk& k, Slot& slot)
{
    for (int64_t r = k.r0; r < k.r1; ++r) {
        const int64_t n = slot.count;
        switch (rowOf<P>(X, *k.T, k.c, r, slot.oi[n], slot.oj[n], slot.s[n], slot.F[n])) {
        case RowIs::contributing: ++slot.count; break;
        case RowIs::unknown: ++slot.unknown; break;
        case RowIs::nothing: break;
        }
    }
    slot.staged = k.r1 - k.r0;
}

template <Pass P, int D>
TBX_AVX2 void stageLanes(const Points& X, const Chunk& k, Slot& slot);

#if TBX_SIMD
// Four rows side by side, a block at a time as on one thread; the rows that
// update G are copied to the slot.
template <Pass P, int D>
TBX_AVX2 void stageLanes(const Points& X, const Chunk& k, Slot& slot)
{
    const __m256d cw[3] = {_mm256_set1_pd(k.c[0]), _mm256_set1_pd(k.c[1]), _mm256_set1_pd(k.c[2])};
    RowStage st;
    const StageView view = st.view();
    int64_t r = k.r0;
    for (int64_t rows; (rows = lanes::blockRows(r, k.r1)) > 0; r += rows) {
        slot.unknown += stageRows<P, D>(X, *k.T, cw, r, rows, view, 0, st.bits);
        for (int64_t g = 0; g < rows / lanes::kLanes; ++g)
            for (int bits = st.bits[g]; bits; bits &= bits - 1) {
                const int64_t b = g * lanes::kLanes + __builtin_ctz(bits), n = slot.count++;
                slot.oi[n] = st.oi[b];
                slot.oj[n] = st.oj[b];
                if constexpr (kStagesValues<D>) {
                    for (int c = 0; c < D; ++c)
                        slot.v[n][c] = st.v[b][c];
                } else {
                    slot.s[n] = st.s[b];
                    slot.F[n] = st.F[b];
                }
            }
    }
    slot.staged = r - k.r0;
}
#endif

template <Pass P, int D, bool Lanes>
void stage(const Points& X, const Chunk& k, Slot& slot)
{
    slot.count = slot.unknown = 0;
    if constexpr (Lanes)
        stageLanes<P, D>(X, k, slot);
    else
        stagePlain<P>(X, k, slot);
}

// The updates of the chunk's staged rows, in row order; then its last rows
// if some were not staged; then its diagnostics.
template <Pass P, int D, bool Lanes>
void apply(const Points& X, const Chunk& k, Slot& slot, double* G, const PrintSink& sink)
{
    if constexpr (Lanes) {
        const StageView view = slot.view();
        for (int64_t b = 0; b < slot.count; ++b)
            applyRow<D>(X, G, view, b);
    } else {
        for (int64_t b = 0; b < slot.count; ++b)
            updateRow(X.X, G, X.d, slot.oi[b], slot.oj[b], slot.s[b], slot.F[b]);
    }
    passRows<P>(X, *k.T, k.c, k.r0 + slot.staged, k.r1, G, sink);
    reportUnknown(sink, Rule<P>::unknownText, slot.unknown * X.d);
}

template <int D, bool Lanes>
void allTeam(const Penalty& p, const PassWeights& c, double* G, const PrintSink& sink,
             int threads)
{
    const std::vector<Chunk> chunks = chunksOf(p, c, kChunk);
    const int slots = kSlotsPerThread * threads;
    std::vector<Slot> ring(static_cast<size_t>(slots));
    tbx::inOrder(
        threads, static_cast<int64_t>(chunks.size()), slots, 1,
        [&](int64_t n, int s) {
            const Chunk& k = chunks[static_cast<size_t>(n)];
            Slot& slot = ring[static_cast<size_t>(s)];
            switch (k.pass) {
            case Pass::distance: stage<Pass::distance, D, Lanes>(p.X, k, slot); break;
            case Pass::lower: stage<Pass::lower, D, Lanes>(p.X, k, slot); break;
            case Pass::upper: stage<Pass::upper, D, Lanes>(p.X, k, slot); break;
            }
        },
        [&](int, int64_t n, int s) {
            const Chunk& k = chunks[static_cast<size_t>(n)];
            Slot& slot = ring[static_cast<size_t>(s)];
            switch (k.pass) {
            case Pass::distance: apply<Pass::distance, D, Lanes>(p.X, k, slot, G, sink); break;
            case Pass::lower: apply<Pass::lower, D, Lanes>(p.X, k, slot, G, sink); break;
            case Pass::upper: apply<Pass::upper, D, Lanes>(p.X, k, slot, G, sink); break;
            }
        });
    if constexpr (Lanes)
        regularisationLanes(p.X, c.W4, G, 0, p.X.d * p.X.n);
    else
        regularisation(p.X, c.W4, G, 0, p.X.d * p.X.n);
}

}  // namespace

void penslopeKernel(const Penalty& p, double* G, const PrintSink& sink, const tbx::Exec& ex)
{
    // Without coordinates there is nothing to update and nothing to print:
    // every update and every diagnostic comes once per coordinate.
    if (p.X.d == 0)
        return;
    const PassWeights c(p.w);
    const int threads = tbx::threadsFor(ex, p.D.m + p.Lb.m + p.Ub.m, kMinRowsPerThread);
    if (threads > 1) {
        tbx::onPath(
            ex.path, p.X.d, [&](auto D) { allTeam<D.value, true>(p, c, G, sink, threads); },
            [&] { allTeam<0, false>(p, c, G, sink, threads); });
        return;
    }
    tbx::onPath(
        ex.path, p.X.d, [&](auto D) { allLanes<D.value>(p, c, G, sink); },
        [&] {
            passRows<Pass::distance>(p.X, p.D, c.distance, 0, p.D.m, G, sink);
            passRows<Pass::lower>(p.X, p.Lb, c.lower, 0, p.Lb.m, G, sink);
            passRows<Pass::upper>(p.X, p.Ub, c.upper, 0, p.Ub.m, G, sink);
            regularisation(p.X, c.W4, G, 0, p.X.d * p.X.n);
        });
}

}  // namespace distgeom
