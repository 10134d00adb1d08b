// The choice of kernel path, and the conversions every kernel uses.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "convert.h"
#include "dispatch.h"

TEST(KernelPath, TheProcessorsBestUnlessTheEnvironmentSaysOtherwise)
{
    using tbx::Path;
    EXPECT_EQ(Path::avx2, tbx::choosePath(nullptr, true).path);
    EXPECT_EQ(Path::plain, tbx::choosePath(nullptr, false).path);
    EXPECT_EQ(Path::avx2, tbx::choosePath("", true).path);
    EXPECT_EQ(Path::plain, tbx::choosePath("plain", true).path);
    EXPECT_EQ(Path::avx2, tbx::choosePath("avx2", true).path);
    for (const char* v : {static_cast<const char*>(nullptr), "", "plain", "avx2"})
        EXPECT_TRUE(tbx::choosePath(v, true).problem.empty()) << (v ? v : "unset");

    // A path that cannot be taken, or a word that names none, is a problem
    // the gateways report; the path stays one this processor runs.
    const tbx::PathChoice noAvx2 = tbx::choosePath("avx2", false);
    EXPECT_EQ(Path::plain, noAvx2.path);
    EXPECT_NE(std::string::npos, noAvx2.problem.find("no AVX2"));
    const tbx::PathChoice typo = tbx::choosePath("AVX2", true);
    EXPECT_EQ(Path::avx2, typo.path);
    EXPECT_NE(std::string::npos, typo.problem.find("MEXTOOLBOX_KERNELS=AVX2"));

    // This process: whatever the variable says, the path is one it runs.
    EXPECT_TRUE(tbx::kernelPath().path == Path::plain || tbx::processorHasAvx2());
}

TEST(Convert, TruncationTowardZeroAndTheMostNegativeIntegerOutsideTheRange)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    EXPECT_EQ(2, tbx::truncToInt32(2.9));
    EXPECT_EQ(-2, tbx::truncToInt32(-2.9));
    EXPECT_EQ(0, tbx::truncToInt32(-0.5));
    EXPECT_EQ(2147483647, tbx::truncToInt32(2147483647.9));
    EXPECT_EQ(INT32_MIN, tbx::truncToInt32(-2147483648.9));
    for (double x : {nan, inf, -inf, 2147483648.0, -2147483649.0})
        EXPECT_EQ(INT32_MIN, tbx::truncToInt32(x)) << x;
    EXPECT_EQ(INT64_MIN, tbx::truncToInt64(9223372036854775808.0));
    EXPECT_EQ(INT64_MIN, tbx::truncToInt64(-9223372036854775808.0));
    EXPECT_EQ(INT64_MIN, tbx::truncToInt64(nan));
    // The product is truncated, not the index: 2.5 with height 3 is offset 4.
    EXPECT_EQ(4, tbx::columnOffset(2.5, 3));
    EXPECT_TRUE(tbx::columnInside(4, 3, 3));
    EXPECT_FALSE(tbx::columnInside(7, 3, 3));
    EXPECT_FALSE(tbx::columnInside(0, 3, 0));
}
