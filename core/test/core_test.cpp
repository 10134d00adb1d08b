// The choice of kernel path, the conversions every kernel uses, and the
// team of threads.
#include <gtest/gtest.h>

#include <atomic>
#include <climits>
#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "convert.h"
#include "dispatch.h"
#include "threads.h"

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

// A team takes no more threads than the processors nobody runs on: the
// running threads of /proc/loadavg (this one among them) against those
// online; text that says nothing limits nothing.
TEST(Team, FreeProcessorsFromTheRunningThreads)
{
    EXPECT_EQ(2, tbx::freeProcessorsOf("0.52 0.58 0.59 1/512 12345\n", 2));
    EXPECT_EQ(1, tbx::freeProcessorsOf("1.00 0.58 0.59 2/512 12345\n", 2));
    EXPECT_EQ(1, tbx::freeProcessorsOf("9.00 9.00 9.00 13/210 8785\n", 2));
    EXPECT_EQ(6, tbx::freeProcessorsOf("0 0 0 3/99 1\n", 8));
    for (const char* junk : {"", "0.5 0.5", "0.5 0.5 0.5 x/3 1", "0.5 0.5 0.5 0/3 1"})
        EXPECT_EQ(INT_MAX, tbx::freeProcessorsOf(junk, 2)) << junk;
    EXPECT_GE(tbx::freeProcessors(), 1);
}

// The team: at any thread count, with one helper slow or not, every piece
// is run exactly once, ranges cover 0 .. n-1 in aligned pieces, and inOrder
// uses every chunk in order, from the slot it was formed into.
TEST(Team, EveryPieceOnceAndChunksUsedInOrderWhateverTheClaimingOrder)
{
    struct Run {
        int threads, slowMicros;
    };
    const Run runs[] = {{1, 0}, {2, 0}, {3, 0}, {8, 0}, {3, 300}, {8, 100}};
    for (const Run& run : runs) {
        tbx::slowHelperForTesting(run.slowMicros ? 1 : 0, run.slowMicros);
        SCOPED_TRACE("threads " + std::to_string(run.threads) + " slow " +
                     std::to_string(run.slowMicros));
        for (int64_t count : {0, 1, 2, 7, 300}) {
            std::vector<std::atomic<int>> done(static_cast<size_t>(count));
            tbx::pieces(run.threads, count, [&](int64_t k) { done[static_cast<size_t>(k)]++; });
            for (int64_t k = 0; k < count; ++k)
                EXPECT_EQ(1, done[static_cast<size_t>(k)].load()) << "piece " << k;

            std::vector<std::atomic<int>> covered(static_cast<size_t>(count * 5));
            std::atomic<bool> misaligned{false};
            tbx::ranges(run.threads, count * 5, 4, 16, [&](int64_t b, int64_t e) {
                if (b % 4 != 0 || (e <= b && count > 0))
                    misaligned = true;
                for (int64_t i = b; i < e; ++i)
                    covered[static_cast<size_t>(i)]++;
            });
            EXPECT_FALSE(misaligned);
            for (const std::atomic<int>& c : covered)
                EXPECT_EQ(1, c.load());

            // Two chains, each using every chunk in order from its slot.
            std::vector<int64_t> slots(3 * static_cast<size_t>(run.threads), -1);
            std::vector<int64_t> usedOrder[2];
            tbx::inOrder(
                run.threads, count, static_cast<int>(slots.size()), 2,
                [&](int64_t k, int s) { slots[static_cast<size_t>(s)] = k; },
                [&](int c, int64_t k, int s) {
                    EXPECT_EQ(k, slots[static_cast<size_t>(s)]);
                    usedOrder[c].push_back(k);
                });
            for (const std::vector<int64_t>& used : usedOrder) {
                ASSERT_EQ(static_cast<size_t>(count), used.size());
                for (int64_t k = 0; k < count; ++k)
                    EXPECT_EQ(k, used[static_cast<size_t>(k)]);
            }
        }
    }
    tbx::slowHelperForTesting(0, 0);
}
