// One fuzzed call of a plug-in, and the byte format it is decoded from.
//
// Every byte string decodes to some call; missing bytes read as zero. Layout:
//
//   plug-in   1 byte, modulo the number of plug-ins (see kPlugins)
//   nlhs      1 byte, modulo 4
//   nrhs      1 byte, modulo 9; that many inputs follow
//   input     kind byte (see Kind and kindOfByte), then
//               Alias:  1 byte, modulo the number of earlier inputs
//               others: rows byte, cols byte (each an index into kDims),
//                       [sparse: 1 byte, extra storage slots modulo 4]
//                       [part: 1 byte, its offset in the pool modulo 32]
//                       count byte k, then k values
//   value     1 lead byte:
//               0..127    the integer lead - 8            (-8 .. 119)
//               128..191  (lead - 160) / 10               (-3.2 .. 3.1)
//               192..223  kSpecial[lead - 192]            (NaN, infinities, -0, huge, ...)
//               224..239  the next 8 bytes, little-endian, as the bits of a double
//               240..255  the next 2 bytes, little-endian, as an integer (0 .. 65535)
//
// An input's elements take its k values cyclically in column-major order (all
// zero when k = 0). Shapes whose element count exceeds kMaxElements lose
// their larger dimension (it becomes 0), so that huge dimensions occur only in
// empty arrays and no input costs more than 256 kilobytes.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <iterator>
#include <utility>
#include <vector>

#include "toolbox_registry.h"

namespace fuzzcase {

namespace detail {
template <size_t... I>
constexpr std::array<const char*, sizeof...(I)> namesOf(std::index_sequence<I...>)
{
    return {registry_data::kEntries[I].name...};
}
}  // namespace detail

// Every plug-in the fuzz target drives, in the order of the plug-in byte:
// the registry's (plugins.list). A committed seed holds its plug-in's place
// there: new plug-ins go at the end of the list.
constexpr auto kPlugins =
    detail::namesOf(std::make_index_sequence<std::size(registry_data::kEntries)>());

enum class Kind : uint8_t {
    Double,         // real full double
    Single,         // the values rounded to single precision
    Int32,          // the values truncated and saturated to int32
    Logical,        // value != 0
    Char,           // the values truncated and saturated to 0 .. 65535
    SparseDouble,   // real sparse double: the nonzero values stored
    ComplexDouble,  // complex full double: the values as the real part, imaginary 0
    Alias,          // the very same array as an earlier input
    // A real full double array whose storage is part of a pool the case's
    // parts share, from its offset on: parts overlap as two parts of one
    // Octave array can. Each part's values are written into the pool in
    // input order, so a later part's overwrite an earlier's where they meet.
    Part,
    UInt32,         // the values truncated and saturated to 0 .. 2^32 - 1
};
constexpr int kKinds = 10;

// The kind a kind byte names: bytes from kUInt32Byte on name UInt32, which
// came after the corpus was first committed; any other byte b names kind
// b modulo 9, as it did then, so that every committed input keeps its
// meaning. A kind is encoded as its own number, UInt32 as kUInt32Byte.
constexpr uint8_t kUInt32Byte = 243;
constexpr Kind kindOfByte(uint8_t b)
{
    return b >= kUInt32Byte ? Kind::UInt32 : Kind(b % 9);
}
constexpr int kPartOffsets = 32;

constexpr int kMaxNlhs = 3;
constexpr int kMaxNrhs = 8;
// Inputs hold at most this many elements, which also bounds the work of a
// call (pairsq is quadratic in the points) to about a second under the
// sanitizers.
constexpr uint64_t kMaxElements = uint64_t(1) << 15;

// Dimensions by rows/cols byte (modulo 32): 0 and 1, small ones, sizes around
// the 32-bit limits of the kernels (46340^2 < 2^31 - 1 < 46341^2) and beyond.
constexpr std::array<uint64_t, 32> kDims = {
    0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 16,
    20, 32, 50, 64, 100, 128, 255, 256, 1000, 2048,
    46340, 46341, 65536, uint64_t(1) << 31, (uint64_t(1) << 32) + 1, uint64_t(1) << 40};

// The values of lead bytes 192..223, bit patterns included (NaN payloads, -0).
extern const std::array<double, 32> kSpecial;

struct Input {
    Kind kind = Kind::Double;
    uint8_t rowsIndex = 0, colsIndex = 0;  // into kDims
    uint8_t slack = 0;                     // sparse: storage slots beyond the stored entries
    uint8_t aliasOf = 0;                   // Alias: index of the earlier input
    uint8_t offset = 0;                    // Part: where it starts in the pool
    std::vector<double> values;            // cycled over the elements

    uint64_t rows() const;  // after the element limit
    uint64_t cols() const;
    double element(uint64_t i) const { return values.empty() ? 0.0 : values[i % values.size()]; }
};

struct Case {
    uint8_t plugin = 0;  // index into kPlugins
    int nlhs = 1;
    std::vector<Input> inputs;  // nrhs of them
};

Case decode(const uint8_t* data, size_t size);

// The bytes that decode to `c`. Values are written in their shortest form, so
// decode(encode(c)) == c for every case whose fields are in range (at most 255
// values per input, a valid alias index).
std::vector<uint8_t> encode(const Case& c);

// The example the registry gives for plug-in `plugin` (an index into
// kPlugins), as a case; throws std::invalid_argument when an input has no
// form in cases (more than two dimensions, a dimension not in kDims).
Case exampleCase(size_t plugin);

// Index of a dimension in kDims; throws std::invalid_argument if absent.
uint8_t dimIndex(uint64_t dim);

bool operator==(const Input& a, const Input& b);
inline bool operator==(const Case& a, const Case& b)
{
    return a.plugin == b.plugin && a.nlhs == b.nlhs && a.inputs == b.inputs;
}

}  // namespace fuzzcase
