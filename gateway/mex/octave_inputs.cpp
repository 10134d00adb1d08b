// The inputs of the MEX form as Octave's mex hands them over: read the way
// the native form reads them (internals.h), so that an input Octave keeps
// in a form of its own is formed only as far as a check reads it. A
// translation unit of its own: Octave's mex.h calls an mxArray void, its
// mxarray.h declares the class.
#include <octave/oct.h>
#include <octave/mxarray.h>

#include <memory>
#include <vector>

#include "internals.h"
#include "octave_inputs.h"

namespace gw::mex {

const double* octaveFirstValues(const void* input, int64_t count,
                                std::vector<std::shared_ptr<void>>& keep)
{
    const octave_value v = mxArray::as_octave_value(static_cast<const mxArray*>(input));
    std::vector<NDArray> formed;
    const double* values = oct::firstValues(v, count, formed);
    for (const NDArray& a : formed)
        keep.push_back(std::make_shared<NDArray>(a));
    return values;
}

}  // namespace gw::mex
