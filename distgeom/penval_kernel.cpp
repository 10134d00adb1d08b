// penval: one running sum, one term at a time, in row order.
#include <vector>

#include "kernels.h"
#include "passes.h"
#include "threads.h"

namespace distgeom {
namespace {

// The weights each pass chooses between (passes.h): the term weight times
// the type weight, formed first.
struct PassWeights {
    double distance[3], lower[3], upper[3];
    explicit PassWeights(const Weights& w)
        : distance{w.w1, 0, 0},
          lower{w.w2 * w.t4, w.w2 * w.t3, 0},
          upper{w.w3, w.w3 * w.t1, w.w3 * w.t2}
    {
    }
};

// ---- The plain loops ------------------------------------------------------
// The term of row r of one pass: ((s*g)*g), g its target or bound minus its
// pair distance, when the row contributes; false when it adds nothing.
template <Pass P>
inline bool rowTerm(const Points& X, const Table& T, const double* c, int64_t r, double& term)
{
    const double q = T.T[r + 2 * T.m];
    const double dist = rowDistance(X, T, r);
    const double g = q - dist;
    const int32_t tc = typeCode<P>(T, r);
    double s;
    if (!(Rule<P>::violated(q, dist) && Rule<P>::weight(tc, c, s)))
        return false;
    term = (s * g) * g;
    return true;
}

// Rows r0 .. r1-1 of one pass, each contributing row's term added to the
// running sum in row order.
template <Pass P>
double passRows(const Points& X, const Table& T, const double* c, int64_t r0, int64_t r1,
                double acc)
{
    for (int64_t r = r0; r < r1; ++r) {
        double term;
        if (rowTerm<P>(X, T, c, r, term))
            acc = acc + term;
    }
    return acc;
}

// Regularisation: w4 times each column's sum of squares, column by column.
// Without coordinates every column adds the same w4*0, and adding it again
// changes nothing (a zero leaves the sum alone, a NaN keeps it NaN): one
// column then stands for all of them.
double regularisation(const Points& X, double w4, double acc)
{
    const int64_t n = X.d == 0 && X.n > 1 ? 1 : X.n;
    for (int64_t k = 0; k < n; ++k) {
        double s = 0.0;
        for (int64_t e = 0; e < X.d; ++e) {
            const double x = X.X[k * X.d + e];
            s = s + x * x;
        }
        acc = acc + w4 * s;
    }
    return acc;
}

// ---- Four rows side by side -----------------------------------------------
// Rows go through in blocks. For each block: the offsets of all its points;
// then, four rows at a time, the plain loop's term of every row, where a row
// that adds nothing gets -0.0 (adding -0.0 leaves any sum exactly as it is,
// -0.0 and +0.0 included). The one running sum takes the staged terms in row
// order, a block behind, so that its additions, which have to wait for one
// another, overlap with the independent work on the next block. Rows left
// after the last group of four take the plain loop.
template <Pass P, int D>
TBX_AVX2 void termLanes(const Points& X, const Table& T, const double* c, int64_t r0,
                        int64_t r1, double* out);
template <int D>
TBX_AVX2 double tablesLanes(const Penalty& p, const PassWeights& c, double acc);

#if TBX_SIMD

// The terms of rows r+b .. r+b+3 (offsets oi + b, oj + b), -0.0 for a row
// that adds nothing; cw holds the pass's weights in every lane.
template <Pass P, int D>
TBX_AVX2 inline __m256d groupTerms(const Points& X, const Table& T, const __m256d* cw, int64_t r,
                                   int64_t b, const int64_t* oi, const int64_t* oj)
{
    __m256d e[4];
    const __m256d dist = lanes::distance4<D>(X.X, X.d, oi + b, oj + b, e);
    const __m256d q = lanes::load4(T.T + 2 * T.m + r + b);
    const __m256d g = _mm256_sub_pd(q, dist);
    __m256d known;
    const __m256d s = lanes::weight4<P>(lanes::codes4<P>(T, r + b), cw, known);
    const __m256d adds = _mm256_and_pd(lanes::violated4<P>(q, dist), known);
    const __m256d t = _mm256_mul_pd(_mm256_mul_pd(s, g), g);
    return _mm256_blendv_pd(_mm256_set1_pd(-0.0), t, adds);
}

struct Weights4 {
    __m256d c[3];
    TBX_AVX2 explicit Weights4(const double* w)
        : c{_mm256_set1_pd(w[0]), _mm256_set1_pd(w[1]), _mm256_set1_pd(w[2])}
    {
    }
};

// Terms staged per block, and the running sum that takes them in order.
struct TermStage {
    alignas(32) int64_t oi[lanes::kBlock];
    alignas(32) int64_t oj[lanes::kBlock];
    alignas(32) double term[2][lanes::kBlock];
    int cur = 0;          // buffer the block being formed writes to
    int64_t pending = 0;  // rows of the other buffer not yet added

