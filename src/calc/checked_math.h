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

// x raised to y by the C library's pow, never by a compiler's rewrite of it.
double pow(double x, double y);

// x^2 and x^0.5, rounded exactly as pow(x, 2.0) and pow(x, 0.5) round them. The
// model evaluates several of each per step, so these skip the library call whenever
// the answer is certain: the C library's pow is documented to stay within 0.52 units
// in the last place, so when the exact square or root lies within 0.45 of them from
// the correctly rounded x * x or sqrt(x), pow returns that same double. Near a
// rounding midpoint, where pow and the plain operation may disagree, they call pow.
double square(double x);
double root(double x);

// Natural logarithm; a zero or negative argument is an invalid operation.
double ln(double x);

// Tangent of an angle in radians.
double tan(double x);

} // namespace ardenca::ck
