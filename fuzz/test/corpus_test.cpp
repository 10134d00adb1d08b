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

TEST(FuzzCorpus, EachPluginsSeedsBothSucceedAndFail)
{
    std::map<std::string, int> succeeded, failed;
    for (const CorpusFile& f : corpus()) {
        const std::string plugin = fuzzcase::kPlugins[f.c.plugin];
        if (f.name.rfind("seed-" + plugin + "-", 0) != 0)
            continue;  // findings and anything else
        ASSERT_TRUE(plugins().byIndex[f.c.plugin]) << plugin;
        const fuzzcase::Outcome o = fuzzcase::runCase(f.c, *plugins().byIndex[f.c.plugin]);
        ++(o.failed ? failed : succeeded)[plugin];
    }
    for (const char* p : fuzzcase::kPlugins) {
        EXPECT_GE(succeeded[p], 5) << p;
        EXPECT_GE(failed[p], 5) << p;
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
