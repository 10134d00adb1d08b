// What every call of a plug-in must satisfy, whatever its inputs.
//
// A call either
//   - fails through the host's error operation, with no array created, no
//     input written, nothing printed, and an identifier "<plug-in>:<reason>";
//     or
//   - succeeds with the output the registry's output field gives for its
//     inputs (a pairs plug-in's exactly symmetric), every input it reads a
//     real full double array (a uint32 array where the registry declares
//     it), printing nothing (the penalty kernels'
//     diagnostics alone where the registry says it prints them: at most 100
//     lines and one that counts the rest); a fill plug-in returns nothing and
//     changes S in its first trunc(L) stored values alone, to v's values as
//     they were before the call, bit for bit, and every other input
//     untouched but where its storage is S's (an alias, an overlapping part
//     of one storage).
// Calls that the plug-ins document as errors (fewer inputs than a plug-in
// reads, more where further inputs are not ignored, more outputs than it
// returns, a non-double X for the pairs family, factors whose sizes do not
// match, samples grouped by row whose counts, values or column numbers do
// not fit their factors) must fail, with the family's fixed message where
// it has one.
#pragma once

#include <string>
#include <vector>

#include "testhost.h"

namespace fuzzcase {

// "" when the call kept the contract, else what it broke. `inputs` are the
// arrays as they are after the call, `before` stand-alone copies of them made
// before it.
std::string checkCall(const std::string& plugin, int nlhs,
                      const std::vector<const mxArray*>& inputs,
                      const std::vector<testhost::Array>& before, const testhost::Call& call);

}  // namespace fuzzcase
