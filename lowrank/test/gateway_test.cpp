// obsprod, nzfill and their BLAS variants through the test host: the worked
// examples, the fixed messages in their order, every bad input rejected
// before anything is created or written, and nzfill's in-place write.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "bits.h"
#include "testhost.h"

using testhost::Array;
using testhost::Call;
using testhost::Class;
using testhost::Plugin;
using testing_util::bitsOf;
using testing_util::kInf;
using testing_util::kNaN;

namespace {

const char* const kObsprodUsage = "Usage: v = obsprod (Xt, Y, I, J, L)";
const char* const kRows = "rows of Xt must be equal to rows of Y";
const char* const kRank = "rank must be r <= min(m,n)";
const char* const kNzfillUsage = "Usage:  SetSpv ( S, v, L )";

const Plugin& plugin(const std::string& name)
{
    static const Plugin obsprod{testhost::pluginPath("obsprod")};
    static const Plugin obsprodBlas{testhost::pluginPath("obsprod_blas")};
    static const Plugin nzfill{testhost::pluginPath("nzfill")};
    static const Plugin nzfillBlas{testhost::pluginPath("nzfill_blas")};
    if (name == "obsprod")
        return obsprod;
    if (name == "obsprod_blas")
        return obsprodBlas;
    if (name == "nzfill")
        return nzfill;
    return nzfillBlas;
}

Array row(const std::vector<double>& v) { return testhost::dense(1, v.size(), v); }

// A failed call: the expected identifier ("" for a fixed message, which must
// then match), and nothing created or written.
void expectRejected(const Call& c, const std::string& id, const std::string& message = "")
{
    EXPECT_TRUE(c.failed);
    EXPECT_EQ(id, c.id) << c.message;
    if (!message.empty()) {
        EXPECT_EQ(message, c.message);
    }
    EXPECT_FALSE(c.message.empty());
    EXPECT_EQ(0u, c.created);
    EXPECT_EQ(nullptr, c.out());
    EXPECT_FALSE(c.inputsChanged);
}

// ---------------------------------------------------------------- obsprod

class Obsprod : public ::testing::TestWithParam<std::string> {
protected:
    // The worked example's factors: Xt columns (1, 3), (2, 4); Y columns
    // (5, 8), (6, 9), (7, 10).
    Array Xt = testhost::dense(2, 2, {1, 3, 2, 4});
    Array Y = testhost::dense(2, 3, {5, 8, 6, 9, 7, 10});

