// The committed corpus through every plug-in in the test host: each case
// keeps the contract whichever plug-in gets it (as in the fuzz smoke run, but
// in every build, sanitizer builds included), and the contract check catches
// a plug-in that misbehaves for real.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>

#include "contract.h"
#include "harness.h"
#include "registry.h"

namespace fs = std::filesystem;

namespace {

const fuzzcase::Plugins& plugins()
{
    static const fuzzcase::Plugins p = [] {
        std::vector<std::string> missing;
        fuzzcase::Plugins loaded = fuzzcase::loadPlugins(missing);
        for (const std::string& name : missing)
            ADD_FAILURE() << "plug-in not built: " << testhost::pluginPath(name);
        return loaded;
    }();
    return p;
}

struct CorpusFile {
    std::string name;
    fuzzcase::Case c;
};

std::vector<CorpusFile> corpus()
{
    std::vector<CorpusFile> files;
    for (const auto& e : fs::directory_iterator(FUZZ_CORPUS_DIR)) {
        std::ifstream in(e.path(), std::ios::binary);
        const std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)),
                                         std::istreambuf_iterator<char>());
        files.push_back({e.path().filename().string(),
                         fuzzcase::decode(bytes.data(), bytes.size())});
    }
    return files;
}

}  // namespace

TEST(FuzzCorpus, EveryCaseKeepsTheContractInEveryPlugin)
{
    const std::vector<CorpusFile> files = corpus();
    ASSERT_GT(files.size(), 100u);
    for (const CorpusFile& f : files) {
        for (size_t p = 0; p < fuzzcase::kPlugins.size(); ++p) {
            const testhost::Plugin* plugin = plugins().byIndex[p].get();
            if (!plugin)
                continue;
            fuzzcase::Case c = f.c;
            c.plugin = uint8_t(p);
            const fuzzcase::Outcome o = fuzzcase::runCase(c, *plugin);
            EXPECT_EQ("", o.broken) << f.name << " as " << fuzzcase::kPlugins[p] << ": "
                                    << fuzzcase::describe(c);
        }
    }
}

// Each plug-in with seeds of its own (seed-<plug-in>-<what>: the file
// names it, whatever its plug-in byte) has seeds that succeed and seeds that
// fail.
TEST(FuzzCorpus, EachPluginsSeedsBothSucceedAndFail)
{
    std::map<std::string, int> succeeded, failed;
    for (const CorpusFile& f : corpus()) {
        int plugin = -1;
        for (size_t p = 0; p < fuzzcase::kPlugins.size(); ++p)
            if (f.name.rfind(std::string("seed-") + fuzzcase::kPlugins[p] + "-", 0) == 0)
                plugin = int(p);
        if (plugin < 0)
            continue;  // findings and anything else
        ASSERT_TRUE(plugins().byIndex[plugin]) << fuzzcase::kPlugins[plugin];
        fuzzcase::Case c = f.c;
        c.plugin = uint8_t(plugin);
        const fuzzcase::Outcome o = fuzzcase::runCase(c, *plugins().byIndex[plugin]);
        ++(o.failed ? failed : succeeded)[fuzzcase::kPlugins[plugin]];
    }
    ASSERT_FALSE(succeeded.empty());
    for (const auto& [p, n] : succeeded) {
        EXPECT_GE(n, 5) << p;
        EXPECT_GE(failed[p], 5) << p;
    }
}

// Every plug-in's example in the registry keeps the contract, and succeeds.
TEST(FuzzCorpus, RegistryExamplesSucceed)
{
    for (size_t p = 0; p < fuzzcase::kPlugins.size(); ++p) {
        const registry::Plugin& entry = registry::plugins()[p];
        ASSERT_TRUE(plugins().byIndex[p]) << entry.name;
        const fuzzcase::Case c = fuzzcase::exampleCase(p);
        const fuzzcase::Outcome o = fuzzcase::runCase(c, *plugins().byIndex[p]);
        EXPECT_EQ("", o.broken) << entry.example;
        EXPECT_FALSE(o.failed) << entry.example << ": " << o.id << " " << o.message;
    }
}

TEST(FuzzContract, CatchesAPluginThatMisbehaves)
{
    const testhost::Plugin bad(testhost::pluginPath("misbehaving_plugin"));
    // Modes: 0 an error without identifier, 1 an error after creating an
    // output, 2 a write into an input, 3 a formatted print, 4 a stray output.
    for (double mode : {0, 1, 2, 3, 4}) {
        testhost::Array in = testhost::scalar(mode);
        std::vector<testhost::Array> before;
        before.push_back(testhost::copy(in.get()));
        const testhost::Call c = bad.call(1, {in.get()});
        for (const char* as : {"penval", "pairsq", "obsprod", "nzfill"})
            EXPECT_NE("", fuzzcase::checkCall(as, 1, {in.get()}, before, c))
                << "mode " << mode << " as " << as;
    }
}
