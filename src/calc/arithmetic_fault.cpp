#include "arithmetic_fault.h"

namespace ardenca {

const char* fault_kind_text(FaultKind kind) {
    switch (kind) {
    case FaultKind::DivisionByZero:
        return "division by zero";
    case FaultKind::Overflow:
        return "overflow";
    case FaultKind::InvalidOperation:
        return "invalid operation";
    }
    return "arithmetic fault";
}

const char* fault_operation_text(FaultOperation operation) {
    switch (operation) {
    case FaultOperation::Addition:
        return "addition";
    case FaultOperation::Subtraction:
        return "subtraction";
    case FaultOperation::Multiplication:
        return "multiplication";
    case FaultOperation::Division:
        return "division";
    case FaultOperation::Power:
        return "power";
    case FaultOperation::Logarithm:
        return "logarithm";
    case FaultOperation::Tangent:
        return "tangent";
    case FaultOperation::NumberReading:
        return "number reading";
    }
    return "operation";
}

ArithmeticFault::ArithmeticFault(FaultKind kind, FaultOperation operation)
    : std::runtime_error(fault_kind_text(kind)), kind_(kind), operation_(operation) {}

std::string ArithmeticFault::detail() const {
    const char* op = fault_operation_text(operation_);
    const bool vowel = op[0] == 'a' || op[0] == 'e' || op[0] == 'i' || op[0] == 'o' || op[0] == 'u';
    return std::string(what()) + (vowel ? " in an " : " in a ") + op;
}

} // namespace ardenca
