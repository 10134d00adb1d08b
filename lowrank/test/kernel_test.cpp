// The low-rank kernels against the reference loops, bit for bit; the BLAS
// form against the loop form within rounding, with the host's BLAS; the
// splitting of large BLAS counts (small chunk limit); the column check.
#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

#include "bits.h"
#include "guarded.h"
#include "paths.h"
#include "lowrank/blas.h"
#include "lowrank/kernels.h"
#include "reference.h"
#include "simd.h"

using testing_util::bitsOf;
using testing_util::kInf;
using testing_util::kNaN;
using testing_util::paths;
using testing_util::sameBits;

namespace {

// r-by-m and r-by-n factors and L positions inside them (some indices
// fractional, reading a whole column). `special` values are mixed into the
// factors when asked.
struct Sample {
    int64_t r, L;
    std::vector<double> Xt, Y, I, J;
};

Sample randomSample(std::mt19937_64& rng, int64_t r, int64_t L, bool adversarial)
{
    const double special[] = {kNaN, kInf, -kInf, 0.0, -0.0, 1e300, 4.9e-324, 1e16};
    std::normal_distribution<double> normal(0, 1);
    std::uniform_real_distribution<double> u(0, 1);
    const int64_t m = r + 3, n = r + 1;
    Sample s{r, L, {}, {}, {}, {}};
    for (auto [a, count] : {std::pair{&s.Xt, r * m}, std::pair{&s.Y, r * n}})
        for (int64_t i = 0; i < count; ++i)
            a->push_back(adversarial && u(rng) < 0.1 ? special[static_cast<size_t>(u(rng) * 8)]
                                                     : normal(rng));
    for (int64_t k = 0; k < L; ++k)
        for (auto [a, cols] : {std::pair{&s.I, m}, std::pair{&s.J, n}})
            a->push_back(1 + std::floor(u(rng) * cols) + (u(rng) < 0.2 ? u(rng) / (r + 1) : 0));
    return s;
}

const tbx::Exec kPlain{tbx::Path::plain, 1};

lowrank::Factors factorsOf(const Sample& s) { return {s.Xt.data(), s.Y.data(), s.r}; }
lowrank::Samples samplesOf(const Sample& s) { return {s.I.data(), s.J.data(), s.L}; }

// The loop form on every path; the paths must agree bit for bit.
std::vector<double> loopForm(const Sample& s)
{
    std::vector<double> first;
    for (const testing_util::Team& team : testing_util::teams()) {
        const testing_util::Slowed slowed(team);
        const tbx::Exec& ex = team.ex;
        std::vector<double> v(static_cast<size_t>(s.L), -7.0);
        lowrank::obsprodKernel(factorsOf(s), samplesOf(s), v.data(), ex);
        if (first.empty())
            first = v;
        EXPECT_TRUE(sameBits(first, v)) << testing_util::nameOf(team);
    }
    return first;
}

// The BLAS form at every thread count: each product is the same one ddot_
// call on any thread.
std::vector<double> blasForm(const Sample& s, int64_t limit)
{
    std::vector<double> first;
    for (const testing_util::Team& team : testing_util::teams()) {
        const testing_util::Slowed slowed(team);
        const tbx::Exec& ex = team.ex;
        std::vector<double> v(static_cast<size_t>(s.L), -7.0);
        lowrank::obsprodBlasKernel(TOOLBOX_DDOT, factorsOf(s), samplesOf(s), v.data(), ex, limit);
        if (first.empty())
            first = v;
        EXPECT_TRUE(sameBits(first, v)) << testing_util::nameOf(team);
    }
    return first;
}

// BLAS stand-ins that record the length of each call; the dot product sums
// in element order.
std::vector<int64_t> g_calls;
double recordingDot(const lowrank::blas_int* n, const double* x, const lowrank::blas_int*,
                    const double* y, const lowrank::blas_int*)
{
    g_calls.push_back(*n);
    double s = 0.0;
    for (lowrank::blas_int i = 0; i < *n; ++i)
        s = s + x[i] * y[i];
    return s;
}
void recordingCopy(const lowrank::blas_int* n, const double* x, const lowrank::blas_int* incx,
                   double* y, const lowrank::blas_int* incy)
{
    g_calls.push_back(*n);
    TOOLBOX_DCOPY(n, x, incx, y, incy);
}

}  // namespace

TEST(ObsprodKernel, MatchesReference)
{
    std::mt19937_64 rng(77);
    for (bool adversarial : {false, true})
        for (int64_t r : {0, 1, 2, 3, 5, 33}) {
            const Sample s = randomSample(rng, r, 200, adversarial);
            EXPECT_TRUE(sameBits(ref::obsprod(s.r, s.L, s.Xt.data(), s.Y.data(), s.I.data(),
                                              s.J.data()),
                                 loopForm(s)))
                << "r=" << r;
        }
}

