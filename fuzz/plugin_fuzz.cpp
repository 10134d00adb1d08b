// libFuzzer target: every input is decoded into one call of one plug-in
// through the test host, and the call is checked against the contract
// (contract.h). A broken contract stops the run like a crash, with the call
// described on stderr.
//
// FUZZ_PLUGIN=<name> in the environment fixes the plug-in, whatever the
// input's plug-in byte says, so that one run can concentrate on one plug-in
// with the same corpus.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "harness.h"

namespace {
const fuzzcase::Plugins* g_plugins = nullptr;
int g_fixed = -1;
}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    if (const char* name = std::getenv("FUZZ_PLUGIN")) {
        g_fixed = fuzzcase::pluginIndex(name);
        if (g_fixed < 0) {
            std::fprintf(stderr, "FUZZ_PLUGIN: no plug-in named %s\n", name);
            std::exit(2);
        }
    }
    std::vector<std::string> missing;
    // Kept loaded until the process ends: the coverage counters of every
    // plug-in live in its loaded library.
    g_plugins = new fuzzcase::Plugins(fuzzcase::loadPlugins(missing));
    for (const std::string& name : missing)
        std::fprintf(stderr, "plug-in %s not built (%s)\n", name.c_str(),
                     testhost::pluginPath(name).c_str());
    if (!missing.empty())
        std::exit(2);  // a run that skipped a plug-in would prove nothing about it
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzzcase::Case c = fuzzcase::decode(data, size);
    if (g_fixed >= 0)
        c.plugin = uint8_t(g_fixed);
    const fuzzcase::Outcome o = fuzzcase::runCase(c, *g_plugins->byIndex[c.plugin]);
    if (!o.broken.empty()) {
        std::fprintf(stderr, "\n== contract broken: %s\n   by the call %s\n", o.broken.c_str(),
                     fuzzcase::describe(c).c_str());
        if (o.failed)
            std::fprintf(stderr, "   which failed with \"%s\": %s\n", o.id.c_str(),
                         o.message.c_str());
        __builtin_trap();
    }
    return 0;
}
