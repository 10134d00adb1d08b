// Helpers for comparing doubles bit for bit and for building test inputs.
#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <random>
#include <vector>

namespace testing_util {

inline uint64_t bitsOf(double x)
{
    uint64_t b;
    std::memcpy(&b, &x, sizeof b);
    return b;
}

// Same length and the same 64 bits in every element, the sign of zero
// included. A NaN matches any NaN: which NaN an operation on two NaNs returns
// depends on the order of its operands, which the compiler may swap for a
// commutative operation, and IEEE 754 leaves the payload open.
inline ::testing::AssertionResult sameBits(const std::vector<double>& expected,
                                           const std::vector<double>& actual)
{
    if (expected.size() != actual.size())
        return ::testing::AssertionFailure()
               << "sizes differ: " << expected.size() << " vs " << actual.size();
    for (size_t i = 0; i < expected.size(); ++i)
        if (bitsOf(expected[i]) != bitsOf(actual[i]) &&
            !(std::isnan(expected[i]) && std::isnan(actual[i])))
            return ::testing::AssertionFailure()
                   << "element " << i << ": expected " << expected[i] << " (0x" << std::hex
                   << bitsOf(expected[i]) << "), got " << actual[i] << " (0x"
                   << bitsOf(actual[i]) << ")" << std::dec;
    return ::testing::AssertionSuccess();
}

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

}  // namespace testing_util
