// The registry of plug-ins (plugins.list) and its error contract
// (plugins.errors) as the C++ tools read them: the gateway tests, the fuzz
// contract, the corpus. The build compiles both files into
// toolbox_registry.h; this reads them from there, with the literal inputs
// the examples and the error table write.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace registry {

struct Plugin {
    std::string name, category, family;
    bool blas = false;
    std::string usage;
    std::vector<std::string> inputs;  // their names, in order
    bool extra = false;               // further inputs ignored (else refused)
    std::vector<std::string> uint32;  // the inputs that are uint32 arrays
    std::string output;               // "none", or "ROWS x COLS"
    bool diagnostics = false;         // may print the penalty kernels' lines
    std::string example, result;

    bool hasOutput() const { return output != "none"; }
    // Input k is a uint32 array (else a double array).
    bool takesUint32(size_t k) const;
};

// Every plug-in, in the registry's order.
const std::vector<Plugin>& plugins();
// The plug-in of that name, or null.
const Plugin* find(const std::string& name);

// A literal input: a number or matrix of numbers, zeros (...) or ones (...),
// single, int32, uint32, logical, sparse or complex of one, or a quoted
// text.
enum class Kind { Double, Single, Int32, Logical, Char, Sparse, Complex, UInt32 };
struct Value {
    Kind kind = Kind::Double;
    std::vector<uint64_t> dims{0, 0};  // two or more
    std::vector<double> values;        // column-major (char codes of a text)

    uint64_t rows() const { return dims[0]; }
    uint64_t cols() const;  // every dimension after the first, multiplied
};

// Reads one input; throws std::invalid_argument when it is none of the above.
Value parseValue(const std::string& text);

// The inputs of a comma-separated list, split at the commas outside
// brackets and quotes, each trimmed.
std::vector<std::string> splitInputs(const std::string& text);

// "name (inputs)": the name and the inputs' texts.
struct CallText {
    std::string name;
    std::vector<std::string> inputs;
};
CallText parseCall(const std::string& text);

// One call that must fail: a row of the error table for one plug-in of its
// family (and one value of each list the row names).
struct ErrorCase {
    std::string plugin;
    int nargout = 1;
    std::vector<std::string> inputs;
    std::string id;
    std::string message;
    int row = 0;     // its line in plugins.errors
};
const std::vector<ErrorCase>& errorCases();

// The shape a plug-in's output must have for these inputs, from its output
// field: rows(NAME), cols(NAME), numel(NAME), pairs(NAME) and count(NAME)
// read the input NAME through the functions given (count: its first value
// truncated toward zero, 0 when below or NaN). False for a plug-in without output.
struct InputFacts {
    std::function<uint64_t(size_t)> rows, cols;
    std::function<double(size_t)> first;
};
bool outputShape(const Plugin& p, const InputFacts& in, uint64_t& rows, uint64_t& cols);

}  // namespace registry
