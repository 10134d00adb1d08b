// pairsqKernel against the reference loop, bit for bit, on random and
// adversarial points; exact symmetry, the computed diagonal, the order of
// the sum.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "bits.h"
#include "distmatrix/kernels.h"
#include "guarded.h"
#include "paths.h"
#include "reference.h"

using testing_util::bitsOf;
using testing_util::kInf;
using testing_util::kNaN;
using testing_util::paths;
using testing_util::sameBits;

namespace {

// What Q may hold before the kernel writes it: the kernel writes every
// element, so none of this may show in the result.
double poison()
{
    const uint64_t bits = 0x7ff8deadbeef0000ULL;
    double x;
    std::memcpy(&x, &bits, sizeof x);
    return x;
}


// Q on every path; the paths must agree bit for bit.
std::vector<double> pairsq(const std::vector<double>& X, int64_t d, int64_t n)
{
    std::vector<double> first;
    for (const testing_util::Team& team : testing_util::teams()) {
        const testing_util::Slowed slowed(team);
        const tbx::Exec& ex = team.ex;
        std::vector<double> Q(static_cast<size_t>(n * n), poison());
        distmatrix::pairsqKernel(X.data(), d, n, Q.data(), ex);
        for (int64_t i = 0; i < n; ++i)
            for (int64_t j = i + 1; j < n; ++j)
                EXPECT_EQ(bitsOf(Q[i + j * n]), bitsOf(Q[j + i * n])) << "not symmetric";
        if (first.empty())
            first = Q;
        EXPECT_TRUE(sameBits(first, Q)) << testing_util::nameOf(team);
    }
    return first;
}

}  // namespace

TEST(PairsqKernel, MatchesReferenceOnRandomAndAdversarialPoints)
{
    // NaN, infinities, signed zeros, squares that overflow or underflow.
    const double special[] = {kNaN, kInf, -kInf, 0.0, -0.0, 1e200, -1e200, 4.9e-324, 1e16};
    std::mt19937_64 rng(20240601);
    std::normal_distribution<double> normal(0, 10);
    std::uniform_real_distribution<double> u(0, 1);
    for (int64_t d : {0, 1, 2, 3, 7, 16})
        for (int64_t n : {0, 1, 2, 5, 17, 64}) {
            std::vector<double> X(static_cast<size_t>(d * n));
            for (double& x : X)
                x = u(rng) < 0.1 ? special[static_cast<size_t>(u(rng) * 9)] : normal(rng);
            for (int64_t p = 1; p < n; ++p)  // some points coincide
                if (d > 0 && u(rng) < 0.1)
                    std::copy_n(&X[(p - 1) * d], d, &X[p * d]);
            EXPECT_TRUE(sameBits(ref::pairsq(X, d, n), pairsq(X, d, n))) << d << " " << n;
        }
}

TEST(PairsqKernel, ExamplesAndDiagonal)
{
    EXPECT_EQ((std::vector<double>{0, 25, 25, 0}), pairsq({0, 0, 3, 4}, 2, 2));
    EXPECT_TRUE(sameBits(std::vector<double>(9, 0.0), pairsq({}, 0, 3)));
    EXPECT_TRUE(sameBits({0.0}, pairsq({1.5, -2.0, 7.0}, 3, 1)));
    // Points: finite, an infinite coordinate, a NaN one. The diagonal is
    // computed: inf - inf is NaN.
    const std::vector<double> Q = pairsq({1, 2, kInf, 0, 3, kNaN}, 2, 3);
    EXPECT_TRUE(sameBits({0, kInf, kNaN, kInf, kNaN, kNaN, kNaN, kNaN, kNaN}, Q));
}

TEST(PairsqKernel, SumsInCoordinateOrder)
{
    // Squares 1e16, 1, 1: in coordinate order each 1 is lost to rounding.
    EXPECT_EQ(1e16, pairsq({1e8, 1, 1, 0, 0, 0}, 3, 2)[1]);
}

// ---- The AVX2 path --------------------------------------------------------
// Rows go in groups of eight and columns in tiles of four, in blocks of 64
// columns; the groups start where column 0 starts a cache line. The shapes
// below put every kind of edge under test: fewer points than a group, rows
// before the first group and after the last, one to three columns after the
// last tile, the block edges, coordinates known when compiling (1 to 4),
// staged (up to 32) and gathered (more). Q sits at each of the eight offsets
// of a cache line, and each shape runs with ordinary and streaming stores.

