// obsprod, nzfill and their BLAS variants through the test host: worked
// examples, nzfill's in-place write keeping S's pattern, and the fast paths'
// bits. (What is refused: the error table, registry_gateway_test.)
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "bits.h"
#include "reference.h"
#include "testhost.h"

using testhost::Array;
using testhost::Call;
using testhost::Class;
using testing_util::kInf;
using testing_util::kNaN;

namespace {

Call run(const std::string& name, int nlhs, const std::vector<const mxArray*>& in)
{
    static const testhost::Plugin obsprod{testhost::pluginPath("obsprod")},
        obsprodBlas{testhost::pluginPath("obsprod_blas")},
        nzfill{testhost::pluginPath("nzfill")}, nzfillBlas{testhost::pluginPath("nzfill_blas")};
    const testhost::Plugin& p = name == "obsprod" ? obsprod
                                : name == "obsprod_blas" ? obsprodBlas
                                : name == "nzfill" ? nzfill : nzfillBlas;
    return p.call(nlhs, in);
}

Array row(const std::vector<double>& v) { return testhost::dense(1, v.size(), v); }

// `id` "" expects one of the fixed messages, given as `message`.
void expectRejected(const Call& c, const std::string& id, const std::string& message = "")
{
    EXPECT_TRUE(c.failed);
    EXPECT_EQ(id, c.id) << c.message;
    EXPECT_EQ(message.empty() ? c.message : message, c.message);
    EXPECT_EQ(0u, c.created);
    EXPECT_FALSE(c.inputsChanged);
}

class Obsprod : public ::testing::TestWithParam<std::string> {
protected:
    // Xt columns (1, 3), (2, 4); Y columns (5, 8), (6, 9), (7, 10).
    Array Xt = testhost::dense(2, 2, {1, 3, 2, 4}), Y = testhost::dense(2, 3, {5, 8, 6, 9, 7, 10});
    Array I = row({1, 2}), J = row({3, 1});

    Call call(const mxArray* i, const mxArray* j, double L, int nlhs = 1)
    {
        Array count = testhost::scalar(L);
        return run(GetParam(), nlhs, {Xt.get(), Y.get(), i, j, count.get()});
    }
    std::vector<double> products(const mxArray* i, const mxArray* j, double L, int nlhs = 1)
    {
        Call c = call(i, j, L, nlhs);
        EXPECT_FALSE(c.failed) << c.message;
        EXPECT_EQ(1u, c.created);
        EXPECT_EQ(1u, mxGetM(c.out()));
        return testhost::values(c.out());
    }
};

TEST_P(Obsprod, WorkedExamples)
{
    EXPECT_EQ((std::vector<double>{37, 42}), products(I.get(), J.get(), 2.9, 0));
    for (double none : {0.0, -0.5, kNaN, -kInf})
        EXPECT_TRUE(products(I.get(), J.get(), none).empty()) << none;
    Array j25 = row({2.5});  // reads (9, 7) across columns 2 and 3
    EXPECT_EQ((std::vector<double>{1 * 9 + 3 * 7}), products(I.get(), j25.get(), 1));
    Array Xt0 = testhost::dense(0, 2), Y0 = testhost::dense(0, 3), L = testhost::scalar(2);
    Array bad = row({kNaN, 0});  // r = 0: nothing read, no index checked
    Call c = run(GetParam(), 1, {Xt0.get(), Y0.get(), bad.get(), bad.get(), L.get()});
    EXPECT_EQ((std::vector<double>{0, 0}), testhost::values(c.out()));
}

INSTANTIATE_TEST_SUITE_P(Variants, Obsprod, ::testing::Values("obsprod", "obsprod_blas"));

class Nzfill : public ::testing::TestWithParam<std::string> {
protected:
    // 3-by-3 S storing (1,1)=1, (3,1)=2, (2,2)=3, (3,3)=4, with two spare slots.
    Array S = testhost::sparse(3, 3, {0, 2, 1, 2}, {0, 2, 3, 4}, {1, 2, 3, 4}, 6);
    Array before = testhost::copy(S.get());

