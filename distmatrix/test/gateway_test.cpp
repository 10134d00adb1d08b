// pairsq through the test host: the output whatever nlhs and extra inputs,
// and every bad input rejected before anything is created.
#include <gtest/gtest.h>

#include <string>
#include <vector>

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

void expectRejected(const Call& c, const std::string& id, const std::string& message = "")
{
    EXPECT_TRUE(c.failed);
    EXPECT_EQ(id, c.id) << c.message;
    EXPECT_EQ(message.empty() ? c.message : message, c.message);
    EXPECT_EQ(0u, c.created);
    EXPECT_FALSE(c.inputsChanged);
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

TEST(PairsqGateway, RejectsBadInput)
{
    expectRejected(pairsq(1, {}), "pairsq:noInput");
    for (Class k : {Class::Single, Class::Int32, Class::Logical, Class::Char}) {
        Array X = testhost::ofClass(k, 2, 2);
        expectRejected(pairsq(1, {X.get()}), "", "Input of inproper type");
    }
    Array complex = testhost::complexDense(2, 2);
    expectRejected(pairsq(1, {complex.get()}), "pairsq:notRealFull");
    Array sp = testhost::sparse(2, 3, {0, 1}, {0, 1, 1, 2}, {5.0, 7.0});
    expectRejected(pairsq(1, {sp.get()}), "pairsq:notRealFull");
    // No coordinates but so many points that n*n doubles would wrap a 64-bit size.
    for (size_t n : {size_t(1) << 32, size_t(1) << 30}) {
        Array huge = testhost::dense(0, n);
        expectRejected(pairsq(1, {huge.get()}), "pairsq:tooLarge");
    }
}
