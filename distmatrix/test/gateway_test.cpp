// pairsq through the test host: the worked example, the output's shape
// whatever nlhs and extra inputs, and every bad input rejected before
// anything is created.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "bits.h"
#include "testhost.h"

using testhost::Array;
using testhost::Call;
using testhost::Class;
using testhost::Plugin;

namespace {

const Plugin& pairsq()
{
    static const Plugin p{testhost::pluginPath("pairsq")};
    return p;
}

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

std::vector<double> outputOf(const Call& c, size_t rows, size_t cols)
{
    EXPECT_FALSE(c.failed) << c.id << ": " << c.message;
    EXPECT_EQ(1u, c.created);
    EXPECT_FALSE(c.strayOutput);
    EXPECT_FALSE(c.inputsChanged);
    if (c.failed || !c.out())
        return {};
    EXPECT_EQ(rows, mxGetM(c.out()));
    EXPECT_EQ(cols, mxGetN(c.out()));
    return testhost::values(c.out());
}

}  // namespace

TEST(PairsqGateway, WorkedExample)
{
    Array X = testhost::dense(2, 2, {0, 0, 3, 4});
    EXPECT_EQ((std::vector<double>{0, 25, 25, 0}), outputOf(pairsq().call(1, {X.get()}), 2, 2));
    // No output requested: plhs[0] is filled all the same.
    EXPECT_EQ((std::vector<double>{0, 25, 25, 0}), outputOf(pairsq().call(0, {X.get()}), 2, 2));
    // Extra inputs, of any class, are ignored.
    Array Z = testhost::ofClass(Class::Char, 1, 3);
    EXPECT_EQ((std::vector<double>{0, 25, 25, 0}),
              outputOf(pairsq().call(1, {X.get(), Z.get(), X.get()}), 2, 2));
}

TEST(PairsqGateway, Shapes)
{
    Array none = testhost::dense(3, 0);
    EXPECT_TRUE(outputOf(pairsq().call(1, {none.get()}), 0, 0).empty());
    Array empty = testhost::dense(0, 0);
    EXPECT_TRUE(outputOf(pairsq().call(1, {empty.get()}), 0, 0).empty());
    Array flat = testhost::dense(0, 4);
    EXPECT_EQ(std::vector<double>(16, 0.0), outputOf(pairsq().call(1, {flat.get()}), 4, 4));
    Array one = testhost::dense(3, 1, {1, 2, 3});
    EXPECT_EQ(std::vector<double>{0.0}, outputOf(pairsq().call(1, {one.get()}), 1, 1));
    // Three points on a line: 1-D distances squared.
    Array line = testhost::dense(1, 3, {0, 1, 3});
    EXPECT_EQ((std::vector<double>{0, 1, 9, 1, 0, 4, 9, 4, 0}),
              outputOf(pairsq().call(1, {line.get()}), 3, 3));
}

TEST(PairsqGateway, RejectsBadInput)
{
    expectRejected(pairsq().call(1, {}), "pairsq:noInput");
    for (Class c : {Class::Single, Class::Int32, Class::Logical, Class::Char}) {
        Array X = testhost::ofClass(c, 2, 2);
        expectRejected(pairsq().call(1, {X.get()}), "", "Input of inproper type");
    }
    // The type test comes first, also for an empty array.
    Array emptyChar = testhost::ofClass(Class::Char, 0, 0);
    expectRejected(pairsq().call(1, {emptyChar.get()}), "", "Input of inproper type");

    Array complex = testhost::complexDense(2, 2);
    expectRejected(pairsq().call(1, {complex.get()}), "pairsq:notRealFull");
    Array sp = testhost::sparse(2, 3, {0, 1}, {0, 1, 1, 2}, {5.0, 7.0});
    expectRejected(pairsq().call(1, {sp.get()}), "pairsq:notRealFull");

    // No coordinates but 2^32 points: n*n doubles would wrap a 64-bit size.
    for (size_t n : {size_t(1) << 32, size_t(1) << 30, size_t(3037000500)}) {
        Array huge = testhost::dense(0, n);
        expectRejected(pairsq().call(1, {huge.get()}), "pairsq:tooLarge");
    }
}