    Call fill(const mxArray* v, double L, const mxArray* target = nullptr, int nlhs = 0)
    {
        Array count = testhost::scalar(L);
        return run(GetParam(), nlhs, {target ? target : S.get(), v, count.get()});
    }
    // S as it was, with its first values replaced.
    bool holds(const std::vector<double>& first)
    {
        Array expected = testhost::copy(before.get());
        if (!first.empty())
            std::memcpy(mxGetPr(expected.get()), first.data(), first.size() * sizeof(double));
        return testhost::sameBits(expected.get(), S.get());
    }
    std::string id(const char* reason) const { return GetParam() + ":" + reason; }
};

void expectFilled(const Call& c)
{
    EXPECT_FALSE(c.failed) << c.message;
    EXPECT_EQ(0u, c.created);
    EXPECT_EQ(nullptr, c.out());
}

TEST_P(Nzfill, WritesStoredValuesInPlace)
{
    Array v = row({7, 0.0, -0.0, kNaN, 11});  // a 0.0 stays a stored entry
    for (double none : {0.0, 0.5, -0.5, -0.999})
        expectFilled(fill(v.get(), none));
    EXPECT_TRUE(holds({}));
    expectFilled(fill(v.get(), 2.9));
    EXPECT_TRUE(holds({7, 0.0}));
    expectFilled(fill(v.get(), 4));
    EXPECT_TRUE(holds({7, 0.0, -0.0, kNaN}));
    // A full S: its first elements, v read column-major; S as its own v
    // changes nothing.
    Array F = testhost::dense(2, 2, {1, 2, 3, 4}), m = testhost::dense(2, 2, {-1, -2, -3, -4});
    expectFilled(fill(m.get(), 3, F.get()));
    expectFilled(fill(F.get(), 4, F.get()));
    EXPECT_EQ((std::vector<double>{-1, -2, -3, 4}), testhost::values(F.get()));
}

// The count is checked against the values S stores, not the slots its
// storage has to spare; a refused call leaves S as it was.
TEST_P(Nzfill, SpareSlotsAreNotStoredValues)
{
    Array v = row({7, 8, 9, 10, 11, 12});
    for (double L : {5.0, 6.0})
        expectRejected(fill(v.get(), L), id("countTooLarge"));
    EXPECT_TRUE(holds({}));
}

INSTANTIATE_TEST_SUITE_P(Variants, Nzfill, ::testing::Values("nzfill", "nzfill_blas"));

// The loop variants' fast paths through the host: four products at a time
// with a count that leaves a tail, fractional indices that stay inside; a
// copy large enough to be streamed past the caches. Bits as the loops give.
TEST(FastPaths, ObsprodAndNzfillThroughTheHost)
{
    const int64_t r = 10, m = 40, n = 30, L = 1001;
    std::vector<double> xt(r * m), y(r * n), i(L), j(L);
    for (size_t k = 0; k < xt.size(); ++k)
        xt[k] = static_cast<double>((7919 * k + 13) % 10007) * 0.001 - 5;
    for (size_t k = 0; k < y.size(); ++k)
        y[k] = static_cast<double>((104729 * k + 7) % 10007) * 0.001 - 5;
    for (int64_t k = 0; k < L; ++k) {
        i[k] = static_cast<double>(1 + (k * 7) % m);
        j[k] = k % 5 == 0 ? n - 1 + 0.05 : static_cast<double>(1 + (k * 11) % n);
    }
    Array Xt = testhost::dense(r, m, xt), Y = testhost::dense(r, n, y), I = row(i), J = row(j),
          count = testhost::scalar(static_cast<double>(L));
    Call c = run("obsprod", 1, {Xt.get(), Y.get(), I.get(), J.get(), count.get()});
    ASSERT_FALSE(c.failed) << c.message;
    const std::vector<double> expected =
        ref::obsprod(r, L, xt.data(), y.data(), i.data(), j.data());
    const std::vector<double> got = testhost::values(c.out());
    ASSERT_EQ(expected.size(), got.size());
    EXPECT_EQ(0, std::memcmp(expected.data(), got.data(), got.size() * sizeof(double)));

    const size_t big = (size_t(9) << 20) / sizeof(double) + 3;  // 9 MB and a bit
    std::vector<double> values(big);
    for (size_t k = 0; k < big; ++k)
        values[k] = static_cast<double>(k) * 0.5 - 1e6;
    values[1] = -0.0;
    Array S = testhost::dense(big, 1), v = testhost::dense(1, big, values),
          n2 = testhost::scalar(static_cast<double>(big));
    Call f = run("nzfill", 0, {S.get(), v.get(), n2.get()});
    ASSERT_FALSE(f.failed) << f.message;
    const std::vector<double> written = testhost::values(S.get());
    EXPECT_EQ(0, std::memcmp(values.data(), written.data(), big * sizeof(double)));
}

}  // namespace
