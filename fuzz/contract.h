// What every call of a plug-in must satisfy, whatever its inputs.
//
// A call either
//   - fails through the host's error operation, with no array created, no
//     input written, nothing printed, and either an identifier
//     "<plug-in>:<reason>" or, without identifier, one of the plug-in's own
//     fixed messages; or
//   - succeeds with the documented output: penval 1-by-1; penslope the size of
//     X; linkdev, ceilgap and floorgap m-by-1 for a table of m rows; pairsq
//     n-by-n and exactly symmetric; obsprod 1-by-max(0, trunc L); nzfill no
//     output, S changed in its first trunc(L) stored values alone, to v's
//     values as they were before the call, bit for bit, and every other
//     input untouched but where its storage is S's (an alias, an overlapping
//     part of one storage). penslope prints its diagnostics alone, at most
//     100 lines and one that counts the rest.
// Calls that the plug-ins document as errors (wrong argument counts, more
// than one output, a non-double X for pairsq, factors whose sizes do not
// match) must fail with their message, and a call that reads an input of
// the wrong class must not succeed.
#pragma once

#include <string>
#include <vector>

#include "testhost.h"

namespace fuzzcase {

// The fixed messages a plug-in may raise without identifier.
const std::vector<std::string>& fixedMessages(const std::string& plugin);

// "" when the call kept the contract, else what it broke. `inputs` are the
// arrays as they are after the call, `before` stand-alone copies of them made
// before it.
std::string checkCall(const std::string& plugin, int nlhs,
                      const std::vector<const mxArray*>& inputs,
                      const std::vector<testhost::Array>& before, const testhost::Call& call);

}  // namespace fuzzcase