namespace {

// Q inside a larger buffer, `shift` doubles from its start, with a guard
// value on both sides that the kernel must leave alone.
struct Placed {
    std::vector<double> buffer;
    double* Q;
    size_t size;
    Placed(int64_t n, size_t shift)
        : buffer(static_cast<size_t>(n * n) + 16, -1.25), size(static_cast<size_t>(n * n))
    {
        Q = buffer.data() + shift;
        std::fill(Q, Q + size, poison());
    }
    std::vector<double> result() const { return std::vector<double>(Q, Q + size); }
    bool guardsKept() const
    {
        for (const double* p = buffer.data(); p < Q; ++p)
            if (*p != -1.25)
                return false;
        for (const double* p = Q + size; p < buffer.data() + buffer.size(); ++p)
            if (*p != -1.25)
                return false;
        return true;
    }
};

std::vector<double> randomPoints(std::mt19937_64& rng, int64_t d, int64_t n, bool adversarial)
{
    const double special[] = {kNaN, kInf, -kInf, 0.0, -0.0, 1e200, -1e200, 4.9e-324, 1e16};
    std::normal_distribution<double> normal(0, 10);
    std::uniform_real_distribution<double> u(0, 1);
    std::vector<double> X(static_cast<size_t>(d * n));
    for (double& x : X)
        x = adversarial && u(rng) < 0.05 ? special[static_cast<size_t>(u(rng) * 9)] : normal(rng);
    return X;
}

::testing::AssertionResult lanesMatch(const std::vector<double>& X, int64_t d, int64_t n,
                                      size_t shift, bool streaming, int threads = 1)
{
    Placed q(n, shift);
    const testing_util::Guarded points(X);  // X ends where a read faults
    distmatrix::detail::pairsqLanes(points.data(), d, n, q.Q, streaming, threads);
    if (!q.guardsKept())
        return ::testing::AssertionFailure() << "wrote outside Q";
    for (int64_t i = 0; i < n; ++i)
        for (int64_t j = i + 1; j < n; ++j)
            if (bitsOf(q.Q[i + j * n]) != bitsOf(q.Q[j + i * n]))
                return ::testing::AssertionFailure() << "not symmetric at " << i << "," << j;
    return sameBits(ref::pairsq(X, d, n), q.result());
}

}  // namespace

TEST(PairsqLanes, MatchesReferenceOnEveryShape)
{
    if (!tbx::processorHasAvx2())
        GTEST_SKIP() << "no AVX2 here";
    std::mt19937_64 rng(20240614);
    for (int64_t d : {1, 2, 3, 4, 5, 7, 32, 33})
        for (int64_t n : {16, 17, 18, 19, 23, 24, 25, 31, 32, 33, 70, 72, 130, 137, 139, 141, 264}) {
            const std::vector<double> X = randomPoints(rng, d, n, false);
            for (size_t shift : {size_t(0), size_t(5)})
                for (bool streaming : {false, true})
                    for (int threads : {1, 3})
                        EXPECT_TRUE(lanesMatch(X, d, n, shift, streaming, threads))
                            << "d=" << d << " n=" << n << " shift=" << shift
                            << " streaming=" << streaming << " threads=" << threads;
        }
}

TEST(PairsqLanes, EveryAlignmentOfQ)
{
    if (!tbx::processorHasAvx2())
        GTEST_SKIP() << "no AVX2 here";
    std::mt19937_64 rng(20240615);
    for (int64_t n : {136, 138, 140}) {  // streaming where n is a multiple of 4
        const std::vector<double> X = randomPoints(rng, 3, n, false);
        for (size_t shift = 0; shift < 8; ++shift)
            for (bool streaming : {false, true})
                EXPECT_TRUE(lanesMatch(X, 3, n, shift, streaming))
                    << "n=" << n << " shift=" << shift << " streaming=" << streaming;
    }
}

TEST(PairsqLanes, NaNInfinityAndSmallCases)
{
    if (!tbx::processorHasAvx2())
        GTEST_SKIP() << "no AVX2 here";
    std::mt19937_64 rng(20240616);
    for (int64_t d : {1, 3, 4, 7, 40})
        for (int64_t n : {20, 67, 131}) {
            const std::vector<double> X = randomPoints(rng, d, n, true);
            for (bool streaming : {false, true})
                EXPECT_TRUE(lanesMatch(X, d, n, 3, streaming)) << "d=" << d << " n=" << n;
        }
    // Below a group, and no coordinates: the plain loop's work, Q untouched
    // outside its n*n doubles.
    for (int64_t d : {0, 1, 2, 3})
        for (int64_t n : {0, 1, 2, 3, 15, 40}) {
            const std::vector<double> X = randomPoints(rng, d, n, false);
            EXPECT_TRUE(lanesMatch(X, d, n, 1, true)) << "d=" << d << " n=" << n;
        }
    // A point with an infinite coordinate among many: its diagonal is NaN,
    // its distances to the finite points infinite, on either side.
    std::vector<double> X = randomPoints(rng, 3, 50, false);
    X[3 * 21 + 1] = kInf;
    Placed q(50, 0);
    distmatrix::detail::pairsqLanes(X.data(), 3, 50, q.Q, false);
    EXPECT_TRUE(std::isnan(q.Q[21 + 21 * 50]));
    EXPECT_EQ(kInf, q.Q[21 + 40 * 50]);
    EXPECT_EQ(kInf, q.Q[40 + 21 * 50]);
    EXPECT_EQ(kInf, q.Q[3 + 21 * 50]);
}

TEST(PairsqLanes, EveryPathOfThePublicKernel)
{
    // The kernel the gateway calls streams its stores past 8 MB of Q.
    std::mt19937_64 rng(20240617);
    for (int64_t n : {9, 100, 1028}) {
        const std::vector<double> X = randomPoints(rng, 3, n, n == 100);
        EXPECT_TRUE(sameBits(ref::pairsq(X, 3, n), pairsq(X, 3, n))) << n;
    }
}
