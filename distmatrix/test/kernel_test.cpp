// pairsqKernel against the reference loop, bit for bit, on random and
// adversarial points; exact symmetry, the computed diagonal, the order of
// the sum.
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
    for (int64_t i = 0; i < n; ++i)
        for (int64_t j = i + 1; j < n; ++j)
            EXPECT_EQ(bitsOf(Q[i + j * n]), bitsOf(Q[j + i * n])) << "not symmetric";
    return Q;
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
