// The MEX form in Octave: an input's first values, read as the native form
// reads them (octave_inputs.cpp). `input` is the mxArray Octave handed over;
// values formed for it are kept in `keep` until the call ends.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

namespace gw::mex {

const double* octaveFirstValues(const void* input, int64_t count,
                                std::vector<std::shared_ptr<void>>& keep);

}  // namespace gw::mex
