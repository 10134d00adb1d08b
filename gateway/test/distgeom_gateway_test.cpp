// The five distance-bound plug-ins through the test host: worked examples,
// outputs created whatever nlhs is, the inputs accepted at the edge (what is
// refused is the error table's, registry_gateway_test), and the fast paths'
// bits.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <string>
#include <vector>

#include "bits.h"
#include "reference.h"
#include "testhost.h"

using testhost::Array;
using testhost::Call;
using testhost::Plugin;
using testing_util::kInf;
using testing_util::kNaN;

namespace {

struct Plugins {
    Plugin penval{testhost::pluginPath("penval")};
    Plugin penslope{testhost::pluginPath("penslope")};
    Plugin linkdev{testhost::pluginPath("linkdev")};
    Plugin ceilgap{testhost::pluginPath("ceilgap")};
    Plugin floorgap{testhost::pluginPath("floorgap")};
};

const Plugins& plugins()
{
    static const Plugins p;
    return p;
}

// A table from its rows.
Array rows(const std::vector<std::vector<double>>& r)
{
    if (r.empty())
        return testhost::dense(0, 0);
    const size_t m = r.size(), c = r[0].size();
    std::vector<double> v(m * c);
    for (size_t i = 0; i < m; ++i)
        for (size_t j = 0; j < c; ++j)
            v[i + j * m] = r[i][j];
    return testhost::dense(m, c, v);
}

Array row(const std::vector<double>& v) { return testhost::dense(1, v.size(), v); }

// The worked configuration: points (0, 0) and (3, 4), pair distance 5.
Array points() { return testhost::dense(2, 2, {0, 0, 3, 4}); }

std::vector<double> outputOf(const Call& c)
{
    EXPECT_FALSE(c.failed) << c.id << ": " << c.message;
    EXPECT_FALSE(c.strayOutput);
    EXPECT_FALSE(c.inputsChanged);
    return testhost::values(c.out());
}

double penvalOf(double ubCode, double lbCode = 1, double w4 = 0)
{
    Array X = points(), D = rows({{1, 2, 4}}), Lb = rows({{1, 2, 6, lbCode}}),
          Ub = rows({{1, 2, 4, ubCode}}), w = row({1, 1, 1, w4}), t = row({3, 5, 7, 2});
    Call c = plugins().penval.call(1, {X.get(), D.get(), Lb.get(), Ub.get(), w.get(), t.get()});
    EXPECT_EQ(1u, c.created);
    EXPECT_EQ(1u, testhost::values(c.out()).size());
    return outputOf(c).at(0);
}

Call penslopeCall(double ubCode, double lbCode = 1, double w4 = 0, int nlhs = 1)
{
    Array X = points(), D = rows({{1, 2, 2.5}}), Lb = rows({{1, 2, 10, lbCode}}),
          Ub = rows({{1, 2, 2.5, ubCode}}), w = row({1, 1, 1, w4}), t = row({3, 5, 7, 2});
    return plugins().penslope.call(nlhs, {X.get(), D.get(), Lb.get(), Ub.get(), w.get(), t.get()});
}

}  // namespace

TEST(Penval, WorkedExample)
{
    EXPECT_EQ(4.0, penvalOf(0));
    EXPECT_EQ(6.0, penvalOf(-1));
    EXPECT_EQ(8.0, penvalOf(-2));
    EXPECT_EQ(3.0, penvalOf(-3));
    EXPECT_EQ(9.0, penvalOf(0, -2));
    EXPECT_EQ(29.0, penvalOf(0, 1, 1));
    EXPECT_EQ(4.0, penvalOf(7.9));
    EXPECT_EQ(8.0, penvalOf(-2.9));
    EXPECT_EQ(3.0, penvalOf(kNaN));
}

TEST(Penslope, WorkedExample)
{
    EXPECT_EQ((std::vector<double>{6, 8, -6, -8}), outputOf(penslopeCall(0)));
    EXPECT_EQ((std::vector<double>{0, 0, 0, 0}), outputOf(penslopeCall(-1)));
    EXPECT_EQ((std::vector<double>{36, 48, -36, -48}), outputOf(penslopeCall(0, -2)));
    EXPECT_EQ((std::vector<double>{6, 8, 0, 0}), outputOf(penslopeCall(0, 1, 1)));
    Call c = penslopeCall(-3);
    EXPECT_EQ((std::vector<double>{9, 12, -9, -12}), outputOf(c));
    EXPECT_EQ("Error! Unkonw Upper bound!\nError! Unkonw Upper bound!\n", c.printed);
}

