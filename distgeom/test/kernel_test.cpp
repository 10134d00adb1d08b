// The distance-bound kernels against the reference loops, bit for bit, on
// random and adversarial configurations; penslope against finite differences
// of penval.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <string>
#include <vector>

#include "bits.h"
#include "kernels.h"
#include "reference.h"

using testing_util::kInf;
using testing_util::kNaN;
using testing_util::sameBits;

namespace {

std::string g_printed;
void capture(const char* text) { g_printed += text; }

struct Config {
    int d = 0, n = 0;
    std::vector<double> X;
    std::vector<double> D, Lb, Ub;  // column-major tables
    int mD = 0, mL = 0, mU = 0;
    double w[4] = {}, t[4] = {};
};

// A table of m rows and `cols` columns whose point numbers stay inside X
// (fractional ones included), with values near the pair distances and, for
// bound tables, type codes drawn from an adversarial list.
std::vector<double> makeTable(std::mt19937_64& rng, const Config& c, int m, int cols)
{
    static const double codes[] = {1, -2, 0, -1, 2, 3, 7.9, 1.9, -2.5, -2.9, -0.5, -3, -3.1,
                                   kNaN, 1e10, -1e10, kInf, -kInf, 2147483647.5,
                                   -2147483648.5, -2147483649.0, 5};
    std::uniform_real_distribution<double> u(0, 1);
    std::vector<double> T(static_cast<size_t>(m) * cols);
    auto index = [&]() {
        const int k = 1 + static_cast<int>(u(rng) * c.n);
        if (k < c.n && u(rng) < 0.15)
            return k + u(rng);  // fractional, still inside X
        return static_cast<double>(std::min(k, c.n));
    };
    for (int r = 0; r < m; ++r) {
        const double i = index();
        const double j = u(rng) < 0.05 ? i : index();
        T[r] = i;
        T[r + m] = j;
        const double dij = ref::dist(c.X.data(), c.d, ref::offset(i, c.d), ref::offset(j, c.d));
        const double p = u(rng);
        double value;
        if (p < 0.1)
            value = dij;  // exactly on the bound
        else if (p < 0.13)
            value = kNaN;
        else if (p < 0.16)
            value = -u(rng);
        else if (p < 0.18)
            value = 0.0;
        else
            value = (std::isfinite(dij) ? dij : 3.0) * (0.5 + u(rng));
        T[r + 2 * m] = value;
        if (cols > 3)
            T[r + 3 * m] = codes[static_cast<size_t>(u(rng) * std::size(codes))];
    }
    return T;
}

Config randomConfig(uint64_t seed)
{
    std::mt19937_64 rng(seed);
    std::uniform_real_distribution<double> u(0, 1);
    std::normal_distribution<double> normal(0, 5);
    static const int dims[] = {0, 1, 2, 3, 3, 3, 4, 7};
    Config c;
    c.d = dims[seed % std::size(dims)];
    c.n = static_cast<int>(u(rng) * 40);
    c.X.resize(static_cast<size_t>(c.d) * c.n);
    for (double& x : c.X) {
        const double p = u(rng);
        x = p < 0.01 ? kNaN : p < 0.02 ? kInf : p < 0.03 ? -kInf : p < 0.04 ? -0.0
            : p < 0.05 ? 1e200 : normal(rng);
    }
    // A few points sit exactly on top of another.
    for (int k = 1; k < c.n; ++k)
        if (u(rng) < 0.1)
            std::copy_n(c.X.begin() + (k - 1) * c.d, c.d, c.X.begin() + k * c.d);
    if (c.n > 0) {
        c.mD = static_cast<int>(u(rng) * 60);
        c.mL = static_cast<int>(u(rng) * 60);
        c.mU = static_cast<int>(u(rng) * 60);
    }
    c.D = makeTable(rng, c, c.mD, 3);
    c.Lb = makeTable(rng, c, c.mL, 4);
    c.Ub = makeTable(rng, c, c.mU, 4);
    for (int i = 0; i < 4; ++i) {
        c.w[i] = u(rng) < 0.1 ? 0.0 : normal(rng);
        c.t[i] = u(rng) < 0.1 ? 0.0 : normal(rng);
    }
    return c;
}

double kernelValue(const Config& c, double start = 0.0)
{
    double acc = start;
    distgeom::penvalKernel(c.X.data(), c.d, c.n, c.D.data(), c.mD, c.Lb.data(), c.mL,
                           c.Ub.data(), c.mU, c.w[0], c.w[1], c.w[2], c.w[3], c.t[0], c.t[1],
                           c.t[2], c.t[3], &acc);
    return acc;
}

std::vector<double> kernelSlope(const Config& c, std::string* printed = nullptr)
{
    std::vector<double> G(c.X.size(), 0.0);
    g_printed.clear();
    distgeom::penslopeKernel(c.X.data(), c.d, c.n, c.D.data(), c.mD, c.Lb.data(), c.mL,
                             c.Ub.data(), c.mU, c.w[0], c.w[1], c.w[2], c.w[3], c.t[0],
                             c.t[1], c.t[2], c.t[3], G.data(), capture);
    if (printed)
        *printed = g_printed;
    return G;
}

}  // namespace