TEST(ObsprodKernel, SparseOrderInStripesMatchesReference)
{
    // Samples as a sparse matrix lists its entries (column by column, rows
    // ascending), some columns empty, some rows repeated, fractional rows
    // among them: the kernel takes such samples stripe by stripe of Xt's
    // rows, and every product must still be the reference's, in its place.
    std::mt19937_64 rng(78);
    std::uniform_real_distribution<double> u(0, 1);
    for (int64_t r : {1, 4, 10}) {
        const int64_t m = 300, n = 40;
        Sample s{r, 0, {}, {}, {}, {}};
        for (int64_t i = 0; i < r * m; ++i)
            s.Xt.push_back(u(rng) - 0.5);
        for (int64_t i = 0; i < r * n; ++i)
            s.Y.push_back(u(rng) - 0.5);
        for (int64_t j = 1; j <= n; ++j)
            for (int64_t i = 1; i <= m; ++i)
                if (j % 7 != 3 && u(rng) < 0.15) {
                    const int copies = u(rng) < 0.1 ? 2 : 1;
                    for (int c = 0; c < copies; ++c) {
                        s.I.push_back(i + (u(rng) < 0.1 ? 0.5 / r : 0.0));
                        s.J.push_back(static_cast<double>(j));
                    }
                }
        s.L = static_cast<int64_t>(s.I.size());
        EXPECT_TRUE(sameBits(ref::obsprod(s.r, s.L, s.Xt.data(), s.Y.data(), s.I.data(), s.J.data()),
                             loopForm(s)))
            << "r=" << r;
    }
}

TEST(ObsprodKernel, WorkedExamplesAndOrder)
{
    // Xt columns (1, 3), (2, 4); Y columns (5, 8), (6, 9), (7, 10).
    Sample s{2, 2, {1, 3, 2, 4}, {5, 8, 6, 9, 7, 10}, {1, 2}, {3, 1}};
    EXPECT_EQ((std::vector<double>{37, 42}), loopForm(s));
    // 2.5 with r = 2 reads from offset 3: (9, 7).
    s.J = {2.5, 1};
    EXPECT_EQ((std::vector<double>{1 * 9 + 3 * 7, 2 * 5 + 4 * 8}), loopForm(s));
    // Products 1e16, 1, 1 summed in row order lose both 1s; -0 * 1 summed
    // from +0.0 gives +0.
    Sample o{3, 2, {1e8, 1, 1, -0.0, 0, 0}, {1e8, 1, 1, 1, 0, 0}, {1, 2}, {1, 2}};
    EXPECT_TRUE(sameBits({1e16, 0.0}, loopForm(o)));
    // r = 0: zeros, in both forms.
    Sample z{0, 2, {}, {}, {1, 9}, {4, 1}};
    EXPECT_TRUE(sameBits({0.0, 0.0}, loopForm(z)));
    EXPECT_TRUE(sameBits({0.0, 0.0}, blasForm(z, lowrank::kBlasMaxCount)));
}

TEST(ObsprodBlasKernel, AgreesWithLoopFormWithinRounding)
{
    std::mt19937_64 rng(78);
    for (int64_t r : {1, 2, 5, 16, 100})
        for (int64_t limit : {lowrank::kBlasMaxCount, int64_t(3), int64_t(1)}) {
            const Sample s = randomSample(rng, r, 100, false);
            const std::vector<double> loop = loopForm(s), blas = blasForm(s, limit);
            for (int64_t k = 0; k < s.L; ++k) {
                double scale = 0.0;  // any order of summation stays within r*eps*scale
                for (int64_t t = 0; t < r; ++t)
                    scale += std::fabs(s.Xt[ref::offset(s.I[k], r) + t] *
                                       s.Y[ref::offset(s.J[k], r) + t]);
                EXPECT_NEAR(loop[k], blas[k], 2.0 * r * 2.3e-16 * scale) << r << " " << k;
            }
        }
}

TEST(BlasChunks, LargeCountsAreSplitNeverTruncated)
{
    const std::vector<double> x = {1e16, 1, 1, 2, 2, 2, 4}, ones(7, 1.0);
    g_calls.clear();
    // The first chunk loses both 1s against 1e16; the others add 6 and 4.
    EXPECT_EQ(1e16 + 10, lowrank::dotInChunks(recordingDot, 7, x.data(), ones.data(), 3));
    EXPECT_EQ((std::vector<int64_t>{3, 3, 1}), g_calls);
    g_calls.clear();
    EXPECT_EQ(0.0, lowrank::dotInChunks(recordingDot, 0, x.data(), ones.data(), 3));
    EXPECT_EQ((std::vector<int64_t>{0}), g_calls);

    std::vector<double> dst(8, -1.0);
    g_calls.clear();
    lowrank::copyInChunks(recordingCopy, 6, x.data(), dst.data(), 3);
    EXPECT_EQ((std::vector<int64_t>{3, 3}), g_calls);
    EXPECT_TRUE(sameBits({1e16, 1, 1, 2, 2, 2, -1, -1}, dst));
}

