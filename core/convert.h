// Double-to-integer conversions shared by every kernel and gateway.
//
// Indices and counts travel from the host as doubles. They are truncated
// toward zero; a NaN, an infinity or a value whose truncation does not fit the
// target type becomes the most negative value of that type. A bare C cast is
// undefined behaviour in exactly those cases, so every conversion goes through
// these functions.
#pragma once

#include <cstdint>
#include <limits>

namespace tbx {

inline int32_t truncToInt32(double x)
{
    // Both comparisons are false for NaN, so NaN takes the fallback too.
    if (x > -2147483649.0 && x < 2147483648.0)
        return static_cast<int32_t>(x);
    return std::numeric_limits<int32_t>::min();
}

inline int64_t truncToInt64(double x)
{
    // -2^63 is a double and truncates to itself; 2^63 is the first double
    // whose truncation no longer fits.
    if (x >= -9223372036854775808.0 && x < 9223372036854775808.0)
        return static_cast<int64_t>(x);
    return std::numeric_limits<int64_t>::min();
}

// Element offset of the first entry of the column named by the 1-based index
// x, for columns of `height` doubles: (x - 1) * height formed in floating
// point, then truncated. A fractional index is multiplied before it is
// truncated, so 2.5 with height 3 gives offset 4.
inline int64_t columnOffset(double x, int64_t height)
{
    return truncToInt64((x - 1.0) * static_cast<double>(height));
}

// True when `offset` addresses a whole column of `height` doubles inside an
// array of `columns` such columns.
inline bool columnInside(int64_t offset, int64_t height, int64_t columns)
{
    return offset >= 0 && columns > 0 && offset <= height * (columns - 1);
}

}  // namespace tbx
