// Turns a decoded case into host arrays, calls the plug-in through the test
// host and checks the call against the contract.
#pragma once

#include <array>
#include <memory>
#include <string>
#include <vector>

#include "fuzzcase.h"
#include "testhost.h"

namespace fuzzcase {

// The arrays of a case. An aliased input is the very handle of the earlier
// input it names; `owned` holds each array once.
struct Arrays {
    std::vector<testhost::Array> owned;
    std::vector<const mxArray*> handles;  // one per input, in order
};

Arrays build(const Case& c);

// The test-host build of every plug-in, loaded once and kept loaded: the
// fuzzer's coverage counters live in the loaded libraries.
struct Plugins {
    std::array<std::unique_ptr<testhost::Plugin>, kPlugins.size()> byIndex;
};

// Loads every plug-in of kPlugins from testhost::pluginPath; `missing` gets
// the names whose library is absent or does not load.
Plugins loadPlugins(std::vector<std::string>& missing);

// Index in kPlugins of a plug-in's name, or -1.
int pluginIndex(const std::string& name);

// How one call went.
struct Outcome {
    std::string broken;   // what the call broke of the contract; "" when nothing
    bool failed = false;  // ended through the host's error operation
    std::string id, message;
    std::string output;   // "MxN" of the first output, "" when none
};

// Builds the case's arrays, calls the plug-in and checks the call.
Outcome runCase(const Case& c, const testhost::Plugin& plugin);

// A readable account of a case, for reports.
std::string describe(const Case& c);

}  // namespace fuzzcase