    TermStage()
    {
        for (double& t : term[1])
            t = -0.0;
    }
    double* forming() { return term[cur]; }
    const double* previous() const { return term[cur ^ 1]; }
    // Ends a block of `rows` rows whose group loop added the previous
    // buffer's first `rows` terms.
    double endBlock(int64_t rows, double acc)
    {
        const double* prev = previous();
        for (int64_t b = rows; b < pending; ++b)
            acc = acc + prev[b];
        pending = rows;
        cur ^= 1;
        return acc;
    }
    // Adds what is still staged once the last block is formed.
    double flush(double acc)
    {
        const double* prev = previous();
        for (int64_t b = 0; b < pending; ++b)
            acc = acc + prev[b];
        pending = 0;
        return acc;
    }
};

// The four staged terms at t, in order.
inline double addFour(double acc, const double* t)
{
    acc = acc + t[0];
    acc = acc + t[1];
    acc = acc + t[2];
    acc = acc + t[3];
    return acc;
}

template <Pass P, int D>
TBX_AVX2 double passLanes(const Points& X, const Table& T, const double* c, int64_t r0,
                          int64_t r1, double acc)
{
    const Weights4 cw(c);
    TermStage st;
    int64_t r = r0;
    for (int64_t rows; (rows = lanes::blockRows(r, r1)) > 0; r += rows) {
        lanes::rowOffsets(X, T, r, rows, st.oi, st.oj);
        double* term = st.forming();
        const double* prev = st.previous();
        for (int64_t b = 0; b < rows; b += lanes::kLanes) {
            _mm256_store_pd(term + b, groupTerms<P, D>(X, T, cw.c, r, b, st.oi, st.oj));
            acc = addFour(acc, prev + b);
        }
        acc = st.endBlock(rows, acc);
    }
    acc = st.flush(acc);
    return passRows<P>(X, T, c, r, r1, acc);
}

// The terms of rows r0 .. r1-1 into out[0 .. r1-r0-1], -0.0 for a row that
// adds nothing.
template <Pass P, int D>
TBX_AVX2 void termLanes(const Points& X, const Table& T, const double* c, int64_t r0,
                        int64_t r1, double* out)
{
    const Weights4 cw(c);
    alignas(32) int64_t oi[lanes::kBlock], oj[lanes::kBlock];
    int64_t r = r0;
    for (int64_t rows; (rows = lanes::blockRows(r, r1)) > 0; r += rows) {
        lanes::rowOffsets(X, T, r, rows, oi, oj);
        for (int64_t b = 0; b < rows; b += lanes::kLanes)
            _mm256_storeu_pd(out + (r - r0) + b, groupTerms<P, D>(X, T, cw.c, r, b, oi, oj));
    }
    for (; r < r1; ++r)
        if (!rowTerm<P>(X, T, c, r, out[r - r0]))
            out[r - r0] = -0.0;
}

// The three table passes for points of D coordinates (0: any d).
template <int D>
TBX_AVX2 double tablesLanes(const Penalty& p, const PassWeights& c, double acc)
{
    acc = passLanes<Pass::distance, D>(p.X, p.D, c.distance, 0, p.D.m, acc);
    acc = passLanes<Pass::lower, D>(p.X, p.Lb, c.lower, 0, p.Lb.m, acc);
    return passLanes<Pass::upper, D>(p.X, p.Ub, c.upper, 0, p.Ub.m, acc);
}

#endif  // TBX_SIMD

double tablesPlain(const Penalty& p, const PassWeights& c, double acc)
{
    acc = passRows<Pass::distance>(p.X, p.D, c.distance, 0, p.D.m, acc);
    acc = passRows<Pass::lower>(p.X, p.Lb, c.lower, 0, p.Lb.m, acc);
    return passRows<Pass::upper>(p.X, p.Ub, c.upper, 0, p.Ub.m, acc);
}

// ---- On a team of threads -------------------------------------------------
// The rows of the three tables, in table order, are cut into chunks. The
// team forms each chunk's terms (every row's, -0.0 for a row that adds
// nothing) into a slot of a ring; the one running sum takes them in row
// order, chunk after chunk, as they become ready, on one thread at a time
// (tbx::inOrder, one chain). The sum is the single-threaded one, term for
// term.
constexpr int64_t kChunk = 4096;      // rows a chunk
constexpr int kSlotsPerThread = 4;    // chunks in the ring, per thread
constexpr int64_t kMinRowsPerThread = 16384;

// The terms of rows r0 .. r1-1 into out, -0.0 for a row that adds nothing.
// With d = 0 no coordinate is read, and no point number was checked: the
// plain loop then.
template <Pass P>
void formTerms(const Points& X, const Table& T, const double* c, int64_t r0, int64_t r1,
               double* out, tbx::Path path)
{
    tbx::onPath(
        X.d > 0 ? path : tbx::Path::plain, X.d,
        [&](auto D) { termLanes<P, D.value>(X, T, c, r0, r1, out); },
        [&] {
            for (int64_t r = r0; r < r1; ++r)
                if (!rowTerm<P>(X, T, c, r, out[r - r0]))
                    out[r - r0] = -0.0;
        });
}

void formChunk(const Points& X, const Chunk& k, double* out, tbx::Path path)
{
    switch (k.pass) {
    case Pass::distance: formTerms<Pass::distance>(X, *k.T, k.c, k.r0, k.r1, out, path); break;
    case Pass::lower: formTerms<Pass::lower>(X, *k.T, k.c, k.r0, k.r1, out, path); break;
    case Pass::upper: formTerms<Pass::upper>(X, *k.T, k.c, k.r0, k.r1, out, path); break;
    }
}

double tablesTeam(const Penalty& p, const PassWeights& c, double acc, tbx::Path path,
                  int threads)
{
    const std::vector<Chunk> chunks = chunksOf(p, c, kChunk);
    const int slots = kSlotsPerThread * threads;
    std::vector<double> ring(static_cast<size_t>(slots * kChunk));
    tbx::inOrder(
        threads, static_cast<int64_t>(chunks.size()), slots, 1,
        [&](int64_t k, int slot) {
            formChunk(p.X, chunks[static_cast<size_t>(k)], &ring[slot * kChunk], path);
        },
        [&](int, int64_t k, int slot) {
            const Chunk& chunk = chunks[static_cast<size_t>(k)];
            const double* term = &ring[slot * kChunk];
            for (int64_t r = 0; r < chunk.r1 - chunk.r0; ++r)
                acc = acc + term[r];
        });
    return acc;
}

}  // namespace

void penvalKernel(const Penalty& p, double* acc, const tbx::Exec& ex)
{
    const PassWeights c(p.w);
    const int threads = tbx::threadsFor(ex, p.D.m + p.Lb.m + p.Ub.m, kMinRowsPerThread);
    double sum = *acc;
    if (threads > 1)
        sum = tablesTeam(p, c, sum, ex.path, threads);
    else
        // With d = 0 no coordinate is read, and no point number was checked.
        sum = tbx::onPath(
            p.X.d > 0 ? ex.path : tbx::Path::plain, p.X.d,
            [&](auto D) { return tablesLanes<D.value>(p, c, sum); },
            [&] { return tablesPlain(p, c, sum); });
    *acc = regularisation(p.X, p.w.w4, sum);
}

}  // namespace distgeom
