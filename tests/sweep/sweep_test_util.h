// Helpers of the VNA file tests: reading a text that must be refused, and comparing
// complex values to a relative tolerance.
#pragma once

#include "sweep/sweep.h"
#include "sweep/sweep_file_error.h"

#include <complex>
#include <functional>
#include <gtest/gtest.h>
#include <string>

namespace ardenca::sweep::testing {

// Whether read() is refused on this line (0: not on one line) for a reason holding `reason`.
inline ::testing::AssertionResult refused(const std::function<void()>& read, long line,
                                          const std::string& reason) {
    try {
        read();
    } catch (const SweepFileError& e) {
        if (static_cast<long>(e.line()) == line && e.reason().find(reason) != std::string::npos)
            return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure()
               << "refused on line " << e.line() << ": " << e.reason();
    }
    return ::testing::AssertionFailure() << "read without a refusal";
}

// The impedance of reflection s on reference resistance r.
inline Complex from_s(Complex s, double r) {
    return r * (1.0 + s) / (1.0 - s);
}

inline ::testing::AssertionResult near(Complex actual, Complex expected, double relative = 1e-12) {
    const double scale = std::max(std::abs(expected), 1e-300);
    if (std::abs(actual - expected) <= relative * scale)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "got " << actual << ", expected " << expected;
}

} // namespace ardenca::sweep::testing
