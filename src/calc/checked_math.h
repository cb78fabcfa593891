// Checked double arithmetic. Each function performs exactly one IEEE double operation
// and raises ArithmeticFault instead of ever producing an infinity or a NaN. An
// underflow to zero or to a subnormal is not a fault.
//
// Operands are always finite (no operation ever lets a non-finite value out), so a
// non-finite sum, difference, product or quotient can only be an overflow.
#pragma once

#include "arithmetic_fault.h"

#include <cmath>

namespace ardenca::ck {

[[noreturn]] void raise(FaultKind kind, FaultOperation operation);

inline double add(double a, double b) {
    const double r = a + b;
    if (!std::isfinite(r)) [[unlikely]]
        raise(FaultKind::Overflow, FaultOperation::Addition);
    return r;
}

inline double sub(double a, double b) {
    const double r = a - b;
    if (!std::isfinite(r)) [[unlikely]]
        raise(FaultKind::Overflow, FaultOperation::Subtraction);
    return r;
}

inline double mul(double a, double b) {
    const double r = a * b;
    if (!std::isfinite(r)) [[unlikely]]
        raise(FaultKind::Overflow, FaultOperation::Multiplication);
    return r;
}

inline double div(double a, double b) {
    if (b == 0.0) [[unlikely]]
        raise(FaultKind::DivisionByZero, FaultOperation::Division);
    const double r = a / b;
    if (!std::isfinite(r)) [[unlikely]]
        raise(FaultKind::Overflow, FaultOperation::Division);
    return r;
}

// x raised to y through the C library's pow. Defined out of line on purpose: the
// compiler never sees a constant exponent, so pow(x, 2) is never rewritten as x * x
// (the two differ in the last bit for about one argument in a thousand).
double pow(double x, double y);

// Natural logarithm; a zero or negative argument is an invalid operation.
double ln(double x);

// Tangent of an angle in radians.
double tan(double x);

} // namespace ardenca::ck
