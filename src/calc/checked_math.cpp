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

} // namespace

double square(double x) {
    const double p = x * x;
    if (std::isfinite(p) && exponent_bits(p) >= min_fast_exponent && has_fraction_bits(p)) {
        const double residual = std::fma(x, x, -p); // exactly x*x - p
        if (std::fabs(residual) < safe_fraction * ulp(p))
            return p;
    }
    return pow(x, 2.0);
}

double root(double x) {
    if (x > 0.0 && exponent_bits(x) >= min_fast_exponent) {
        const double r = std::sqrt(x);
        if (has_fraction_bits(r)) {
            // x - r*r exactly; the root itself lies residual / (2 r) away from r.
            const double residual = std::fma(-r, r, x);
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
