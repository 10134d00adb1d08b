// The test host: a small stand-in for MATLAB or Octave that supplies the MEX
// operations the plug-ins use, loads a plug-in built for it by file name and
// calls its mexFunction.
//
// Arrays are allocated to their exact size, so that a read or write past one
// is caught by AddressSanitizer. The host keeps a record of each call: what
// the plug-in created and printed, how it ended, and whether it changed any of
// its inputs.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "mex.h"

namespace testhost {

enum class Class { Double, Single, Int32, Logical, Char, UInt32 };

struct Deleter {
    void operator()(mxArray* a) const;
};
using Array = std::unique_ptr<mxArray, Deleter>;

// A real full double array, column-major; zero-filled when `values` is empty.
Array dense(size_t rows, size_t cols, const std::vector<double>& values = {});
Array scalar(double value);
// A real full double array of three or more dimensions (mxGetN is the
// product of all but the first), zero-filled.
Array denseNd(const std::vector<size_t>& dims);
// A full array of another class (zero-filled), or a complex double one.
Array ofClass(Class c, size_t rows, size_t cols);
Array complexDense(size_t rows, size_t cols);
// A uint32 array, column-major; zero-filled when `values` is empty.
Array uint32s(size_t rows, size_t cols, const std::vector<uint32_t>& values = {});
// A sparse double array in compressed-column form. `nzmax` may exceed the
// number of stored entries (jc[cols]); the extra slots hold 0.0.
Array sparse(size_t rows, size_t cols, const std::vector<mwIndex>& ir,
             const std::vector<mwIndex>& jc, const std::vector<double>& pr,
             size_t nzmax = 0);
// A real full double array whose storage is that of `base` (a full double
// array, or null for an empty one) from element `offset` on: two such views
// may overlap. It frees nothing of base's.
Array view(const mxArray* base, size_t offset, size_t rows, size_t cols);
// Stand-alone copy of any array (a view's copy owns its values).
Array copy(const mxArray* a);

// The doubles behind mxGetPr: all elements of a full double array, the
// stored values (jc[cols] of them) of a sparse one.
std::vector<double> values(const mxArray* a);
// Byte-for-byte comparison of two arrays: class, shape, pattern and data.
bool sameBits(const mxArray* a, const mxArray* b);

struct Call {
    bool failed = false;       // ended through mexErrMsgTxt or mexErrMsgIdAndTxt
    std::string id;            // identifier given to mexErrMsgIdAndTxt ("" for mexErrMsgTxt)
    std::string message;
    std::string printed;       // everything passed to mexPrintf
    size_t created = 0;        // arrays the plug-in created, kept or not
    size_t uninitialised = 0;  // of those, created without zero fill
    bool strayOutput = false;  // a slot of plhs holds something the host did not create
    bool inputsChanged = false;
    std::vector<Array> outputs;  // plhs, one entry per slot (max(nlhs, 1) slots)

    const mxArray* out(size_t i = 0) const { return outputs.at(i).get(); }
};

class Plugin {
public:
    explicit Plugin(const std::string& path);
    ~Plugin();
    Plugin(const Plugin&) = delete;
    Plugin& operator=(const Plugin&) = delete;

    Call call(int nlhs, const std::vector<const mxArray*>& inputs) const;

private:
    void* handle_ = nullptr;
    void (*entry_)(int, mxArray*[], int, const mxArray*[]) = nullptr;
};

// File name of the test-host build of a plug-in: $TESTHOST_PLUGIN_DIR/NAME.so
// (NAME.mexw64 on Windows), or the directory fixed when the tests were built.
std::string pluginPath(const std::string& name);

}  // namespace testhost