TEST(DistgeomKernels, MatchReferenceBitForBitOnRandomAndAdversarialInput)
{
    for (uint64_t seed = 1; seed <= 400; ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        const Config c = randomConfig(seed);

        // penval adds into what the accumulator already holds.
        const double start = seed % 3 == 0 ? 1.5 : 0.0;
        double expected = start;
        ref::penval(c.X.data(), c.d, c.n, c.D.data(), c.mD, c.Lb.data(), c.mL, c.Ub.data(),
                    c.mU, c.w, c.t, &expected);
        ASSERT_TRUE(sameBits({expected}, {kernelValue(c, start)}));

        std::vector<double> G(c.X.size(), 0.0);
        std::string expectedText;
        ref::penslope(c.X.data(), c.d, c.n, c.D.data(), c.mD, c.Lb.data(), c.mL, c.Ub.data(),
                      c.mU, c.w, c.t, G.data(), expectedText);
        std::string printed;
        ASSERT_TRUE(sameBits(G, kernelSlope(c, &printed)));
        ASSERT_EQ(expectedText, printed);

        const double* tables[] = {c.D.data(), c.Ub.data(), c.Lb.data()};
        const int rows[] = {c.mD, c.mU, c.mL};
        const auto kernels = {distgeom::linkdevKernel, distgeom::ceilgapKernel,
                              distgeom::floorgapKernel};
        int kind = 0;
        for (auto kernel : kernels) {
            std::vector<double> want(rows[kind], 0.0), got(rows[kind], 0.0);
            ref::report(kind, c.X.data(), c.d, tables[kind], rows[kind], want.data());
            kernel(c.X.data(), c.d, tables[kind], rows[kind], got.data());
            ASSERT_TRUE(sameBits(want, got)) << "report " << kind;
            ++kind;
        }
    }
}

TEST(DistgeomKernels, EmptyTablesAndEmptyPointMatrix)
{
    Config c;
    c.d = 3;
    c.n = 2;
    c.X = {1, 2, 3, -4, 5, 0.5};
    c.w[3] = 0.25;
    // Empty tables leave the regularisation alone: w4 * (sum of squares) per column.
    EXPECT_TRUE(sameBits({0.25 * 14.0 + 0.25 * 41.25}, {kernelValue(c)}));
    std::vector<double> G = kernelSlope(c);
    for (size_t i = 0; i < G.size(); ++i)
        EXPECT_EQ(testing_util::bitsOf(0.5 * c.X[i]), testing_util::bitsOf(G[i]));
    c.n = 0;
    c.X.clear();
    EXPECT_TRUE(sameBits({0.0}, {kernelValue(c)}));
    EXPECT_TRUE(kernelSlope(c).empty());
}

