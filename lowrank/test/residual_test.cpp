// resprod, resstep and rowgram against the reference loops, bit for bit, at
// 1, 2, 3 and 8 threads, on factors that end where a read faults: rows with
// many samples, none or one, columns named twice, special values; the
// blocks of the step's sums.
#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

#include "bits.h"
#include "guarded.h"
#include "paths.h"
#include "lowrank/kernels.h"
#include "reference.h"

using testing_util::kInf;
using testing_util::kNaN;
using testing_util::sameBits;

namespace {

// An m-by-n problem of rank k: factors, a direction, a thin matrix of q
// rows, and samples grouped by row (counts from 0 to a few dozen, a third
// of the rows empty, one row with most samples when `skewed`).
struct Problem {
    int64_t k, m, n, q;
    std::vector<double> Gt, Ht, At, Bt, Vt, b;
    std::vector<uint32_t> count, col;
};

Problem problem(std::mt19937_64& rng, int64_t k, int64_t m, int64_t n, int64_t q,
                bool adversarial, bool skewed)
{
    std::normal_distribution<double> normal(0, 1);
    std::uniform_real_distribution<double> u(0, 1);
    const double special[] = {kNaN, kInf, -kInf, -0.0, 1e300, 4.9e-324, 1e16, 0.0};
    auto values = [&](std::vector<double>& v, int64_t count) {
        for (int64_t i = 0; i < count; ++i)
            v.push_back(adversarial && u(rng) < 0.05 ? special[static_cast<size_t>(u(rng) * 8)]
                                                     : normal(rng) * std::exp(4 * normal(rng)));
    };
    Problem p{k, m, n, q, {}, {}, {}, {}, {}, {}, {}, {}};
    values(p.Gt, k * m);
    values(p.Ht, k * n);
    values(p.At, k * m);
    values(p.Bt, k * n);
    values(p.Vt, q * n);
    for (int64_t i = 0; i < m; ++i) {
        uint32_t c = u(rng) < 0.3 ? 0 : static_cast<uint32_t>(u(rng) * 40);
        if (skewed && i == m / 2)
            c = 5000;
        p.count.push_back(c);
        for (uint32_t s = 0; s < c; ++s)
            p.col.push_back(1 + static_cast<uint32_t>(u(rng) * static_cast<double>(n)));
    }
    values(p.b, static_cast<int64_t>(p.col.size()));
    return p;
}

// Each kernel at every thread count against its reference, the factors and
// the thin matrices guarded.
void expectReference(const Problem& p)
{
    SCOPED_TRACE("k=" + std::to_string(p.k) + " m=" + std::to_string(p.m) +
                 " n=" + std::to_string(p.n) + " q=" + std::to_string(p.q));
    const testing_util::Guarded Gt(p.Gt), Ht(p.Ht), At(p.At), Bt(p.Bt), Vt(p.Vt), b(p.b);
    const lowrank::RowSamples s = {p.count.data(), p.col.data(), b.data(), p.m, p.n,
                                   static_cast<int64_t>(p.col.size())};
    const lowrank::Fit f{Gt.data(), Ht.data(), p.k};
    const std::vector<double> W = ref::resprod(p.k, p.m, p.Gt.data(), p.Ht.data(), p.count.data(),
                                               p.col.data(), p.b.data(), p.Vt.data(), p.q);
    const std::vector<double> sums =
        ref::resstep(p.k, p.m, p.Gt.data(), p.Ht.data(), p.count.data(), p.col.data(),
                     p.b.data(), p.At.data(), p.Bt.data(), lowrank::rowsPerBlock(p.m));
    const std::vector<double> N =
        ref::rowgram(p.k, p.m, p.Ht.data(), p.count.data(), p.col.data());
    for (const testing_util::Team& team : testing_util::teams()) {
        const testing_util::Slowed slowed(team);
        const tbx::Exec& ex = team.ex;
        SCOPED_TRACE(testing_util::nameOf(team));
        std::vector<double> w(W.size(), -7.0), n(N.size(), -7.0), got(6, -7.0);
        lowrank::resprodKernel(f, s, Vt.data(), p.q, w.data(), ex);
        EXPECT_TRUE(sameBits(W, w));
        lowrank::resstepKernel(f, s, At.data(), Bt.data(), got.data(), ex);
        EXPECT_TRUE(sameBits(sums, got));
        lowrank::rowgramKernel(Ht.data(), p.k, s, n.data(), ex);
        EXPECT_TRUE(sameBits(N, n));
    }
}

}  // namespace

