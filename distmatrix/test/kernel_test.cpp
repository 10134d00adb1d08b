// pairsqKernel against the reference loop, bit for bit, on random and
// adversarial point sets; exact symmetry, the computed diagonal, the order of
// the sum and the small shapes.
#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

#include "bits.h"
#include "kernels.h"
#include "reference.h"

using testing_util::bitsOf;
using testing_util::kInf;
using testing_util::kNaN;
using testing_util::sameBits;

namespace {

std::vector<double> pairsq(const std::vector<double>& X, int64_t d, int64_t n)
{
    std::vector<double> Q(static_cast<size_t>(n * n), 0.0);
    distmatrix::pairsqKernel(X.data(), d, n, Q.data());
    return Q;
}

// Random points; with `adversarial` some coordinates are NaN, infinite,
// signed zeros, huge (their squares overflow), subnormal, or repeated so
// that points coincide.
std::vector<double> randomPoints(std::mt19937_64& rng, int64_t d, int64_t n, bool adversarial)
{
    static const double special[] = {kNaN, kInf, -kInf, 0.0, -0.0, 1e200, -1e200,
                                     4.9e-324, -2.2e-308, 1e-160, 3.0, 1e16};
    std::normal_distribution<double> normal(0, 10);
    std::uniform_real_distribution<double> u(0, 1);
    std::vector<double> X(static_cast<size_t>(d * n));
    for (double& x : X)
        x = normal(rng);
    if (adversarial) {
        for (double& x : X)
            if (u(rng) < 0.1)
                x = special[static_cast<size_t>(u(rng) * std::size(special))];
        for (int64_t p = 1; p < n; ++p)
            if (u(rng) < 0.1)
                for (int64_t k = 0; k < d; ++k)
                    X[p * d + k] = X[(p - 1) * d + k];  // coincides with its neighbour
    }
    return X;
}

void expectSymmetricBits(const std::vector<double>& Q, int64_t n)
{
    for (int64_t i = 0; i < n; ++i)
        for (int64_t j = i + 1; j < n; ++j)
            ASSERT_EQ(bitsOf(Q[i + j * n]), bitsOf(Q[j + i * n])) << i << "," << j;
}

}  // namespace

TEST(PairsqKernel, MatchesReferenceOnRandomPoints)
{
    std::mt19937_64 rng(20240601);
    const int64_t dims[] = {0, 1, 2, 3, 4, 7, 16};
    const int64_t counts[] = {0, 1, 2, 3, 5, 17, 64};
    for (bool adversarial : {false, true})
        for (int64_t d : dims)
            for (int64_t n : counts) {
                const std::vector<double> X = randomPoints(rng, d, n, adversarial);
                const std::vector<double> Q = pairsq(X, d, n);
                EXPECT_TRUE(sameBits(ref::pairsq(X, d, n), Q))
                    << "d=" << d << " n=" << n << " adversarial=" << adversarial;
                expectSymmetricBits(Q, n);
            }
}

TEST(PairsqKernel, WorkedExample)
{
    EXPECT_EQ((std::vector<double>{0, 25, 25, 0}), pairsq({0, 0, 3, 4}, 2, 2));
}

TEST(PairsqKernel, SmallShapes)
{
    EXPECT_TRUE(pairsq({}, 3, 0).empty());
    EXPECT_TRUE(pairsq({}, 0, 0).empty());
    EXPECT_TRUE(sameBits({0.0}, pairsq({1.5, -2.0, 7.0}, 3, 1)));
    // No coordinates: every distance is zero.
    EXPECT_TRUE(sameBits(std::vector<double>(9, 0.0), pairsq({}, 0, 3)));
}

TEST(PairsqKernel, DiagonalIsComputed)
{
    // Points: finite, +inf in one coordinate, NaN in one, -inf alone.
    const std::vector<double> X = {1, 2, kInf, 0, 3, kNaN, -kInf, 4};
    const std::vector<double> Q = pairsq(X, 2, 4);
    EXPECT_EQ(0.0, Q[0]);
    EXPECT_FALSE(std::signbit(Q[0]));
    EXPECT_TRUE(std::isnan(Q[1 + 1 * 4]));  // inf - inf
    EXPECT_TRUE(std::isnan(Q[2 + 2 * 4]));
    EXPECT_TRUE(std::isnan(Q[3 + 3 * 4]));
    // An infinite coordinate facing a finite one, the rest finite.
    EXPECT_EQ(kInf, Q[0 + 1 * 4]);
    EXPECT_EQ(kInf, Q[1 + 0 * 4]);
    EXPECT_EQ(kInf, Q[0 + 3 * 4]);
    EXPECT_TRUE(std::isnan(Q[0 + 2 * 4]));
    expectSymmetricBits(Q, 4);
}

TEST(PairsqKernel, SumsInCoordinateOrder)
{
    // Squares 1e16, 1, 1: in coordinate order each 1 is lost to rounding;
    // summed from the other end the result would be 1e16 + 2.
    const std::vector<double> X = {1e8, 1, 1, 0, 0, 0};
    const std::vector<double> Q = pairsq(X, 3, 2);
    EXPECT_EQ(1e16, Q[1]);
    EXPECT_EQ(1e16, Q[2]);
    EXPECT_NE(1e16, (1.0 + 1.0) + 1e16);
}