TEST(NzfillKernel, CopiesBitsAndNothingMore)
{
    // A signalling NaN with a payload, signed zeros, infinities, a subnormal.
    const uint64_t snan = 0x7ff0000000000123ULL;
    double sn;
    std::memcpy(&sn, &snan, sizeof sn);
    const std::vector<double> src = {sn, -0.0, 0.0, kInf, -kInf, 4.9e-324, 1.5, 9.0};
    for (int64_t n : {0, 1, 6}) {
        std::vector<double> expected(8, 3.25), viaBlas(8, 3.25);
        ref::nzfill(expected.data(), src.data(), n);
        lowrank::nzfillBlasKernel(TOOLBOX_DCOPY, viaBlas.data(), src.data(), n, kPlain);
        EXPECT_TRUE(sameBits(expected, viaBlas)) << n;
        for (const tbx::Exec& ex : paths()) {
            std::vector<double> dst(8, 3.25);
            lowrank::nzfillKernel(dst.data(), src.data(), n, ex);
            for (size_t i = 0; i < dst.size(); ++i)
                EXPECT_EQ(bitsOf(expected[i]), bitsOf(dst[i])) << n << " " << i;
        }
    }
    std::vector<double> same = src;  // source and destination the same array
    lowrank::nzfillKernel(same.data(), same.data(), 8, kPlain);
    EXPECT_EQ(bitsOf(sn), bitsOf(same[0]));
}

// ---- The AVX2 paths -------------------------------------------------------
// obsprodKernel sums four products side by side, reading each column four,
// two or one rows at a time; nzfillKernel hands disjoint arrays to memcpy.
// Both must give the plain loops' bits for every r and L, and read nothing
// past a column's end: the factors end right before an inaccessible page.

namespace {

// Factors of r rows with m = r + 3 and n = r + 1 columns; indices naming
// the last columns often, some of them fractional but reading a whole column.
Sample edgeSample(std::mt19937_64& rng, int64_t r, int64_t L, bool adversarial)
{
    Sample s = randomSample(rng, r, L, adversarial);
    std::uniform_real_distribution<double> u(0, 1);
    const int64_t m = r + 3, n = r + 1;
    for (int64_t k = 0; k < L; ++k) {
        if (u(rng) < 0.3)
            s.I[k] = static_cast<double>(m);
        if (u(rng) < 0.3)
            s.J[k] = static_cast<double>(n);
        // n - 1 + f with (f * r) below 1 truncates to the offset of column n-1.
        if (u(rng) < 0.1)
            s.J[k] = static_cast<double>(n - 1) + 0.5 / static_cast<double>(r + 1);
    }
    return s;
}

}  // namespace

TEST(ObsprodLanes, MatchesReferenceForEveryRankAndCount)
{
    std::mt19937_64 rng(79);
    for (bool adversarial : {false, true})
        for (int64_t r = 1; r <= 13; ++r)
            for (int64_t L : {0, 1, 3, 4, 5, 7, 8, 9, 33, 100, 1001}) {
                const Sample s = edgeSample(rng, r, L, adversarial);
                const std::vector<double> expected =
                    ref::obsprod(s.r, s.L, s.Xt.data(), s.Y.data(), s.I.data(), s.J.data());
                // The factors end where a read faults.
                const testing_util::Guarded Xt(s.Xt), Y(s.Y);
                for (const tbx::Exec& ex : paths()) {
                    std::vector<double> v(static_cast<size_t>(L), -7.0);
                    lowrank::obsprodKernel({Xt.data(), Y.data(), s.r}, samplesOf(s), v.data(), ex);
                    EXPECT_TRUE(sameBits(expected, v))
                        << tbx::pathName(ex.path) << " r=" << r << " L=" << L;
                }
            }
    for (int64_t r : {17, 33, 64}) {
        const Sample s = edgeSample(rng, r, 50, true);
        const testing_util::Guarded Xt(s.Xt), Y(s.Y);
        for (const tbx::Exec& ex : paths()) {
            std::vector<double> v(50, -7.0);
            lowrank::obsprodKernel({Xt.data(), Y.data(), s.r}, samplesOf(s), v.data(), ex);
            EXPECT_TRUE(sameBits(
                ref::obsprod(s.r, s.L, s.Xt.data(), s.Y.data(), s.I.data(), s.J.data()), v))
                << "r=" << r;
        }
    }
}

