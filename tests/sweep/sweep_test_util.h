// Helpers of the VNA file tests: reading a text and catching its refusal, and comparing
// complex values to a relative tolerance.
#pragma once

#include "sweep/sweep.h"
#include "sweep/sweep_file_error.h"

#include <complex>
#include <functional>
#include <gtest/gtest.h>
#include <string>

namespace ardenca::sweep::testing {

// Where and why reading failed; line -1 when it did not fail.
struct Refusal {
    long line = -1;
    std::string reason;
};

inline Refusal refusal_of(const std::function<void()>& read) {
    try {
        read();
    } catch (const SweepFileError& e) {
        return {static_cast<long>(e.line()), e.reason()};
    }
    return {};
}

inline ::testing::AssertionResult near(Complex actual, Complex expected, double relative = 1e-12) {
    const double scale = std::max(std::abs(expected), 1e-300);
    if (std::abs(actual - expected) <= relative * scale)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure()
           << "got (" << actual.real() << ", " << actual.imag() << "), expected ("
           << expected.real() << ", " << expected.imag() << ")";
}

} // namespace ardenca::sweep::testing