TEST(PassKernels, MatchReferenceAtEveryThreadCount)
{
    std::mt19937_64 rng(91);
    for (bool adversarial : {false, true})
        for (int64_t k : {0, 1, 3, 10})
            for (int64_t q : {0, 1, 5}) {
                expectReference(problem(rng, k, 200, 37, q, adversarial, false));
                expectReference(problem(rng, k, 9, 1, q, adversarial, true));
            }
    // No rows; rows but no samples; one row.
    expectReference(problem(rng, 3, 0, 5, 2, false, false));
    Problem none = problem(rng, 2, 50, 4, 3, false, false);
    none.count.assign(50, 0);
    none.col.clear();
    none.b.clear();
    expectReference(none);
    expectReference(problem(rng, 4, 1, 30, 4, true, true));
}

TEST(PassKernels, StepSumsRunByBlocksOfRowsInBlockOrder)
{
    // 70,000 rows make blocks of 69 rows (at most 1024 blocks): the threads
    // take whole blocks, and the sums must be the blocks' in block order,
    // which for these values differs from one running sum over all samples.
    EXPECT_EQ(64, lowrank::rowsPerBlock(0));
    EXPECT_EQ(64, lowrank::rowsPerBlock(65536));
    EXPECT_EQ(65, lowrank::rowsPerBlock(65537));
    EXPECT_EQ(69, lowrank::rowsPerBlock(70000));
    std::mt19937_64 rng(92);
    const Problem p = problem(rng, 2, 70000, 50, 1, false, true);
    expectReference(p);
    const std::vector<double> oneBlock =
        ref::resstep(p.k, p.m, p.Gt.data(), p.Ht.data(), p.count.data(), p.col.data(),
                     p.b.data(), p.At.data(), p.Bt.data(), p.m);
    const std::vector<double> blocks =
        ref::resstep(p.k, p.m, p.Gt.data(), p.Ht.data(), p.count.data(), p.col.data(),
                     p.b.data(), p.At.data(), p.Bt.data(), lowrank::rowsPerBlock(p.m));
    EXPECT_FALSE(sameBits(oneBlock, blocks)) << "the test cannot tell the two orders apart";
}

TEST(PassKernels, WorkedExample)
{
    // 2-by-3, rank 1: samples (1,1) = 1, (1,3) = 2, (2,2) = 3, residuals 2, 3, 5.
    const std::vector<double> Gt = {1, 2}, Ht = {3, 4, 5}, b = {1, 2, 3}, At = {1, 1},
                              Bt = {0, 1, 0};
    const std::vector<uint32_t> count = {2, 1}, col = {1, 3, 2};
    const lowrank::RowSamples s{count.data(), col.data(), b.data(), 2, 3, 3};
    const lowrank::Fit f{Gt.data(), Ht.data(), 1};
    std::vector<double> W(2), sums(6), N(2);
    const tbx::Exec one{tbx::Path::plain, 1};
    lowrank::resprodKernel(f, s, Ht.data(), 1, W.data(), one);
    EXPECT_EQ((std::vector<double>{21, 20}), W);
    lowrank::resstepKernel(f, s, At.data(), Bt.data(), sums.data(), one);
    EXPECT_EQ((std::vector<double>{38, 51, 70, 5, 6, 1}), sums);
    lowrank::rowgramKernel(Ht.data(), 1, s, N.data(), one);
    EXPECT_EQ((std::vector<double>{9 + 25, 16}), N);
}
