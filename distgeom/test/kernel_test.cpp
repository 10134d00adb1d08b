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
#include "distgeom/geometry.h"
#include "distgeom/kernels.h"
#include "guarded.h"
#include "paths.h"
#include "reference.h"

using testing_util::kInf;
using testing_util::kNaN;
using testing_util::paths;
using testing_util::sameBits;

namespace {

std::string g_printed;
void capture(void*, const char* text, int64_t times)
{
    for (int64_t i = 0; i < times; ++i)
        g_printed += text;
}
const distgeom::PrintSink kCapture{capture, nullptr};

const tbx::Exec kBest{tbx::processorHasAvx2() ? tbx::Path::avx2 : tbx::Path::plain, 1};

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

distgeom::Points pointsOf(const Config& c) { return {c.X.data(), c.d, c.n}; }

distgeom::Penalty penaltyOf(const Config& c)
{
    distgeom::Penalty p;
    p.X = pointsOf(c);
    p.D = {c.D.data(), c.mD};
    p.Lb = {c.Lb.data(), c.mL};
    p.Ub = {c.Ub.data(), c.mU};
    p.w = {c.w[0], c.w[1], c.w[2], c.w[3], c.t[0], c.t[1], c.t[2], c.t[3]};
    return p;
}

double kernelValue(const Config& c, double start = 0.0, const tbx::Exec& ex = kBest)
{
    double acc = start;
    distgeom::penvalKernel(penaltyOf(c), &acc, ex);
    return acc;
}

std::vector<double> kernelSlope(const Config& c, std::string* printed = nullptr,
                                const tbx::Exec& ex = kBest,
                                std::vector<double> G = std::vector<double>())
{
    if (G.empty())
        G.assign(c.X.size(), 0.0);
    g_printed.clear();
    distgeom::penslopeKernel(penaltyOf(c), G.data(), kCapture, ex);
    if (printed)
        *printed = g_printed;
    return G;
}

using Report = void (*)(const distgeom::Points&, const distgeom::Table&, double*,
                        const tbx::Exec&);
const Report kReports[] = {distgeom::linkdevKernel, distgeom::ceilgapKernel,
                           distgeom::floorgapKernel};

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
        for (int kind = 0; kind < 3; ++kind) {
            std::vector<double> want(rows[kind], 0.0), got(rows[kind], 0.0);
            ref::report(kind, c.X.data(), c.d, tables[kind], rows[kind], want.data());
            kReports[kind](pointsOf(c), {tables[kind], rows[kind]}, got.data(), kBest);
            ASSERT_TRUE(sameBits(want, got)) << "report " << kind;
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

// ---- The four-rows-at-a-time paths -----------------------------------------
// Where the processor has AVX2 the kernels run rows side by side in blocks;
// the plain loops stay for other processors. Both must give the reference's
// bits, for row counts that do not fill a group of four or a block, for every
// number of coordinates (1 to 4 have paths of their own), and where rows
// meet: the running sum, repeated points, interleaving fractional points.
namespace {

// Every kernel, on every path, against the reference, bit for bit; penval
// from `start`, penslope into G as given (G0), the reports over outputs
// prefilled with `fill` (entries of rows that are not violated must keep it).
void expectAllPathsMatch(const Config& c, double start, const std::vector<double>& G0,
                         double fill)
{
    double expected = start;
    ref::penval(c.X.data(), c.d, c.n, c.D.data(), c.mD, c.Lb.data(), c.mL, c.Ub.data(), c.mU,
                c.w, c.t, &expected);
    std::vector<double> G = G0;
    std::string expectedText;
    ref::penslope(c.X.data(), c.d, c.n, c.D.data(), c.mD, c.Lb.data(), c.mL, c.Ub.data(), c.mU,
                  c.w, c.t, G.data(), expectedText);
    const double* tables[] = {c.D.data(), c.Ub.data(), c.Lb.data()};
    const int rows[] = {c.mD, c.mU, c.mL};

    for (const testing_util::Team& team : testing_util::teams()) {
        const testing_util::Slowed slowed(team);
        const tbx::Exec& ex = team.ex;
        SCOPED_TRACE(testing_util::nameOf(team));
        EXPECT_TRUE(sameBits({expected}, {kernelValue(c, start, ex)})) << "penval";
        std::string printed;
        EXPECT_TRUE(sameBits(G, kernelSlope(c, &printed, ex, G0))) << "penslope";
        EXPECT_EQ(expectedText, printed) << "penslope";
        for (int kind = 0; kind < 3; ++kind) {
            std::vector<double> want(rows[kind], fill), got(rows[kind], fill);
            ref::report(kind, c.X.data(), c.d, tables[kind], rows[kind], want.data());
            kReports[kind](pointsOf(c), {tables[kind], rows[kind]}, got.data(), ex);
            EXPECT_TRUE(sameBits(want, got)) << "report " << kind;
        }
    }
}

// A configuration of d-dimensional points with m rows in each table.
Config sizedConfig(uint64_t seed, int d, int n, int m)
{
    std::mt19937_64 rng(seed);
    std::normal_distribution<double> normal(0, 5);
    std::uniform_real_distribution<double> u(0, 1);
    Config c;
    c.d = d;
    c.n = n;
    c.X.resize(static_cast<size_t>(d) * n);
    for (double& x : c.X)
        x = u(rng) < 0.02 ? kNaN : normal(rng);
    c.mD = c.mL = c.mU = m;
    c.D = makeTable(rng, c, m, 3);
    c.Lb = makeTable(rng, c, m, 4);
    c.Ub = makeTable(rng, c, m, 4);
    for (int i = 0; i < 4; ++i) {
        c.w[i] = 0.5 + u(rng);
        c.t[i] = 0.5 + u(rng);
    }
    return c;
}

}  // namespace

TEST(DistgeomLanes, EveryRowCountAndDimensionMatchesTheReference)
{
    // Row counts around the group of four and the block of 64 rows; the
    // dimensions with paths of their own (1 to 4) and the general one.
    const int counts[] = {1, 3, 4, 5, 7, 8, 63, 64, 65, 67, 127, 128, 129, 131, 250};
    const int dims[] = {1, 2, 3, 4, 5, 7, 9};
    uint64_t seed = 100;
    for (int d : dims)
        for (int m : counts) {
            SCOPED_TRACE("d " + std::to_string(d) + ", m " + std::to_string(m));
            const Config c = sizedConfig(++seed, d, 17, m);
            expectAllPathsMatch(c, seed % 2 ? 0.0 : -3.25, std::vector<double>(c.X.size(), 0.0),
                                0.0);
        }
}

TEST(DistgeomLanes, RandomAndAdversarialConfigurationsWithManyRows)
{
    // The random configurations of the first test, with tables long enough
    // to run through several blocks.
    for (uint64_t seed = 1; seed <= 60; ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        Config c = randomConfig(seed);
        if (c.n == 0)
            continue;
        std::mt19937_64 rng(seed + 1000);
        const int m = 130 + static_cast<int>(seed % 7);
        c.mD = c.mL = c.mU = m;
        c.D = makeTable(rng, c, m, 3);
        c.Lb = makeTable(rng, c, m, 4);
        c.Ub = makeTable(rng, c, m, 4);
        expectAllPathsMatch(c, 0.0, std::vector<double>(c.X.size(), 0.0), 0.0);
    }
}

TEST(DistgeomLanes, RowsThatAddNothingLeaveTheSumAndTheOutputsUntouched)
{
    // Every bound row satisfied, no distance rows, no points to regularise
    // the sum: the sum stays -0.0 (a row that adds nothing must not add +0.0),
    // G keeps its -0.0 entries, and the reports keep what the outputs held.
    Config c = sizedConfig(5, 3, 12, 0);
    std::mt19937_64 rng(6);
    const int m = 70;
    std::vector<double> Lb(m * 4), Ub(m * 4);
    for (int r = 0; r < m; ++r) {
        const int i = 1 + r % 12, j = 1 + (r * 5 + 3) % 12;
        const double dij = ref::dist(c.X.data(), 3, (i - 1) * 3, (j - 1) * 3);
        Lb[r] = Ub[r] = i;
        Lb[r + m] = Ub[r + m] = j;
        Lb[r + 2 * m] = std::isnan(dij) ? kNaN : dij * 0.5;  // lower bound met
        Ub[r + 2 * m] = std::isnan(dij) ? kNaN : dij * 2.0;  // upper bound met
        Lb[r + 3 * m] = r % 2 ? 1 : -2;
        Ub[r + 3 * m] = r % 3 - 2;
    }
    c.Lb = Lb;
    c.Ub = Ub;
    c.mL = c.mU = m;
    c.w[3] = 0;
    c.n = 0;  // regularise nothing; the points stay readable
    EXPECT_TRUE(sameBits({-0.0}, {kernelValue(c, -0.0)}));
    expectAllPathsMatch(c, -0.0, std::vector<double>(c.X.size(), -0.0), -0.0);
    expectAllPathsMatch(c, 2.5, std::vector<double>(c.X.size(), -0.0), 7.0);
}

TEST(DistgeomLanes, TypeCodesAtEveryBoundaryOfTheTruncation)
{
    // Every bound row violated, so the type code alone decides; codes at and
    // around each boundary of truncation toward zero and of the 32-bit range.
    const double codes[] = {1.0, 2.0, 1.9999999999999998, 0.9999999999999999, -2.0, -3.0,
                            -2.0000000000000004, -2.9999999999999996, -1.0, -1.0000000000000002,
                            -0.9999999999999999, 0.0, -0.0, -1e-300, 1e-300, 2147483647.0,
                            2147483647.9999998, 2147483648.0, -2147483648.0,
                            -2147483648.9999998, -2147483649.0, kNaN, kInf, -kInf, 3.0, -4.0};
    const int m = static_cast<int>(std::size(codes)) * 3;
    Config c;
    c.d = 2;
    c.n = 2;
    c.X = {0, 0, 3, 4};  // the two points are 5 apart
    c.w[1] = c.w[2] = 1.5;
    c.t[0] = 2;
    c.t[1] = 3;
    c.t[2] = 5;
    c.t[3] = 7;
    c.Lb.assign(m * 4, 0);
    c.Ub.assign(m * 4, 0);
    for (int r = 0; r < m; ++r) {
        c.Lb[r] = c.Ub[r] = 1 + r % 2;
        c.Lb[r + m] = c.Ub[r + m] = 2 - r % 2;
        c.Lb[r + 2 * m] = 6 + r;    // above 5: violated
        c.Ub[r + 2 * m] = 4 - r;    // below 5: violated
        c.Lb[r + 3 * m] = c.Ub[r + 3 * m] = codes[r % std::size(codes)];
    }
    c.mL = c.mU = m;
    expectAllPathsMatch(c, 0.0, std::vector<double>(4, 0.0), 0.0);
}

TEST(DistgeomLanes, RowsMeetingAtThePointsTheyUpdate)
{
    // Rows naming the same points one after another, rows whose two points
    // are one point, and fractional point numbers whose coordinates interleave
    // (with d = 3, 1.34 starts at offset 1 and 1.67 at offset 2): penslope's
    // updates of G must land in row order, coordinate by coordinate.
    for (int d : {2, 3, 4}) {
        SCOPED_TRACE("d " + std::to_string(d));
        Config c = sizedConfig(77 + d, d, 6, 0);
        std::mt19937_64 rng(d);
        std::uniform_real_distribution<double> u(0, 1);
        const double starts[] = {1, 1.34, 1.67, 2, 2.5, 3, 5.9, 6};
        const int m = 96;
        std::vector<double> D(m * 3), Lb(m * 4), Ub(m * 4);
        for (int r = 0; r < m; ++r) {
            const double i = starts[r % 8], j = r % 5 == 0 ? i : starts[(r / 8 + r) % 8];
            D[r] = Lb[r] = Ub[r] = i;
            D[r + m] = Lb[r + m] = Ub[r + m] = j;
            D[r + 2 * m] = 3 * u(rng);
            Lb[r + 2 * m] = 10 + u(rng);  // violated
            Ub[r + 2 * m] = 0.1 * u(rng);   // violated unless the points coincide
            Lb[r + 3 * m] = r % 2 ? 1 : -2;
            Ub[r + 3 * m] = r % 3 - 2;
        }
        c.D = D;
        c.Lb = Lb;
        c.Ub = Ub;
        c.mD = c.mL = c.mU = m;
        for (double& x : c.X)
            if (std::isnan(x))
                x = 1.0;
        expectAllPathsMatch(c, 0.0, std::vector<double>(c.X.size(), 0.0), 0.0);
    }
}

TEST(DistgeomLanes, UnknownCodesPrintInEveryBlock)
{
    // Violated rows with codes neither pass recognises, spread over several
    // blocks and over the rows left after the last group of four.
    Config c = sizedConfig(9, 3, 20, 0);
    for (double& x : c.X)
        if (std::isnan(x))
            x = 0.5;
    const int m = 203;
    c.Lb.assign(m * 4, 0);
    c.Ub.assign(m * 4, 0);
    for (int r = 0; r < m; ++r) {
        c.Lb[r] = c.Ub[r] = 1 + r % 20;
        c.Lb[r + m] = c.Ub[r + m] = 1 + (r + 7) % 20;
        c.Lb[r + 2 * m] = 1e3;   // violated
        c.Ub[r + 2 * m] = 1e-3;  // violated
        c.Lb[r + 3 * m] = r % 7 == 0 ? 0 : r % 11 == 0 ? kNaN : 1;
        c.Ub[r + 3 * m] = r % 5 == 0 ? -3 : r % 13 == 0 ? -1e12 : 0;
    }
    c.mL = c.mU = m;
    std::string printed;
    kernelSlope(c, &printed);
    EXPECT_GT(printed.size(), 0u);
    expectAllPathsMatch(c, 0.0, std::vector<double>(c.X.size(), 0.0), 0.0);
}

TEST(DistgeomLanes, NothingIsReadOrWrittenPastTheArrays)
{
    // Points, tables and outputs each end at an unreadable page, and the rows
    // name the last point; the lanes read each point's own coordinates only.
    for (int d : {1, 2, 3, 4, 5}) {
        SCOPED_TRACE("d " + std::to_string(d));
        const int n = 9, m = 37;
        Config c = sizedConfig(300 + d, d, n, m);
        for (int r = 0; r < m; r += 2) {
            c.D[r] = c.Lb[r + m] = c.Ub[r] = n;
            c.D[r + m] = c.Lb[r] = c.Ub[r + m] = n - (r % 3);
        }
        using testing_util::Guarded;
        const Guarded X(c.X), D(c.D), Lb(c.Lb), Ub(c.Ub);
        distgeom::Penalty p = penaltyOf(c);
        p.X.X = X.data();
        p.D.T = D.data();
        p.Lb.T = Lb.data();
        p.Ub.T = Ub.data();
        for (const tbx::Exec& ex : paths()) {
            const Guarded G(std::vector<double>(c.X.size(), 0.0));
            double acc = 0.0;
            distgeom::penvalKernel(p, &acc, ex);
            EXPECT_TRUE(sameBits({kernelValue(c)}, {acc}));
            distgeom::penslopeKernel(p, G.data(), distgeom::PrintSink{}, ex);
            EXPECT_TRUE(sameBits(kernelSlope(c), {G.data(), G.data() + c.X.size()}));
            for (Report report : kReports) {
                const Guarded out(std::vector<double>(m, 0.0));
                std::vector<double> want(m, 0.0);
                report(pointsOf(c), {c.D.data(), m}, want.data(), kBest);
                report(p.X, p.D, out.data(), ex);
                EXPECT_TRUE(sameBits(want, {out.data(), out.data() + m}));
            }
        }
    }
}

TEST(DistgeomTeams, ChunksThreadsAndUnevenSplitsGiveTheSingleThreadedBits)
{
    // Tables of several chunks of rows, of counts that split unevenly
    // among 3 threads, and tables of fewer rows than threads; unknown codes
    // spread over chunks and passes, so that the printed text's count and
    // order are checked too. Points with 1 to 5 coordinates.
    int64_t seed = 900;
    for (int d : {1, 2, 3, 4, 5})
        for (int m : {2, 7, 4097, 9001}) {
            SCOPED_TRACE("d " + std::to_string(d) + ", m " + std::to_string(m));
            Config c = sizedConfig(++seed, d, 23, m);
            for (double& x : c.X)
                if (std::isnan(x))
                    x = 0.25;
            expectAllPathsMatch(c, m % 2 ? 0.0 : 1.75, std::vector<double>(c.X.size(), 0.0),
                                0.0);
        }
}
