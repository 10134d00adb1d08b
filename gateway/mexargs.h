// Checked getters shared by every gateway.
//
// Each getter looks at one input, and either hands back its data and sizes or
// ends the call through the host's error operation with the identifier
// "<plugin>:<reason>" and a message that names the input. All of them run
// before a gateway creates its output, so a failed call leaves nothing behind.
#pragma once

#include <cstdint>

#include "mex.h"

namespace gw {

// A real, full, column-major double array.
struct Dense {
    const double* data;
    int64_t rows;
    int64_t cols;
};

// Ends the call with identifier "<plugin>:<reason>"; the message is printf-like.
[[noreturn]] void fail(const char* plugin, const char* reason, const char* format, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 3, 4)))
#endif
    ;

// At least `needed` inputs, else "<plugin>:notEnoughInputs" with `usage`.
void requireInputs(const char* plugin, int nrhs, int needed, const char* usage);

bool isRealDouble(const mxArray* a);       // double, not complex (sparse allowed)
bool isRealFullDouble(const mxArray* a);   // double, not complex, not sparse

// The input as a real full double array, else "<plugin>:notRealDouble".
Dense realFullDouble(const char* plugin, const mxArray* a, const char* name);

// A constraint table: real full double with at least `minColumns` columns
// whenever it has rows ("<plugin>:tooFewColumns"). An empty table, [] included,
// has no rows and is accepted.
Dense table(const char* plugin, const mxArray* a, const char* name, int64_t minColumns);

// The first four elements of a real full double array ("<plugin>:tooFewElements").
void fourWeights(const char* plugin, const mxArray* a, const char* name, double out[4]);

// Number of doubles behind mxGetPr of a real double array: its stored values
// when sparse, all its elements when full.
int64_t storedCount(const mxArray* a);

}  // namespace gw