TEST(Reports, WorkedExamples)
{
    Array X = points();
    auto report = [&](const Plugin& p, std::vector<std::vector<double>> t) {
        Array T = rows(t);
        Call c = p.call(1, {X.get(), T.get()});
        return outputOf(c);
    };
    EXPECT_EQ((std::vector<double>{1, 1, 0, 0, 5.02 - 5}),
              report(plugins().linkdev, {{1, 2, 4}, {1, 2, 6}, {1, 2, 5}, {1, 2, 5.005}, {1, 2, 5.02}}));
    EXPECT_EQ((std::vector<double>{1, 0, 0}),
              report(plugins().ceilgap, {{1, 2, 4, 9}, {1, 2, 5, 9}, {1, 2, 6, 9}}));
    EXPECT_EQ((std::vector<double>{1, 0, 0}),
              report(plugins().floorgap, {{1, 2, 6}, {1, 2, 4}, {1, 2, 5}}));
    // Coincident points: the tolerance is strict, bounds are reported as they stand.
    EXPECT_EQ((std::vector<double>{0, 0.02}),
              report(plugins().linkdev, {{1, 1, 0.01}, {2, 2, 0.02}}));
    EXPECT_EQ((std::vector<double>{3, 0}), report(plugins().floorgap, {{1, 1, 3}, {1, 1, -3}}));
    EXPECT_EQ((std::vector<double>{0, 3}), report(plugins().ceilgap, {{1, 1, 3}, {1, 1, -3}}));

    Array empty = testhost::dense(0, 4);
    Call c = plugins().ceilgap.call(1, {X.get(), empty.get()});
    ASSERT_FALSE(c.failed);
    EXPECT_EQ(0u, mxGetM(c.out()));
    EXPECT_EQ(1u, mxGetN(c.out()));
}

TEST(Gateways, OutputCreatedWhenNoneRequested)
{
    Call c = penslopeCall(0, 1, 0, 0);
    ASSERT_FALSE(c.failed);
    EXPECT_EQ(1u, c.created);
    EXPECT_EQ((std::vector<double>{6, 8, -6, -8}), testhost::values(c.out()));
    Array X = points(), T = rows({{1, 2, 4}});
    for (const Plugin* p : {&plugins().linkdev, &plugins().ceilgap, &plugins().floorgap}) {
        Call r = p->call(0, {X.get(), T.get()});
        ASSERT_FALSE(r.failed);
        ASSERT_NE(nullptr, r.out());
        EXPECT_EQ(1u, mxGetM(r.out()));
    }
}

TEST(Gateways, EmptyTablesAndNoPoints)
{
    Array X = testhost::dense(3, 0), E = testhost::dense(0, 0), w = row({1, 1, 1, 1}),
          t = row({1, 1, 1, 1});
    Call c = plugins().penval.call(1, {X.get(), E.get(), E.get(), E.get(), w.get(), t.get()});
    EXPECT_EQ(std::vector<double>{0.0}, outputOf(c));
    c = plugins().penslope.call(1, {X.get(), E.get(), E.get(), E.get(), w.get(), t.get()});
    ASSERT_FALSE(c.failed);
    EXPECT_EQ(3u, mxGetM(c.out()));
    EXPECT_EQ(0u, mxGetN(c.out()));
    // d = 0: nothing is read, so no point number is rejected.
    Array X0 = testhost::dense(0, 2), T = rows({{kNaN, 7, 1, 1}});
    c = plugins().floorgap.call(1, {X0.get(), T.get()});
    EXPECT_EQ(std::vector<double>{1.0}, outputOf(c));
}

TEST(Gateways, EmptyXWithBillionsOfColumns)
{
    // d = 0: every column adds w4*0, which after the first changes nothing.
    const size_t wide = (size_t(1) << 32) + 1;
    Array X = testhost::dense(0, wide), E = testhost::dense(0, 0), D = rows({{1, 1, 5}}),
          t = row({1, 1, 1, 1});
    auto penval = [&](const Array& table, double w4) {
        Array w = row({1, 1, 1, w4});
        return outputOf(plugins().penval.call(
            1, {X.get(), table.get(), E.get(), E.get(), w.get(), t.get()}));
    };
    EXPECT_TRUE(testing_util::sameBits({25.0}, penval(D, 3)));     // (1*5)*5 + 3*0
    EXPECT_TRUE(testing_util::sameBits({25.0}, penval(D, -3)));    // + (-0)
    EXPECT_TRUE(testing_util::sameBits({0.0}, penval(E, -3)));     // +0 + (-0) is +0
    EXPECT_TRUE(testing_util::sameBits({kNaN}, penval(D, kInf)));  // Inf*0

    Array w = row({1, 1, 1, 1});
    const Call c = plugins().penslope.call(1, {X.get(), D.get(), E.get(), E.get(), w.get(), t.get()});
    ASSERT_FALSE(c.failed) << c.message;
    EXPECT_EQ(0u, mxGetM(c.out()));
    EXPECT_EQ(wide, mxGetN(c.out()));
}

