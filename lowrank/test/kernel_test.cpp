// The low-rank kernels against the reference loops, bit for bit; the BLAS
// forms against the loop form within rounding, with the host's BLAS; the
// splitting of large BLAS counts with a small chunk limit; the column check.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <random>
#include <utility>
#include <vector>

#include "bits.h"
#include "blas.h"
#include "kernels.h"
#include "reference.h"

using testing_util::bitsOf;
using testing_util::kInf;
using testing_util::kNaN;
using testing_util::sameBits;

namespace {

struct Sample {
    int64_t r = 0, m = 0, n = 0, L = 0;
    std::vector<double> Xt, Y, I, J;
};

// Factors of r rows with m and n columns, and L positions whose indices stay
// inside (fractional ones included, as long as the column they read is whole).
// With `adversarial` some factor values are NaN, infinite, signed zeros, huge
// or tiny.
Sample randomSample(std::mt19937_64& rng, int64_t r, int64_t m, int64_t n, int64_t L,
                    bool adversarial)
{
    static const double special[] = {kNaN, kInf, -kInf, 0.0, -0.0, 1e300, -1e300,
                                     4.9e-324, 1e-200, 1e16, -1.0};
    std::normal_distribution<double> normal(0, 1);
    std::uniform_real_distribution<double> u(0, 1);
    Sample s;
    s.r = r, s.m = m, s.n = n, s.L = L;
    auto fill = [&](std::vector<double>& a, int64_t count) {
        a.resize(static_cast<size_t>(count));
        for (double& x : a) {
            x = normal(rng);
            if (adversarial && u(rng) < 0.1)
                x = special[static_cast<size_t>(u(rng) * std::size(special))];
        }
    };
    fill(s.Xt, r * m);
    fill(s.Y, r * n);
    auto index = [&](int64_t columns) {
        double x = 1 + std::floor(u(rng) * static_cast<double>(columns));
        // A fraction below 1/r keeps the offset inside the same column.
        if (r > 0 && u(rng) < 0.2)
            x += u(rng) / static_cast<double>(r + 1);
        return x;
    };
    for (int64_t k = 0; k < L; ++k) {
        s.I.push_back(index(m));
        s.J.push_back(index(n));
    }
    return s;
}

std::vector<double> loopForm(const Sample& s)
{
    std::vector<double> v(static_cast<size_t>(s.L), -7.0);
    lowrank::obsprodKernel(s.r, s.L, s.Xt.data(), s.Y.data(), s.I.data(), s.J.data(), v.data());
    return v;
}

std::vector<double> blasForm(const Sample& s, int64_t limit = lowrank::kBlasMaxCount)
{
    std::vector<double> v(static_cast<size_t>(s.L), -7.0);
    lowrank::obsprodBlasKernel(ddot_, s.r, s.L, s.Xt.data(), s.Y.data(), s.I.data(),
                               s.J.data(), v.data(), limit);
    return v;
}

// A fake BLAS dot product that records each call's length and start.
struct DotLog {
    std::vector<std::pair<int64_t, const double*>> calls;
};
DotLog g_dotLog;
double fakeDot(const lowrank::blas_int* n, const double* x, const lowrank::blas_int* incx,
               const double* y, const lowrank::blas_int* incy)
{
    EXPECT_EQ(1, *incx);
    EXPECT_EQ(1, *incy);
    g_dotLog.calls.emplace_back(*n, x);
    double s = 0.0;
    for (lowrank::blas_int i = 0; i < *n; ++i)
        s = s + x[i] * y[i];
    return s;
}

std::vector<std::pair<int64_t, const double*>> g_copyLog;
void fakeCopy(const lowrank::blas_int* n, const double* x, const lowrank::blas_int* incx,
              double* y, const lowrank::blas_int* incy)
{
    EXPECT_EQ(1, *incx);
    EXPECT_EQ(1, *incy);
    g_copyLog.emplace_back(*n, x);
    dcopy_(n, x, incx, y, incy);
}

}  // namespace

TEST(ObsprodKernel, MatchesReference)
{
    std::mt19937_64 rng(77);
    for (bool adversarial : {false, true})
        for (int64_t r : {0, 1, 2, 3, 5, 8, 33})
            for (int64_t L : {0, 1, 7, 200}) {
                const Sample s = randomSample(rng, r, r + 3, r + 1, L, adversarial);
                EXPECT_TRUE(sameBits(ref::obsprod(s.r, s.L, s.Xt.data(), s.Y.data(),
                                                  s.I.data(), s.J.data()),
                                     loopForm(s)))
                    << "r=" << r << " L=" << L << " adversarial=" << adversarial;
            }
}

