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

    // A build without the AVX2 paths says so, not that the processor lacks them.
    const tbx::PathChoice notBuilt = tbx::choosePath("avx2", false, false);
    EXPECT_EQ(Path::plain, notBuilt.path);
    EXPECT_NE(std::string::npos, notBuilt.problem.find("this build has no AVX2 path"));
    EXPECT_TRUE(tbx::choosePath("plain", false, false).problem.empty());

    // This process: whatever the variable says, the path is one it runs.
    EXPECT_TRUE(tbx::kernelPath().path == Path::plain || tbx::processorHasAvx2());
}

TEST(ProcessorTest, AvxTwoNeedsTheInstructionsAndTheOperatingSystemsYmmState)
{
    tbx::CpuFacts f;
    f.maxLeaf = 13;
    f.leaf1Ecx = (1u << 27) | (1u << 28);  // OSXSAVE, AVX
    f.leaf7Ebx = 1u << 5;                  // AVX2
    f.xcr0 = 0x7;                          // x87, SSE and YMM state saved
    EXPECT_TRUE(tbx::avx2Usable(f));

    // Each missing fact alone turns AVX2 off.
    tbx::CpuFacts g = f;
    g.leaf7Ebx = 0;
    EXPECT_FALSE(tbx::avx2Usable(g)) << "no AVX2 bit";
    g = f;
    g.leaf1Ecx &= ~(1u << 28);
    EXPECT_FALSE(tbx::avx2Usable(g)) << "no AVX bit";
    g = f;
    g.leaf1Ecx &= ~(1u << 27);
    EXPECT_FALSE(tbx::avx2Usable(g)) << "xgetbv not enabled by the OS";
    g = f;
    g.xcr0 = 0x3;
    EXPECT_FALSE(tbx::avx2Usable(g)) << "OS does not save the upper halves";
    g = f;
    g.xcr0 = 0x5;
    EXPECT_FALSE(tbx::avx2Usable(g)) << "OS does not save the SSE state";
    g = f;
    g.maxLeaf = 6;
    EXPECT_FALSE(tbx::avx2Usable(g)) << "leaf 7 not there: its bits mean nothing";
    EXPECT_FALSE(tbx::avx2Usable(tbx::CpuFacts{}));

#if (defined(__GNUC__) || defined(__clang__)) && defined(__x86_64__) && !defined(__APPLE__)
    // This processor, asked directly, answers as the compiler's runtime does.
    __builtin_cpu_init();
    EXPECT_EQ(__builtin_cpu_supports("avx2") != 0, tbx::avx2Usable(tbx::readCpuFacts()));
#endif
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