TEST(ObsprodLanes, EachLaneSumsInRowOrderFromZero)
{
    // Four products at once (and one after them), each with terms that
    // round differently in another order: 1e16 + 1 + 1 loses both 1s;
    // -0 * 1 summed from +0.0 is +0; 1 + 1e16 - 1e16 is 0, not 1; an
    // infinite term stays in its own lane.
    Sample s{3, 5, {1e8, 1, 1, -0.0, 0, 0, 1, 1e8, -1e8, kInf, 1, 1, 5, 6, 7},
             {1e8, 1, 1, 1, 0, 0, 1, 1e8, 1e8, 1, 1, 1},
             {1, 2, 3, 4, 5},
             {1, 2, 3, 4, 1}};
    EXPECT_TRUE(sameBits({1e16, 0.0, 0.0, kInf, 5e8 + 6 + 7}, loopForm(s)));
}

TEST(NzfillLanes, BlockCopyAndOverlapActAsIfTheSourceWereReadFirst)
{
    std::mt19937_64 rng(80);
    std::normal_distribution<double> normal(0, 1);
    std::vector<double> src(1000);
    for (double& x : src)
        x = normal(rng);
    src[7] = kNaN;
    src[8] = -0.0;
    for (int64_t n : {0, 1, 2, 3, 4, 5, 999, 1000})
        for (const testing_util::Team& team : testing_util::teams()) {
            const testing_util::Slowed slowed(team);
            const tbx::Exec& ex = team.ex;
            std::vector<double> dst(1002, 3.5), expected(1002, 3.5), blas(1002, 3.5);
            lowrank::nzfillKernel(dst.data() + 1, src.data(), n, ex);
            lowrank::nzfillBlasKernel(TOOLBOX_DCOPY, blas.data() + 1, src.data(), n, ex);
            ref::nzfill(expected.data() + 1, src.data(), n);
            EXPECT_TRUE(sameBits(expected, dst)) << n << " " << testing_util::nameOf(team);
            EXPECT_TRUE(sameBits(expected, blas)) << n << " " << testing_util::nameOf(team);
        }
    // Overlapping arrays (two parts of one array): every value is copied as
    // if the whole source were read first, in both forms, whatever the
    // distance between the two and whichever lies first.
    for (int64_t shift : {-40, -39, -3, -1, 1, 3, 39, 40})
        for (int form = 0; form < 2; ++form) {
            std::vector<double> a(src.begin(), src.begin() + 140);
            std::vector<double> expected = a;
            std::memmove(expected.data() + 50 + shift, expected.data() + 50, 40 * sizeof(double));
            if (form == 0)
                lowrank::nzfillKernel(a.data() + 50 + shift, a.data() + 50, 40, kPlain);
            else
                lowrank::nzfillBlasKernel(TOOLBOX_DCOPY, a.data() + 50 + shift, a.data() + 50, 40, kPlain);
            EXPECT_TRUE(sameBits(expected, a)) << "shift " << shift << " form " << form;
        }
}

TEST(NzfillLanes, LargeCopiesMoveEveryBitAndNothingElse)
{
    // Past kStreamingBytes the copy streams past the caches, from
    // every alignment of the destination; any 64-bit pattern (signalling
    // NaNs with payloads included) must arrive unchanged, and nothing beside
    // the n values may be written.
    const int64_t n = tbx::simd::kStreamingBytes / 8 + 13;
    std::mt19937_64 rng(81);
    std::vector<uint64_t> bits(static_cast<size_t>(n));
    for (uint64_t& b : bits)
        b = rng();
    bits[5] = 0x7ff0000000000001ULL;  // signalling NaN
    bits[6] = 0x8000000000000000ULL;  // -0
    std::vector<double> src(static_cast<size_t>(n));
    std::memcpy(src.data(), bits.data(), bits.size() * 8);
    for (size_t shift = 0; shift < 4; ++shift) {
        std::vector<double> buffer(static_cast<size_t>(n) + 8, 2.5);
        lowrank::nzfillKernel(buffer.data() + shift, src.data(), n,
                              paths().back());
        EXPECT_EQ(0, std::memcmp(buffer.data() + shift, src.data(), src.size() * 8)) << shift;
        for (size_t i = 0; i < buffer.size(); ++i) {
            if (i < shift || i >= shift + static_cast<size_t>(n)) {
                EXPECT_EQ(2.5, buffer[i]) << shift << " " << i;
            }
        }
        // And split among threads, the ranges' edges at every alignment.
        std::vector<double> team(static_cast<size_t>(n) + 8, 2.5);
        lowrank::nzfillKernel(team.data() + shift, src.data(), n,
                              tbx::Exec{paths().back().path, 3, true});
        EXPECT_EQ(0, std::memcmp(buffer.data(), team.data(), buffer.size() * 8)) << shift;
    }
}
