#include "kernels.h"
#include "pairdist.h"

namespace distgeom {
namespace {

struct Weights {
    double w1, w2, w3, w4, t1, t2, t3, t4;
};

// ---- The plain loops ------------------------------------------------------
// Each pass takes rows r0 .. r1-1 and returns the running sum with their
// terms added, one term at a time in row order.

// Distance rows: every row adds (w1*g)*g, whichever side of the target.
double distanceRows(const double* X, int64_t d, const double* D, int64_t mD, int64_t r0,
                    int64_t r1, const Weights& w, double acc)
{
    for (int64_t r = r0; r < r1; ++r) {
        const double g = D[r + 2 * mD] - rowDistance(X, d, D, mD, r);
        acc = acc + (w.w1 * g) * g;
    }
    return acc;
}

// Lower bounds: only a shortfall (g > 0) counts; code 1 weighs with t4,
// code -2 with t3, any other code adds nothing.
double lowerRows(const double* X, int64_t d, const double* Lb, int64_t mL, int64_t r0,
                 int64_t r1, const Weights& w, double acc)
{
    for (int64_t r = r0; r < r1; ++r) {
        const double g = Lb[r + 2 * mL] - rowDistance(X, d, Lb, mL, r);
        const int32_t tc = tbx::truncToInt32(Lb[r + 3 * mL]);
        if (g > 0.0) {
            if (tc == 1)
                acc = acc + ((w.w2 * w.t4) * g) * g;
            else if (tc == -2)
                acc = acc + ((w.w2 * w.t3) * g) * g;
        }
    }
    return acc;
}

// Upper bounds: only an excess (g < 0) counts; codes 0 and up weigh with
// w3 alone, -1 with t1, -2 with t2, lower codes add nothing.
double upperRows(const double* X, int64_t d, const double* Ub, int64_t mU, int64_t r0,
                 int64_t r1, const Weights& w, double acc)
{
    for (int64_t r = r0; r < r1; ++r) {
        const double g = Ub[r + 2 * mU] - rowDistance(X, d, Ub, mU, r);
        const int32_t tc = tbx::truncToInt32(Ub[r + 3 * mU]);
        if (g < 0.0) {
            if (tc >= 0)
                acc = acc + (w.w3 * g) * g;
            else if (tc == -1)
                acc = acc + ((w.w3 * w.t1) * g) * g;
            else if (tc == -2)
                acc = acc + ((w.w3 * w.t2) * g) * g;
        }
    }
    return acc;
}

// Regularisation: w4 times each column's sum of squares, column by column.
double regularisation(const double* X, int64_t d, int64_t n, const Weights& w, double acc)
{
    for (int64_t k = 0; k < n; ++k) {
        double s = 0.0;
        for (int64_t e = 0; e < d; ++e) {
            const double x = X[k * d + e];
            s = s + x * x;
        }
        acc = acc + w.w4 * s;
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
#if DISTGEOM_LANES

// Rows in the block starting at r of a table with m rows: a multiple of
// four, at most kBlock; 0 once fewer than four rows are left.
inline int64_t blockRows(int64_t r, int64_t m)
{
    const int64_t left = (m - r) & ~(lanes::kWidth - 1);
    return left < lanes::kBlock ? left : lanes::kBlock;
}

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

template <int D>
DISTGEOM_AVX2 double distanceRowsLanes(const double* X, int64_t d, const double* D_,
                                       int64_t mD, const Weights& w, double acc)
{
    const __m256d w1 = _mm256_set1_pd(w.w1);
    TermStage st;
    int64_t r = 0;
    for (int64_t rows; (rows = blockRows(r, mD)) > 0; r += rows) {
        lanes::offsets(D_ + r, rows, d, st.oi);
        lanes::offsets(D_ + mD + r, rows, d, st.oj);
        double* term = st.forming();
        const double* prev = st.previous();
        for (int64_t b = 0; b < rows; b += lanes::kWidth) {
            const __m256d dist = lanes::distance4<D>(X, d, st.oi + b, st.oj + b);
            const __m256d g = _mm256_sub_pd(lanes::load4(D_ + 2 * mD + r + b), dist);
            _mm256_store_pd(term + b, _mm256_mul_pd(_mm256_mul_pd(w1, g), g));
            acc = addFour(acc, prev + b);
        }
        acc = st.endBlock(rows, acc);
    }
    acc = st.flush(acc);
    return distanceRows(X, d, D_, mD, r, mD, w, acc);
}

template <int D>
DISTGEOM_AVX2 double lowerRowsLanes(const double* X, int64_t d, const double* Lb, int64_t mL,
                                    const Weights& w, double acc)
{
    const __m256d code1 = _mm256_set1_pd(w.w2 * w.t4), codeMinus2 = _mm256_set1_pd(w.w2 * w.t3);
    const __m256d nothing = _mm256_set1_pd(-0.0), zero = _mm256_setzero_pd();
    TermStage st;
    int64_t r = 0;
    for (int64_t rows; (rows = blockRows(r, mL)) > 0; r += rows) {
        lanes::offsets(Lb + r, rows, d, st.oi);
        lanes::offsets(Lb + mL + r, rows, d, st.oj);
        double* term = st.forming();
        const double* prev = st.previous();
        for (int64_t b = 0; b < rows; b += lanes::kWidth) {
            const __m256d dist = lanes::distance4<D>(X, d, st.oi + b, st.oj + b);
            const __m256d g = _mm256_sub_pd(lanes::load4(Lb + 2 * mL + r + b), dist);
            const __m256d tc = lanes::load4(Lb + 3 * mL + r + b);
            const __m256d is1 = lanes::codeIs(tc, 1), isMinus2 = lanes::codeIs(tc, -2);
            const __m256d weight = _mm256_blendv_pd(codeMinus2, code1, is1);
            const __m256d t = _mm256_mul_pd(_mm256_mul_pd(weight, g), g);
            const __m256d adds = _mm256_and_pd(_mm256_cmp_pd(g, zero, _CMP_GT_OQ),
                                               _mm256_or_pd(is1, isMinus2));
            _mm256_store_pd(term + b, _mm256_blendv_pd(nothing, t, adds));
            acc = addFour(acc, prev + b);
        }
        acc = st.endBlock(rows, acc);
    }
    acc = st.flush(acc);
    return lowerRows(X, d, Lb, mL, r, mL, w, acc);
}

template <int D>
DISTGEOM_AVX2 double upperRowsLanes(const double* X, int64_t d, const double* Ub, int64_t mU,
                                    const Weights& w, double acc)
{
    const __m256d codeAtLeast0 = _mm256_set1_pd(w.w3);
    const __m256d codeMinus1 = _mm256_set1_pd(w.w3 * w.t1), codeMinus2 = _mm256_set1_pd(w.w3 * w.t2);
    const __m256d nothing = _mm256_set1_pd(-0.0), zero = _mm256_setzero_pd();
    TermStage st;
    int64_t r = 0;
    for (int64_t rows; (rows = blockRows(r, mU)) > 0; r += rows) {
        lanes::offsets(Ub + r, rows, d, st.oi);
        lanes::offsets(Ub + mU + r, rows, d, st.oj);
        double* term = st.forming();
        const double* prev = st.previous();
        for (int64_t b = 0; b < rows; b += lanes::kWidth) {
            const __m256d dist = lanes::distance4<D>(X, d, st.oi + b, st.oj + b);
            const __m256d g = _mm256_sub_pd(lanes::load4(Ub + 2 * mU + r + b), dist);
            const __m256d tc = lanes::load4(Ub + 3 * mU + r + b);
            const __m256d isPlain = lanes::codeNonNegative(tc);
            const __m256d isMinus1 = lanes::codeIs(tc, -1), isMinus2 = lanes::codeIs(tc, -2);
            // (w3*g)*g for codes 0 and up; ((w3*t1)*g)*g and ((w3*t2)*g)*g for -1, -2.
            const __m256d weight = _mm256_blendv_pd(
                _mm256_blendv_pd(codeMinus2, codeMinus1, isMinus1), codeAtLeast0, isPlain);
            const __m256d t = _mm256_mul_pd(_mm256_mul_pd(weight, g), g);
            const __m256d known = _mm256_or_pd(_mm256_or_pd(isPlain, isMinus1), isMinus2);
            const __m256d adds = _mm256_and_pd(_mm256_cmp_pd(g, zero, _CMP_LT_OQ), known);
            _mm256_store_pd(term + b, _mm256_blendv_pd(nothing, t, adds));
            acc = addFour(acc, prev + b);
        }
        acc = st.endBlock(rows, acc);
    }
    acc = st.flush(acc);
    return upperRows(X, d, Ub, mU, r, mU, w, acc);
}

// The three table passes for points of D coordinates (0: any d).
template <int D>
DISTGEOM_AVX2 double tableRowsLanes(const double* X, int64_t d, const double* D_, int64_t mD,
                                    const double* Lb, int64_t mL, const double* Ub, int64_t mU,
                                    const Weights& w, double acc)
{
    acc = distanceRowsLanes<D>(X, d, D_, mD, w, acc);
    acc = lowerRowsLanes<D>(X, d, Lb, mL, w, acc);
    return upperRowsLanes<D>(X, d, Ub, mU, w, acc);
}

#endif  // DISTGEOM_LANES

}  // namespace

namespace plain {

void penvalKernel(const double* X, int64_t d, int64_t n,
                  const double* D, int64_t mD,
                  const double* Lb, int64_t mL,
                  const double* Ub, int64_t mU,
                  double w1, double w2, double w3, double w4,
                  double t1, double t2, double t3, double t4,
                  double* acc)
{
    const Weights w{w1, w2, w3, w4, t1, t2, t3, t4};
    double sum = *acc;
    sum = distanceRows(X, d, D, mD, 0, mD, w, sum);
    sum = lowerRows(X, d, Lb, mL, 0, mL, w, sum);
    sum = upperRows(X, d, Ub, mU, 0, mU, w, sum);
    *acc = regularisation(X, d, n, w, sum);
}

}  // namespace plain

void penvalKernel(const double* X, int64_t d, int64_t n,
                  const double* D, int64_t mD,
                  const double* Lb, int64_t mL,
                  const double* Ub, int64_t mU,
                  double w1, double w2, double w3, double w4,
                  double t1, double t2, double t3, double t4,
                  double* acc)
{
#if DISTGEOM_LANES
    // With d = 0 no coordinate is read and the gateways check no offset.
    if (d > 0 && lanes::available()) {
        const Weights w{w1, w2, w3, w4, t1, t2, t3, t4};
        double sum = *acc;
        switch (d) {
        case 1: sum = tableRowsLanes<1>(X, d, D, mD, Lb, mL, Ub, mU, w, sum); break;
        case 2: sum = tableRowsLanes<2>(X, d, D, mD, Lb, mL, Ub, mU, w, sum); break;
        case 3: sum = tableRowsLanes<3>(X, d, D, mD, Lb, mL, Ub, mU, w, sum); break;
        case 4: sum = tableRowsLanes<4>(X, d, D, mD, Lb, mL, Ub, mU, w, sum); break;
        default: sum = tableRowsLanes<0>(X, d, D, mD, Lb, mL, Ub, mU, w, sum); break;
        }
        *acc = regularisation(X, d, n, w, sum);
        return;
    }
#endif
    plain::penvalKernel(X, d, n, D, mD, Lb, mL, Ub, mU, w1, w2, w3, w4, t1, t2, t3, t4, acc);
}

const char* kernelPath()
{
#if DISTGEOM_LANES
    if (lanes::available())
        return "avx2";
#endif
    return "plain";
}

}  // namespace distgeom