    Call call(const mxArray* I, const mxArray* J, double L, int nlhs = 1) const
    {
        Array count = testhost::scalar(L);
        return plugin(GetParam()).call(nlhs, {Xt.get(), Y.get(), I, J, count.get()});
    }
    Call call(const std::vector<const mxArray*>& inputs, int nlhs = 1) const
    {
        return plugin(GetParam()).call(nlhs, inputs);
    }
    std::string id(const char* reason) const { return GetParam() + ":" + reason; }
};

std::vector<double> rowOutput(const Call& c, size_t L)
{
    EXPECT_FALSE(c.failed) << c.id << ": " << c.message;
    EXPECT_EQ(1u, c.created);
    EXPECT_FALSE(c.strayOutput);
    EXPECT_FALSE(c.inputsChanged);
    if (c.failed || !c.out())
        return {};
    EXPECT_EQ(1u, mxGetM(c.out()));
    EXPECT_EQ(L, mxGetN(c.out()));
    return testhost::values(c.out());
}

TEST_P(Obsprod, WorkedExample)
{
    Array I = row({1, 2}), J = row({3, 1});
    EXPECT_EQ((std::vector<double>{37, 42}), rowOutput(call(I.get(), J.get(), 2), 2));
    // No output requested is accepted too.
    EXPECT_EQ((std::vector<double>{37, 42}), rowOutput(call(I.get(), J.get(), 2, 0), 2));
    // Index vectors of any shape, longer than L.
    Array Ic = testhost::dense(2, 2, {1, 2, 2, 2}), Jc = testhost::dense(4, 1, {3, 1, 1, 1});
    EXPECT_EQ((std::vector<double>{37, 42}), rowOutput(call(Ic.get(), Jc.get(), 2), 2));
    EXPECT_EQ((std::vector<double>{37}), rowOutput(call(Ic.get(), Jc.get(), 1), 1));
}

TEST_P(Obsprod, CountIsTruncated)
{
    Array I = row({1, 2, 2}), J = row({3, 1, 1});
    EXPECT_EQ((std::vector<double>{37, 42}), rowOutput(call(I.get(), J.get(), 2.9), 2));
    for (double none : {0.0, -0.5, 0.999, -3.0, kNaN, -kInf, -1e300})
        EXPECT_TRUE(rowOutput(call(I.get(), J.get(), none), 0).empty()) << none;
    // Nothing is read when there is nothing to compute: empty indices pass.
    Array empty = testhost::dense(0, 0);
    EXPECT_TRUE(rowOutput(call(empty.get(), empty.get(), 0), 0).empty());
}

TEST_P(Obsprod, RankZeroGivesZeros)
{
    Array Xt0 = testhost::dense(0, 2), Y0 = testhost::dense(0, 3);
    // Nothing is read from the factors, so no index is out of range.
    Array I = row({1, 5, kNaN}), J = row({4, 1, 0}), L = testhost::scalar(3);
    EXPECT_EQ((std::vector<double>{0, 0, 0}),
              rowOutput(call({Xt0.get(), Y0.get(), I.get(), J.get(), L.get()}), 3));
}

TEST_P(Obsprod, FractionalIndexReadsAcrossColumns)
{
    // With r = 2, J = 2.5 reads from offset 3: (9, 7).
    Array I = row({1}), J = row({2.5});
    EXPECT_EQ((std::vector<double>{1 * 9 + 3 * 7}), rowOutput(call(I.get(), J.get(), 1), 1));
}

TEST_P(Obsprod, FixedMessagesInOrder)
{
    Array I = row({1, 2}), J = row({3, 1}), L = testhost::scalar(2);
    expectRejected(call({Xt.get(), Y.get(), I.get(), J.get()}), "", kObsprodUsage);
    expectRejected(call({Xt.get(), Y.get(), I.get(), J.get(), L.get(), L.get()}), "",
                   kObsprodUsage);
    expectRejected(call({}), "", kObsprodUsage);
    expectRejected(call({Xt.get(), Y.get(), I.get(), J.get(), L.get()}, 2), "", kObsprodUsage);

    // Xt of 2 rows, Y of 3: the row message, also when the rank test fails too.
    Array Y3 = testhost::dense(3, 5), Y3narrow = testhost::dense(3, 1);
    expectRejected(call({Xt.get(), Y3.get(), I.get(), J.get(), L.get()}), "", kRows);
    expectRejected(call({Xt.get(), Y3narrow.get(), I.get(), J.get(), L.get()}), "", kRows);
    // Xt of 3 rows and 2 columns with Y of 3 rows and 5 columns.
    Array Xt32 = testhost::dense(3, 2);
    expectRejected(call({Xt32.get(), Y3.get(), I.get(), J.get(), L.get()}), "", kRank);
    Array Y21 = testhost::dense(2, 1);
    expectRejected(call({Xt.get(), Y21.get(), I.get(), J.get(), L.get()}), "", kRank);

    // The fixed messages come before the toolbox's own checks.
    Array single = testhost::ofClass(Class::Single, 3, 5);
    expectRejected(call({Xt.get(), single.get(), I.get(), J.get(), L.get()}), "", kRows);
    expectRejected(call({Xt32.get(), single.get(), I.get(), J.get(), L.get()}), "", kRank);
}

TEST_P(Obsprod, RejectsInputsThatAreNotRealFullDoubles)
{
    Array I = row({1, 2}), J = row({3, 1}), L = testhost::scalar(2);
    const std::vector<const mxArray*> good = {Xt.get(), Y.get(), I.get(), J.get(), L.get()};
    std::vector<Array> bad;
    bad.push_back(testhost::ofClass(Class::Single, 2, 3));
    bad.push_back(testhost::ofClass(Class::Int32, 2, 3));
    bad.push_back(testhost::ofClass(Class::Char, 2, 3));
    bad.push_back(testhost::ofClass(Class::Logical, 2, 3));
    bad.push_back(testhost::complexDense(2, 3));
    bad.push_back(testhost::sparse(2, 3, {0, 1}, {0, 1, 1, 2}, {1.0, 1.0}));
    for (size_t input = 0; input < 5; ++input)
        for (const Array& b : bad) {
            std::vector<const mxArray*> in = good;
            in[input] = b.get();
            expectRejected(call(in), id("notRealDouble"));
        }
    Array emptyL = testhost::dense(1, 0);
    expectRejected(call({Xt.get(), Y.get(), I.get(), J.get(), emptyL.get()}), id("badCount"));
}

TEST_P(Obsprod, RejectsIndexVectorsShorterThanL)
{
    Array I = row({1, 2}), J = row({3, 1}), J1 = row({3});
    expectRejected(call(I.get(), J.get(), 3), id("indexTooShort"));
    expectRejected(call(I.get(), J1.get(), 2), id("indexTooShort"));
    expectRejected(call(J1.get(), J.get(), 2.5), id("indexTooShort"));
    // A count beyond any array, and +Inf, ask for more than I holds.
    for (double huge : {kInf, 1e19, 1e300, 9223372036854775807.0, 4294967296.0 + 2})
        expectRejected(call(I.get(), J.get(), huge), id("indexTooShort"));
}

TEST_P(Obsprod, RejectsIndicesOutsideTheFactors)
{
    Array good = row({1, 2});
    // Xt has 2 columns, Y 3, both of 2 rows: offsets 0 .. 2 and 0 .. 4.
    for (double bad : {kNaN, kInf, -kInf, 0.0, -1.0, 0.4, 2.5, 3.0, 1e300}) {
        Array I = row({1, bad});
        Call c = call(I.get(), good.get(), 2);
        expectRejected(c, id("columnOutside"));
        EXPECT_NE(std::string::npos, c.message.find("I(2)")) << c.message;
    }
    for (double bad : {kNaN, 0.0, 3.5, 4.0, -2.0}) {
        Array J = row({bad, 1});
        Call c = call(good.get(), J.get(), 2);
        expectRejected(c, id("columnOutside"));
        EXPECT_NE(std::string::npos, c.message.find("J(1)")) << c.message;
    }
    // Only the first L indices are looked at.
    Array I = row({2, kNaN});
    EXPECT_EQ((std::vector<double>{2 * 7 + 4 * 10}), rowOutput(call(I.get(), row({3}).get(), 1), 1));
}

INSTANTIATE_TEST_SUITE_P(Variants, Obsprod, ::testing::Values("obsprod", "obsprod_blas"));

// ----------------------------------------------------------------- nzfill

class Nzfill : public ::testing::TestWithParam<std::string> {
protected:
    // 3-by-3 sparse S with stored (1,1)=1, (3,1)=2, (2,2)=3, (3,3)=4, and two
    // spare slots beyond its four stored values.
    Array S = testhost::sparse(3, 3, {0, 2, 1, 2}, {0, 2, 3, 4}, {1, 2, 3, 4}, 6);

