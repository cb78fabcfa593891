#include "checked_math.h"

#include <bit>
#include <cstdint>

namespace ardenca::ck {

void raise(FaultKind kind, FaultOperation operation) {
    throw ArithmeticFault(kind, operation);
}

double pow(double x, double y) {
    if (x < 0.0 && std::trunc(y) != y) [[unlikely]]
        raise(FaultKind::InvalidOperation, FaultOperation::Power);
    if (x == 0.0 && y < 0.0) [[unlikely]]
        raise(FaultKind::DivisionByZero, FaultOperation::Power);
    // The exponent goes through a volatile copy: compilers rewrite pow(x, 2.0) as
    // x * x when they see the constant, and the two differ in the last bit for about
    // one argument in a thousand.
    const volatile double exponent = y;
    const double r = std::pow(x, exponent);
    if (!std::isfinite(r)) [[unlikely]]
        raise(FaultKind::Overflow, FaultOperation::Power);
    return r;
}

namespace {

constexpr std::uint64_t exponent_bits(double x) {
    return (std::bit_cast<std::uint64_t>(x) >> 52) & 0x7ff;
}

constexpr bool has_fraction_bits(double x) {
    return (std::bit_cast<std::uint64_t>(x) & 0xfffffffffffffull) != 0;
}

// One unit in the last place of a normal positive x that is not a power of two.
double ulp(double x) {
    return std::bit_cast<double>((exponent_bits(x) - 52) << 52);
}

// Far enough from the subnormal range that the exact residuals below are doubles.
constexpr std::uint64_t min_fast_exponent = 200;
constexpr double safe_fraction = 0.45;

// The rounding error of the product p = a * b, exactly (a * b = p + error), by
// Dekker's splitting; exact while nothing overflows or leaves the normal range.
double product_error(double a, double b, double p) {
    constexpr double split = 134217729.0; // 2^27 + 1
    double c = split * a;
    const double a_hi = c - (c - a);
    const double a_lo = a - a_hi;
    c = split * b;
    const double b_hi = c - (c - b);
    const double b_lo = b - b_hi;
    return (((a_hi * b_hi - p) + a_hi * b_lo) + a_lo * b_hi) + a_lo * b_lo;
}

} // namespace

double square(double x) {
    const double p = x * x;
    if (std::isfinite(p) && exponent_bits(p) >= min_fast_exponent && has_fraction_bits(p)) {
        const double residual = product_error(x, x, p); // exactly x*x - p
        if (std::fabs(residual) < safe_fraction * ulp(p))
            return p;
    }
    return pow(x, 2.0);
}

double root(double x) {
    if (x > 0.0 && exponent_bits(x) >= min_fast_exponent) {
        const double r = std::sqrt(x);
        if (has_fraction_bits(r)) {
            // x - r*r, exactly: x - fl(r*r) is exact as the two are so close, and so is
            // taking off the product's rounding error, since the result is a double.
            const double r_squared = r * r;
            const double residual = (x - r_squared) - product_error(r, r, r_squared);
            // The root itself lies residual / (2 r) away from r.
            if (std::fabs(residual) < 2.0 * safe_fraction * r * ulp(r))
                return r;
        }
    }
    return pow(x, 0.5);
}

double ln(double x) {
    if (!(x > 0.0)) [[unlikely]]
        raise(FaultKind::InvalidOperation, FaultOperation::Logarithm);
    return std::log(x);
}

double tan(double x) {
    const double r = std::tan(x);
    if (!std::isfinite(r)) [[unlikely]]
        raise(FaultKind::InvalidOperation, FaultOperation::Tangent);
    return r;
}

} // namespace ardenca::ck
