// Evaluation of one formula with an IEEE fault test: the flags are cleared,
// the formula runs, and division by zero, invalid operation or overflow in any
// of its operations raises CalcFault. Underflow and inexact results are
// ignored.
//
// The optimiser does not know that arithmetic reads and writes the floating
// point status, so it may fold a constant quotient, reuse an identical one
// computed earlier, or move the formula past the flag test. An empty asm
// statement on each operand (after the flags are cleared) and on the result
// (before they are tested) pins the formula between the two.
#pragma once

#include <cfenv>

#include "core/calc_fault.h"

namespace kestrova::detail {

inline constexpr int kFaultFlags = FE_DIVBYZERO | FE_INVALID | FE_OVERFLOW;

// Makes v opaque to the optimiser at this point of the program.
inline void Pin(double& v) noexcept {
#if defined(__x86_64__)
    asm volatile("" : "+x"(v)::"memory");
#elif defined(__aarch64__)
    asm volatile("" : "+w"(v)::"memory");
#else
    asm volatile("" : "+m"(v)::"memory");
#endif
}

// When one formula raises several flags, the most fundamental one is
// reported: an invalid operation, then a division by zero, then overflow.
[[noreturn]] void RaiseFault(int flags);

template <class Formula, class... Operands>
inline double Evaluate(Formula formula, Operands... operands) {
    std::feclearexcept(kFaultFlags);
    (Pin(operands), ...);
    double result = formula(operands...);
    Pin(result);
    if (const int flags = std::fetestexcept(kFaultFlags); flags != 0) RaiseFault(flags);
    return result;
}

}  // namespace kestrova::detail