TEST(DistgeomKernels, UnknownCodesPrintOncePerCoordinateOnlyWhenViolated)
{
    Config c;
    c.d = 3;
    c.n = 2;
    c.X = {0, 0, 0, 1, 2, 2};  // distance 3
    c.w[1] = c.w[2] = 1;
    c.t[0] = c.t[1] = c.t[2] = c.t[3] = 1;
    // Two rows, column-major: (1, 2, 4, code 0) is violated, (1, 2, 2, code 2) is not.
    c.Lb = {1, 1, 2, 2, 4, 2, 0, 2};
    c.mL = 2;
    std::string printed;
    std::vector<double> G = kernelSlope(c, &printed);
    EXPECT_EQ("Error! Unkonw Lower bound!\nError! Unkonw Lower bound!\n"
              "Error! Unkonw Lower bound!\n",
              printed);
    EXPECT_TRUE(sameBits(std::vector<double>(6, 0.0), G));
    c.Lb.clear();
    c.mL = 0;
    c.Ub = {2, 1, 1, 2, 2.5, 9, -3, kNaN};  // violated code -3, NaN code not violated
    c.mU = 2;
    kernelSlope(c, &printed);
    EXPECT_EQ(3u * 27u, printed.size());
    EXPECT_NE(printed.find("Upper"), std::string::npos);
}

// penslope is the derivative of penval term by term: for each kind of term
// alone, central differences of penval agree with penslope.
TEST(DistgeomKernels, SlopeIsTheDerivativeOfTheValueTermByTerm)
{
    struct Term {
        const char* name;
        int table;    // 0: D, 1: Lb, 2: Ub, 3: regularisation only
        double code;  // type code of the bound rows
    };
    const Term terms[] = {{"distance", 0, 0},  {"lower code 1", 1, 1},
                          {"lower code -2", 1, -2}, {"upper code 0", 2, 0},
                          {"upper code 4", 2, 4},   {"upper code -1", 2, -1},
                          {"upper code -2", 2, -2}, {"regularisation", 3, 0}};
    std::mt19937_64 rng(7);
    std::uniform_real_distribution<double> u(0, 1);
    for (const Term& term : terms) {
        for (int trial = 0; trial < 5; ++trial) {
            SCOPED_TRACE(std::string(term.name) + " trial " + std::to_string(trial));
            Config c;
            c.d = 3;
            c.n = 12;
            for (int k = 0; k < c.d * c.n; ++k)
                c.X.push_back(10 * u(rng));
            for (int i = 0; i < 4; ++i) {
                c.w[i] = 0.5 + u(rng);
                c.t[i] = 0.5 + u(rng);
            }
            if (term.table != 3)
                c.w[3] = 0;
            std::vector<double> T;
            const int m = 20;
            const int cols = term.table == 0 ? 3 : 4;
            T.resize(static_cast<size_t>(m) * cols);
            for (int r = 0; r < m; ++r) {
                const int i = 1 + static_cast<int>(u(rng) * c.n);
                const int j = 1 + (i + static_cast<int>(u(rng) * (c.n - 1))) % c.n;
                const double dij = ref::dist(c.X.data(), c.d, (i - 1) * 3, (j - 1) * 3);
                // Bound rows are clearly violated, away from the kink at g = 0.
                const double factor = term.table == 1 ? 1.5 : term.table == 2 ? 0.5 : 0.5 + u(rng);
                T[r] = i;
                T[r + m] = j;
                T[r + 2 * m] = dij * factor;
                if (cols == 4)
                    T[r + 3 * m] = term.code;
            }
            if (term.table == 0) { c.D = T; c.mD = m; }
            if (term.table == 1) { c.Lb = T; c.mL = m; }
            if (term.table == 2) { c.Ub = T; c.mU = m; }

            const std::vector<double> G = kernelSlope(c);
            for (size_t e = 0; e < c.X.size(); ++e) {
                const double x = c.X[e], h = 1e-5 * std::max(1.0, std::fabs(x));
                Config plus = c, minus = c;
                plus.X[e] = x + h;
                minus.X[e] = x - h;
                const double fd = (kernelValue(plus) - kernelValue(minus)) / (2 * h);
                EXPECT_NEAR(fd, G[e], 1e-6 * std::max(1.0, std::fabs(G[e])))
                    << "coordinate " << e;
            }
        }
    }
}