    Call call(const std::vector<const mxArray*>& inputs, int nlhs = 0) const
    {
        return plugin(GetParam()).call(nlhs, inputs);
    }
    Call fill(mxArray* target, const mxArray* v, double L) const
    {
        Array count = testhost::scalar(L);
        return call({target, v, count.get()});
    }
    std::string id(const char* reason) const { return GetParam() + ":" + reason; }
};

// S as it was, with its first values replaced by `values`.
Array withValues(const mxArray* before, const std::vector<double>& values)
{
    Array expected = testhost::copy(before);
    if (!values.empty())
        std::memcpy(mxGetPr(expected.get()), values.data(), values.size() * sizeof(double));
    return expected;
}

void expectFilled(const Call& c)
{
    EXPECT_FALSE(c.failed) << c.id << ": " << c.message;
    EXPECT_EQ(0u, c.created);
    EXPECT_FALSE(c.strayOutput);
    EXPECT_EQ(nullptr, c.out());
}

TEST_P(Nzfill, WritesStoredValuesInPlaceAndKeepsThePattern)
{
    Array before = testhost::copy(S.get());
    // A 0.0 among the values stays a stored entry.
    Array v = row({7, 0.0, -0.0, 9});
    expectFilled(fill(S.get(), v.get(), 4));
    Array expected = withValues(before.get(), {7, 0.0, -0.0, 9});
    EXPECT_TRUE(testhost::sameBits(expected.get(), S.get()));
    EXPECT_EQ(4u, mxGetJc(S.get())[3]);
    EXPECT_EQ(bitsOf(-0.0), bitsOf(mxGetPr(S.get())[2]));
}

TEST_P(Nzfill, CountIsTruncated)
{
    Array before = testhost::copy(S.get());
    Array v = row({7, 8, 9, 10, 11});  // longer than needed
    expectFilled(fill(S.get(), v.get(), 2.9));
    Array expected = withValues(before.get(), {7, 8});
    EXPECT_TRUE(testhost::sameBits(expected.get(), S.get()));

    for (double none : {0.0, 0.5, -0.5, -0.999, 0.999}) {
        Array s = testhost::copy(before.get());
        expectFilled(fill(s.get(), v.get(), none));
        EXPECT_TRUE(testhost::sameBits(before.get(), s.get())) << none;
    }
}

TEST_P(Nzfill, FullTargetAndMatrixSource)
{
    Array F = testhost::dense(2, 3, {1, 2, 3, 4, 5, 6});
    Array v = testhost::dense(2, 2, {-1, -2, -3, -4});  // read column-major
    expectFilled(fill(F.get(), v.get(), 3));
    EXPECT_EQ((std::vector<double>{-1, -2, -3, 4, 5, 6}), testhost::values(F.get()));
    expectFilled(fill(F.get(), v.get(), 4));
    EXPECT_EQ((std::vector<double>{-1, -2, -3, -4, 5, 6}), testhost::values(F.get()));
}

TEST_P(Nzfill, CopiesBitForBit)
{
    const uint64_t payload = 0x7ff8000000abcdefULL;
    double nan;
    std::memcpy(&nan, &payload, sizeof nan);
    Array v = row({nan, kInf, -kInf, 4.9e-324});
    expectFilled(fill(S.get(), v.get(), 4));
    for (size_t i = 0; i < 4; ++i)
        EXPECT_EQ(bitsOf(mxGetPr(v.get())[i]), bitsOf(mxGetPr(S.get())[i])) << i;
}

TEST_P(Nzfill, SameArrayAsSourceChangesNothing)
{
    Array before = testhost::copy(S.get());
    Array L = testhost::scalar(4);
    expectFilled(call({S.get(), S.get(), L.get()}));
    EXPECT_TRUE(testhost::sameBits(before.get(), S.get()));
}

TEST_P(Nzfill, UsageMessage)
{
    Array v = row({7, 8, 9, 10}), L = testhost::scalar(2);
    expectRejected(call({S.get(), v.get(), L.get()}, 1), "", kNzfillUsage);
    expectRejected(call({S.get(), v.get()}), "", kNzfillUsage);
    expectRejected(call({S.get(), v.get(), L.get(), L.get()}), "", kNzfillUsage);
    expectRejected(call({}), "", kNzfillUsage);
    // The usage comes before every other check.
    Array single = testhost::ofClass(Class::Single, 2, 2);
    expectRejected(call({single.get(), v.get()}), "", kNzfillUsage);
}

TEST_P(Nzfill, RejectsBadClasses)
{
    Array v = row({7, 8, 9, 10}), L = testhost::scalar(2);
    for (Class c : {Class::Single, Class::Int32, Class::Logical, Class::Char}) {
        Array bad = testhost::ofClass(c, 2, 2);
        expectRejected(call({bad.get(), v.get(), L.get()}), id("notRealDouble"));
        expectRejected(call({S.get(), bad.get(), L.get()}), id("notRealDouble"));
        expectRejected(call({S.get(), v.get(), bad.get()}), id("notRealDouble"));
    }
    Array complex = testhost::complexDense(2, 2);
    expectRejected(call({complex.get(), v.get(), L.get()}), id("notRealDouble"));
    expectRejected(call({S.get(), complex.get(), L.get()}), id("notRealDouble"));
}

TEST_P(Nzfill, SparseSourceGivesItsStoredValues)
{
    Array before = testhost::copy(S.get());
    Array v = testhost::sparse(1, 4, {0, 0}, {0, 1, 1, 1, 2}, {7, 10});
    expectFilled(fill(S.get(), v.get(), 2));
    Array expected = withValues(before.get(), {7, 10});
    EXPECT_TRUE(testhost::sameBits(expected.get(), S.get()));
    // It stores two values, whatever its size.
    expectRejected(fill(S.get(), v.get(), 3), id("countTooLarge"));
}

TEST_P(Nzfill, RejectsCountsThatAreNoCount)
{
    Array v = row({7, 8, 9, 10, 11, 12});
    for (double bad : {kNaN, -1.0, -1.5, -2.0, -kInf, -1e300})
        expectRejected(fill(S.get(), v.get(), bad), id("badCount"));
    Array empty = testhost::dense(0, 1);
    expectRejected(call({S.get(), v.get(), empty.get()}), id("badCount"));
}

TEST_P(Nzfill, RejectsCountsBeyondEitherStorage)
{
    Array v = row({7, 8, 9, 10, 11, 12}), v3 = row({7, 8, 9});
    // S stores 4 values (its spare slots do not count).
    for (double bad : {5.0, 5.5, 6.0, kInf, 1e300, 18446744073709551616.0 + 4})
        expectRejected(fill(S.get(), v.get(), bad), id("countTooLarge"));
    expectRejected(fill(S.get(), v3.get(), 4), id("countTooLarge"));
    Array F = testhost::dense(2, 2);
    expectRejected(fill(F.get(), v.get(), 5), id("countTooLarge"));
    Array none = testhost::sparse(3, 3, {}, {0, 0, 0, 0}, {});
    expectRejected(fill(none.get(), v.get(), 1), id("countTooLarge"));
    expectFilled(fill(none.get(), v.get(), 0.5));
}

INSTANTIATE_TEST_SUITE_P(Variants, Nzfill, ::testing::Values("nzfill", "nzfill_blas"));

}  // namespace
