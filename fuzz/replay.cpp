// Runs fuzz cases through the test-host plug-ins without libFuzzer: to
// reproduce a finding in any build (under a debugger or valgrind) and to see
// what each case of the corpus gets.
//
// Usage: fuzz_replay [-v] FILE|DIR...
// Prints one line per case: the file, the plug-in and how the call ended (the
// error identifier and message, or the shape of the output); with -v also the
// decoded call. FUZZ_PLUGIN=<name> fixes the plug-in as in the fuzz target.
// Exits with 1 when a call breaks the contract or a plug-in is not built.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "harness.h"

namespace fs = std::filesystem;

int main(int argc, char** argv)
{
    bool verbose = false;
    std::vector<std::string> files;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "-v") {
            verbose = true;
        } else if (fs::is_directory(arg)) {
            std::vector<std::string> inDir;
            for (const auto& e : fs::directory_iterator(arg))
                if (e.is_regular_file())
                    inDir.push_back(e.path().string());
            std::sort(inDir.begin(), inDir.end());
            files.insert(files.end(), inDir.begin(), inDir.end());
        } else {
            files.push_back(arg);
        }
    }
    if (files.empty()) {
        std::fprintf(stderr, "usage: %s [-v] FILE|DIR...\n", argv[0]);
        return 2;
    }
    int fixed = -1;
    if (const char* name = std::getenv("FUZZ_PLUGIN")) {
        fixed = fuzzcase::pluginIndex(name);
        if (fixed < 0) {
            std::fprintf(stderr, "FUZZ_PLUGIN: no plug-in named %s\n", name);
            return 2;
        }
    }
    std::vector<std::string> missing;
    const fuzzcase::Plugins plugins = fuzzcase::loadPlugins(missing);
    for (const std::string& name : missing)
        std::fprintf(stderr, "plug-in %s not built (%s)\n", name.c_str(),
                     testhost::pluginPath(name).c_str());

    int broken = 0;
    for (const std::string& file : files) {
        std::ifstream in(file, std::ios::binary);
        const std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)),
                                         std::istreambuf_iterator<char>());
        fuzzcase::Case c = fuzzcase::decode(bytes.data(), bytes.size());
        if (fixed >= 0)
            c.plugin = uint8_t(fixed);
        std::printf("%s\t%s\t", fs::path(file).filename().string().c_str(), fuzzcase::kPlugins[c.plugin]);
        if (!plugins.byIndex[c.plugin]) {
            std::printf("not built\n");
            continue;
        }
        const fuzzcase::Outcome o = fuzzcase::runCase(c, *plugins.byIndex[c.plugin]);
        if (o.failed)
            std::printf("error %s: %s\n", o.id.empty() ? "(no identifier)" : o.id.c_str(),
                        o.message.c_str());
        else
            std::printf("ok %s\n", o.output.empty() ? "(no output)" : o.output.c_str());
        if (verbose)
            std::printf("  %s\n", fuzzcase::describe(c).c_str());
        if (!o.broken.empty()) {
            std::printf("  CONTRACT BROKEN: %s\n", o.broken.c_str());
            ++broken;
        }
    }
    return broken || !missing.empty() ? 1 : 0;
}