TEST(ObsprodKernel, WorkedExamples)
{
    Sample s;
    s.r = 2, s.m = 2, s.n = 3, s.L = 2;
    s.Xt = {1, 3, 2, 4};
    s.Y = {5, 8, 6, 9, 7, 10};
    s.I = {1, 2};
    s.J = {3, 1};
    EXPECT_EQ((std::vector<double>{37, 42}), loopForm(s));
    // The product, not the index, is truncated: 2.5 with r = 2 reads from
    // offset 3, the second value of column 2 and the first of column 3.
    s.I = {1, 1};
    s.J = {2.5, 1};
    s.Xt = {1, 10, 2, 20};
    EXPECT_EQ((std::vector<double>{9 + 10 * 7, 5 + 10 * 8}), loopForm(s));
}

TEST(ObsprodKernel, SumsFromZeroInRowOrder)
{
    Sample s;
    s.r = 3, s.m = 3, s.n = 3, s.L = 2;
    // Products 1e16, 1, 1: each 1 is lost in row order.
    s.Xt = {1e8, 1, 1, -0.0, 0, 0, 0, 0, 0};
    s.Y = {1e8, 1, 1, 1, 0, 0, 0, 0, 0};
    s.I = {1, 2};
    s.J = {1, 2};
    const std::vector<double> v = loopForm(s);
    EXPECT_EQ(1e16, v[0]);
    // -0 * 1 + ... starts from +0.0, so the sum is +0, not -0.
    EXPECT_EQ(bitsOf(0.0), bitsOf(v[1]));
}

TEST(ObsprodKernel, RankZeroGivesZeros)
{
    Sample s;
    s.L = 3;
    s.I = {1, 5, 2};
    s.J = {4, 1, 1};
    EXPECT_TRUE(sameBits({0.0, 0.0, 0.0}, loopForm(s)));
    EXPECT_TRUE(sameBits({0.0, 0.0, 0.0}, blasForm(s)));
}

TEST(ObsprodBlasKernel, AgreesWithLoopFormWithinRounding)
{
    std::mt19937_64 rng(78);
    for (int64_t r : {1, 2, 4, 5, 7, 16, 100})
        for (int64_t limit : {lowrank::kBlasMaxCount, int64_t(3), int64_t(1)}) {
            const Sample s = randomSample(rng, r, r + 2, r + 5, 300, false);
            const std::vector<double> loop = loopForm(s), blas = blasForm(s, limit);
            for (int64_t k = 0; k < s.L; ++k) {
                // Bound on the rounding of any order of summation.
                double scale = 0.0;
                const int64_t oX = ref::offset(s.I[k], r), oY = ref::offset(s.J[k], r);
                for (int64_t t = 0; t < r; ++t)
                    scale += std::fabs(s.Xt[oX + t] * s.Y[oY + t]);
                EXPECT_NEAR(loop[k], blas[k], 2.0 * r * 2.3e-16 * scale)
                    << "r=" << r << " k=" << k << " limit=" << limit;
            }
        }
}

TEST(BlasChunks, DotSplitsLargeCountsAndAddsInOrder)
{
    std::vector<double> x(7), y(7, 1.0);
    for (int i = 0; i < 7; ++i)
        x[i] = i + 1;
    const double* px = x.data();
    g_dotLog.calls.clear();
    EXPECT_EQ(28.0, lowrank::dotInChunks(fakeDot, 7, x.data(), y.data(), 3));
    ASSERT_EQ(3u, g_dotLog.calls.size());
    EXPECT_EQ(std::make_pair(int64_t(3), px), g_dotLog.calls[0]);
    EXPECT_EQ(std::make_pair(int64_t(3), px + 3), g_dotLog.calls[1]);
    EXPECT_EQ(std::make_pair(int64_t(1), px + 6), g_dotLog.calls[2]);

    // Exactly a multiple of the limit: no empty trailing call.
    g_dotLog.calls.clear();
    EXPECT_EQ(21.0, lowrank::dotInChunks(fakeDot, 6, x.data(), y.data(), 3));
    EXPECT_EQ(2u, g_dotLog.calls.size());

    // Length 0 is still one call, and gives 0.
    g_dotLog.calls.clear();
    EXPECT_EQ(0.0, lowrank::dotInChunks(fakeDot, 0, x.data(), y.data(), 3));
    ASSERT_EQ(1u, g_dotLog.calls.size());
    EXPECT_EQ(0, g_dotLog.calls[0].first);

    // The partial sums are added in order: 1e16 + 1 + 1 stays 1e16.
    const std::vector<double> a = {1e16, 1, 1}, b = {1, 1, 1};
    EXPECT_EQ(1e16, lowrank::dotInChunks(fakeDot, 3, a.data(), b.data(), 1));
}

