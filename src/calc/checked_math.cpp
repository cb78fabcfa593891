#include "checked_math.h"

namespace ardenca::ck {

void raise(FaultKind kind, FaultOperation operation) { throw ArithmeticFault(kind, operation); }

double pow(double x, double y) {
    if (x < 0.0 && std::trunc(y) != y) [[unlikely]]
        raise(FaultKind::InvalidOperation, FaultOperation::Power);
    if (x == 0.0 && y < 0.0) [[unlikely]]
        raise(FaultKind::DivisionByZero, FaultOperation::Power);
    const double r = std::pow(x, y);
    if (!std::isfinite(r)) [[unlikely]]
        raise(FaultKind::Overflow, FaultOperation::Power);
    return r;
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
