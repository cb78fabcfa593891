// The one fault type of every calculation: a division by zero, an overflow or an
// invalid operation. It names the operation that failed so a message can say so.
#pragma once

#include <stdexcept>
#include <string>

namespace ardenca {

enum class FaultKind { DivisionByZero, Overflow, InvalidOperation };

enum class FaultOperation {
    Addition,
    Subtraction,
    Multiplication,
    Division,
    Power,
    Logarithm,
    Tangent,
    NumberReading
};

// "division by zero", "overflow" or "invalid operation".
const char* fault_kind_text(FaultKind kind);
// "addition", "power", "logarithm", ...
const char* fault_operation_text(FaultOperation operation);

class ArithmeticFault : public std::runtime_error {
  public:
    ArithmeticFault(FaultKind kind, FaultOperation operation);

    FaultKind kind() const { return kind_; }
    FaultOperation operation() const { return operation_; }
    // The kind and the operation together, e.g. "invalid operation in a logarithm".
    std::string detail() const;

  private:
    FaultKind kind_;
    FaultOperation operation_;
};

} // namespace ardenca