TEST(BlasChunks, CopySplitsLargeCounts)
{
    std::vector<double> src(10), dst(12, -1.0);
    for (int i = 0; i < 10; ++i)
        src[i] = 0.5 * i;
    src[3] = kNaN;
    src[4] = -0.0;
    g_copyLog.clear();
    lowrank::copyInChunks(fakeCopy, 10, src.data(), dst.data(), 4);
    ASSERT_EQ(3u, g_copyLog.size());
    EXPECT_EQ(4, g_copyLog[0].first);
    EXPECT_EQ(4, g_copyLog[1].first);
    EXPECT_EQ(2, g_copyLog[2].first);
    EXPECT_EQ(static_cast<const double*>(src.data() + 8), g_copyLog[2].second);
    std::vector<double> expected = src;
    expected.push_back(-1.0);
    expected.push_back(-1.0);
    EXPECT_TRUE(sameBits(expected, dst));
    EXPECT_EQ(bitsOf(src[3]), bitsOf(dst[3]));

    // The real BLAS in chunks of one, and the whole count at once.
    std::vector<double> whole(10, 0.0), ones(10, 0.0);
    lowrank::copyInChunks(dcopy_, 10, src.data(), whole.data());
    lowrank::copyInChunks(dcopy_, 10, src.data(), ones.data(), 1);
    EXPECT_TRUE(sameBits(src, whole));
    EXPECT_TRUE(sameBits(src, ones));

    // Nothing to copy: nothing changes.
    std::vector<double> untouched(3, 2.0);
    lowrank::copyInChunks(dcopy_, 0, src.data(), untouched.data(), 4);
    EXPECT_TRUE(sameBits({2.0, 2.0, 2.0}, untouched));
}

TEST(NzfillKernel, CopiesBitsAndNothingMore)
{
    // A signalling NaN with a payload, a quiet one, signed zeros, infinities,
    // a subnormal.
    const uint64_t snan = 0x7ff0000000000123ULL;
    double sn;
    std::memcpy(&sn, &snan, sizeof sn);
    const std::vector<double> src = {sn, kNaN, -0.0, 0.0, kInf, -kInf, 4.9e-324, 1.5, 9.0};
    for (int64_t n : {0, 1, 5, 8}) {
        std::vector<double> dst(9, 3.25), expected(9, 3.25);
        lowrank::nzfillKernel(dst.data(), src.data(), n);
        ref::nzfill(expected.data(), src.data(), n);
        for (size_t i = 0; i < dst.size(); ++i)
            EXPECT_EQ(bitsOf(expected[i]), bitsOf(dst[i])) << "n=" << n << " i=" << i;
    }
    // Source and destination the same array: nothing changes.
    std::vector<double> same = src;
    lowrank::nzfillKernel(same.data(), same.data(), 9);
    for (size_t i = 0; i < same.size(); ++i)
        EXPECT_EQ(bitsOf(src[i]), bitsOf(same[i]));
}

TEST(ColumnCheck, AcceptsWholeColumnsOnly)
{
    using lowrank::firstColumnOutside;
    // Columns of 2 doubles, 3 columns: offsets 0 .. 4 are whole columns.
    const std::vector<double> good = {1, 2, 3, 2.5, 3.4, 0.9, 1.49};
    EXPECT_EQ(-1, firstColumnOutside(good.data(), 7, 2, 3));
    for (double bad : {kNaN, kInf, -kInf, 0.0, -1.0, 0.4, 3.5, 4.0, 1e300, -1e300}) {
        const std::vector<double> idx = {1, 2, bad, 1};
        EXPECT_EQ(2, firstColumnOutside(idx.data(), 4, 2, 3)) << bad;
        // Only the first L indices are looked at.
        EXPECT_EQ(-1, firstColumnOutside(idx.data(), 2, 2, 3)) << bad;
    }
    // Columns of nothing: nothing is read, so every index passes.
    const std::vector<double> any = {kNaN, -5, 1e300};
    EXPECT_EQ(-1, firstColumnOutside(any.data(), 3, 0, 0));
    // No columns at all.
    EXPECT_EQ(0, firstColumnOutside(good.data(), 1, 2, 0));
}
