// The test host sees what a plug-in created, printed and wrote, and how the
// call ended.
#include <gtest/gtest.h>

#include <stdexcept>

#include "testhost.h"

#ifdef _WIN32
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
#endif

namespace {
const testhost::Plugin& bad()
{
    static const testhost::Plugin p(testhost::pluginPath("misbehaving_plugin"));
    return p;
}
}  // namespace

TEST(TestHost, SeesAnOutputCreatedBeforeAnError)
{
    testhost::Array mode = testhost::scalar(1);
    testhost::Call c = bad().call(1, {mode.get()});
    EXPECT_TRUE(c.failed);
    EXPECT_EQ("bad:afterCreate", c.id);
    EXPECT_EQ("failed after creating 1 output", c.message);
    EXPECT_EQ(1u, c.created);
}

TEST(TestHost, SeesWritesPrintsAndStrayOutputs)
{
    testhost::Array two = testhost::scalar(2), three = testhost::scalar(3),
                    four = testhost::scalar(4), zero = testhost::scalar(0);
    EXPECT_TRUE(bad().call(0, {two.get()}).inputsChanged);
    EXPECT_EQ(7.0, testhost::values(two.get())[0]);

    testhost::Call c = bad().call(0, {three.get()});
    EXPECT_FALSE(c.failed);
    EXPECT_EQ("line 3\n", c.printed);
    EXPECT_EQ(1u, c.created);
    ASSERT_NE(nullptr, c.out());
    EXPECT_EQ(1u, mxGetM(c.out()));

    EXPECT_TRUE(bad().call(1, {four.get()}).strayOutput);

    c = bad().call(1, {zero.get()});
    EXPECT_TRUE(c.failed);
    EXPECT_EQ("", c.id);
    EXPECT_EQ("plain message", c.message);
    EXPECT_EQ(0u, c.created);
}

TEST(TestHost, SparseArraysExposeTheirStoredValues)
{
    // 2-by-2 with entries (1,1) = 1 and (2,2) = 2, room for 5 stored values.
    testhost::Array s = testhost::sparse(2, 2, {0, 1}, {0, 1, 2}, {1.0, 2.0}, 5);
    EXPECT_TRUE(mxIsSparse(s.get()));
    EXPECT_EQ(2u, mxGetJc(s.get())[2]);
    EXPECT_EQ((std::vector<double>{1.0, 2.0}), testhost::values(s.get()));
}

TEST(TestHost, EmptyArraysCompareWithoutTouchingStorage)
{
    // An empty view holds no storage at all (found by the fuzz target,
    // which compares every input before and after a call).
    testhost::Array a = testhost::view(nullptr, 0, 0, 0);
    testhost::Array b = testhost::copy(a.get());
    EXPECT_TRUE(testhost::sameBits(a.get(), b.get()));
    testhost::Array s = testhost::sparse(3, 2, {}, {0, 0, 0}, {});
    EXPECT_TRUE(testhost::sameBits(s.get(), testhost::copy(s.get()).get()));
    EXPECT_FALSE(testhost::sameBits(a.get(), testhost::dense(0, 1).get()));
}

TEST(TestHost, AFileThatCannotBeLoadedIsAnErrorNamingIt)
{
    const std::string missing = testhost::pluginPath("no_such_plugin");
    try {
        testhost::Plugin p(missing);
        ADD_FAILURE() << "loaded " << missing;
    } catch (const std::runtime_error& e) {
        const std::string what = e.what();
        EXPECT_NE(std::string::npos, what.find("cannot load " + missing)) << what;
        // The system's reason follows the name.
        EXPECT_GT(what.size(), ("testhost: cannot load " + missing + ": ").size()) << what;
    }
}

#ifdef _WIN32
// On Windows each plug-in carries its OpenMP runtime, whose idle threads
// wait in the plug-in's code once a team is done: a plug-in that has started
// a team stays loaded when the host lets it go (as MATLAB's clear mex does);
// one that has not unloads as any DLL does.
TEST(TestHost, APluginThatStartedATeamStaysLoaded)
{
    const std::string path = testhost::pluginPath("nzfill");
    const char* const module = "nzfill.mexw64";
    const size_t n = 300000;  // a team of two: nzfill gives a thread 131072 values at least
    testhost::Array S = testhost::dense(n, 1), v = testhost::dense(1, n),
                    one = testhost::scalar(1), all = testhost::scalar(static_cast<double>(n));
    ASSERT_EQ(0, _putenv_s("MEXTOOLBOX_THREADS", "2"));
    {
        testhost::Plugin p(path);
        EXPECT_FALSE(p.call(0, {S.get(), v.get(), one.get()}).failed);
    }
    EXPECT_EQ(nullptr, GetModuleHandleA(module)) << "unloaded after a call on one thread";
    {
        testhost::Plugin p(path);
        EXPECT_FALSE(p.call(0, {S.get(), v.get(), all.get()}).failed);
    }
    EXPECT_NE(nullptr, GetModuleHandleA(module)) << "still loaded after a team";
    _putenv_s("MEXTOOLBOX_THREADS", "");
}
#endif
