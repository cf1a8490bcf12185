// The arithmetic fault that stops a calculation.
#pragma once

#include <stdexcept>

namespace kestrova {

// What went wrong in an arithmetic step.
enum class FaultKind {
    // A non-zero value was divided by zero.
    DivisionByZero,
    // An operation had no meaningful result, such as zero divided by zero,
    // or the difference of two infinities.
    InvalidOperation,
    // A result lay beyond the double range, a number in a text was too large
    // for a double, or an integer conversion or operation left the signed
    // 32-bit range.
    Overflow,
};

// Plain words for a kind: "division by zero", "invalid operation", "overflow".
const char* FaultWords(FaultKind kind);

// Raised (never returned) by the conversions and the calculation; caught
// only by the window's handler, which reports it to the user.
class CalcFault : public std::runtime_error {
public:
    explicit CalcFault(FaultKind kind) : std::runtime_error(FaultWords(kind)), kind_(kind) {}
    FaultKind Kind() const noexcept { return kind_; }

private:
    FaultKind kind_;
};

}  // namespace kestrova
