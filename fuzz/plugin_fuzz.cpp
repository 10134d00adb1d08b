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

namespace {

// The rows and elements of input i, an alias read through to its array.
void shapeOf(const fuzzcase::Case& c, size_t i, uint64_t& rows, uint64_t& elements)
{
    rows = elements = 0;
    for (int hops = 0; i < c.inputs.size() && hops < 8; ++hops) {
        const fuzzcase::Input& a = c.inputs[i];
        if (a.kind != fuzzcase::Kind::Alias) {
            rows = a.rows();
            elements = rows * a.cols();
            return;
        }
        i = a.aliasOf % (i == 0 ? 1 : i);
    }
}

// The input limit bounds the work of most calls, but not the output of the
// passes whose output grows with a product of two inputs' sizes: rowgram's
// k(k+1)/2-by-m (k the rows of Ht, m the counts) and resprod's q-by-m (q the
// rows of Vt). Such a call with an output of more than 2^22 elements is valid
// but would take the fuzzing's time (and memory) for nothing: it is not made.
bool tooLarge(const fuzzcase::Case& c)
{
    const std::string name = fuzzcase::kPlugins[c.plugin];
    uint64_t k = 0, kn = 0, rows = 0, m = 0;
    if (name == "rowgram" && c.inputs.size() >= 2) {
        shapeOf(c, 0, k, kn);
        shapeOf(c, 1, rows, m);
        return k > 4096 || (k * (k + 1) / 2) * m > (uint64_t(1) << 22);
    }
    if (name == "resprod" && c.inputs.size() >= 6) {
        shapeOf(c, 2, rows, m);
        shapeOf(c, 5, k, kn);
        return k > 0 && m > 0 && k * m > (uint64_t(1) << 22);
    }
    return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzzcase::Case c = fuzzcase::decode(data, size);
    if (g_fixed >= 0)
        c.plugin = uint8_t(g_fixed);
    if (tooLarge(c))
        return 0;
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
