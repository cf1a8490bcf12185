// The arithmetic fault that stops a calculation.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

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

// Where in a calculation a fault arose: the reading of a field's text, or
// one of the formulas, in the order the calculation runs them.
enum class FaultSite : std::uint8_t {
    Unknown,   // raised outside a calculation (a conversion called on its own)
    Reading,   // a field's text holds a number beyond the double range
    R,         // R = Fref / Step
    N,         // N = |Fout - F0| / Step
    Achieved,  // the achieved Fout = N x Fref / R + F0
    Mismatch,  // |achieved - wanted|
    PS,        // P = N / 32, S = N - 32 P
    C,         // the DAC code
    Gain,      // gain = (Fout - F0) x 0.269 / (FH - F0)
    G,         // the gain code
};

// Raised (never returned) by the conversions and the calculation; caught
// only by the window's handler, which reports it to the user, and by
// kestrova-plan, which shows it in the faulted channel's row.
//
// A fault raised by the calculation also says where it arose, in two lines
// for the user: what stopped (the formula, in the captions' terms, and the
// kind's words) and what the fields that the formula read were read as.
class CalcFault : public std::runtime_error {
public:
    // A fault with no site: what() is the kind's words.
    explicit CalcFault(FaultKind kind) : std::runtime_error(FaultWords(kind)), kind_(kind) {}
    // A fault the calculation describes: what stopped and what was read.
    CalcFault(FaultKind kind, std::string stopped, std::string inputs);

    FaultKind Kind() const noexcept { return kind_; }
    // "The calculation stopped at R = Fref / Step: division by zero."
    const std::string& Stopped() const noexcept { return stopped_; }
    // The two lines on one, for a table cell or a log line.
    std::string OneLine() const;

private:
    FaultKind kind_;
    std::string stopped_;
    std::string inputs_;
};

}  // namespace kestrova