// Fractional point numbers are accepted while the point they read lies
// inside X (2.5 with d = 3 reads from offset 4); a bound table of three
// columns is enough for a report, and [] is a table without rows. (What is
// refused: the error table.)
TEST(Gateways, PointNumbersAndTablesAccepted)
{
    Array X = testhost::dense(3, 3, {0, 0, 0, 1, 1, 1, 2, 2, 2}), w = row({1, 1, 1, 1}),
          L3 = rows({{1, 2, 6}}), empty = testhost::dense(0, 0);
    for (double i : {2.5, 2.0, 1.0, 1.9, 3.0, 2.9})
        for (const Plugin* p : {&plugins().linkdev, &plugins().floorgap}) {
            Array T = rows({{1, 2, 1}, {i, 1, 1}});
            EXPECT_FALSE(p->call(1, {X.get(), T.get()}).failed) << i;
        }
    EXPECT_FALSE(plugins().floorgap.call(1, {X.get(), L3.get()}).failed);
    EXPECT_FALSE(plugins().penval.call(1, {X.get(), empty.get(), empty.get(), empty.get(),
                                           w.get(), w.get()}).failed);
}

// Tables of many rows take the kernels' fast path where the processor has
// one: through the host, every plug-in still gives the reference loop's bits
// (fractional point numbers, coincident points and every type code included).
TEST(Gateways, ManyRowsGiveTheReferenceBits)
{
    std::mt19937_64 rng(42);
    std::uniform_real_distribution<double> u(0, 1);
    const double codes[] = {1, -2, 0, -1, 3, -3, 1.5, -2.5, kNaN};
    for (int d : {2, 3, 5}) {
        SCOPED_TRACE("d " + std::to_string(d));
        const int n = 40, m = 203;
        std::vector<double> x(static_cast<size_t>(d) * n);
        for (double& v : x)
            v = 10 * u(rng);
        std::vector<double> D(m * 3), L(m * 4), U(m * 4);
        for (std::vector<double>* T : {&D, &L, &U}) {
            const int cols = static_cast<int>(T->size() / m);
            for (int r = 0; r < m; ++r) {
                const double i = 1 + std::floor(u(rng) * n), j = r % 9 ? 1 + std::floor(u(rng) * n) : i;
                (*T)[r] = r % 7 ? i : std::min(i + 0.5, double(n));
                (*T)[r + m] = j;
                (*T)[r + 2 * m] = 12 * u(rng);
                if (cols == 4)
                    (*T)[r + 3 * m] = codes[r % std::size(codes)];
            }
        }
        const double w[4] = {1.5, 0.75, 2.25, 0.125}, t[4] = {3, 5, 7, 2};
        Array X = testhost::dense(d, n, x), Dt = testhost::dense(m, 3, D),
              Lt = testhost::dense(m, 4, L), Ut = testhost::dense(m, 4, U), wa = row({w[0], w[1], w[2], w[3]}),
              ta = row({t[0], t[1], t[2], t[3]});

        double value = 0;
        ref::penval(x.data(), d, n, D.data(), m, L.data(), m, U.data(), m, w, t, &value);
        EXPECT_TRUE(testing_util::sameBits(
            {value}, outputOf(plugins().penval.call(1, {X.get(), Dt.get(), Lt.get(), Ut.get(), wa.get(), ta.get()}))));

        std::vector<double> G(x.size(), 0.0);
        std::string printed;
        ref::penslope(x.data(), d, n, D.data(), m, L.data(), m, U.data(), m, w, t, G.data(), printed);
        Call c = plugins().penslope.call(1, {X.get(), Dt.get(), Lt.get(), Ut.get(), wa.get(), ta.get()});
        EXPECT_TRUE(testing_util::sameBits(G, outputOf(c)));
        EXPECT_EQ(ref::boundedDiagnostics(printed), c.printed);

        const Plugin* reports[] = {&plugins().linkdev, &plugins().ceilgap, &plugins().floorgap};
        const std::vector<double>* tables[] = {&D, &U, &L};
        const Array* arrays[] = {&Dt, &Ut, &Lt};
        for (int kind = 0; kind < 3; ++kind) {
            std::vector<double> want(m, 0.0);
            ref::report(kind, x.data(), d, tables[kind]->data(), m, want.data());
            EXPECT_TRUE(testing_util::sameBits(
                want, outputOf(reports[kind]->call(1, {X.get(), arrays[kind]->get()}))));
        }
    }
}
