// pairsq through the test host: the output whatever nlhs and extra inputs,
// and a large result's bits. (What is refused: the error table,
// registry_gateway_test.)
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "reference.h"
#include "testhost.h"

using testhost::Array;
using testhost::Call;
using testhost::Class;

namespace {

Call pairsq(int nlhs, const std::vector<const mxArray*>& in)
{
    static const testhost::Plugin p{testhost::pluginPath("pairsq")};
    return p.call(nlhs, in);
}

}  // namespace

TEST(PairsqGateway, OutputWhateverNlhsAndExtraInputs)
{
    Array X = testhost::dense(2, 2, {0, 0, 3, 4}), Z = testhost::ofClass(Class::Char, 1, 3);
    for (const Call& c : {pairsq(1, {X.get()}), pairsq(0, {X.get(), Z.get()})}) {
        ASSERT_FALSE(c.failed) << c.message;
        EXPECT_EQ(1u, c.created);
        EXPECT_EQ(2u, mxGetM(c.out()));
        EXPECT_EQ((std::vector<double>{0, 25, 25, 0}), testhost::values(c.out()));
    }
    Array none = testhost::dense(3, 0);
    Call c = pairsq(1, {none.get()});
    EXPECT_EQ(0u, mxGetM(c.out()) + mxGetN(c.out()));
}

TEST(PairsqGateway, LargeResultThroughTheHostHasTheLoopsBits)
{
    // 1100 points: a 9.7 MB result, which the kernel streams to memory past
    // the caches; 1101 points: ordinary stores. Either way the host gets the
    // plain loop's bits, symmetric to the last bit.
    for (size_t n : {size_t(1100), size_t(1101)}) {
        std::vector<double> x(3 * n);
        for (size_t i = 0; i < x.size(); ++i)
            x[i] = static_cast<double>((7919 * i + 13) % 10007) * 0.001;
        Array X = testhost::dense(3, n, x);
        Call c = pairsq(1, {X.get()});
        ASSERT_FALSE(c.failed) << c.message;
        const std::vector<double> q = testhost::values(c.out());
        const std::vector<double> expected = ref::pairsq(x, 3, static_cast<int64_t>(n));
        ASSERT_EQ(expected.size(), q.size());
        EXPECT_EQ(0, std::memcmp(expected.data(), q.data(), q.size() * sizeof(double))) << n;
    }
}
