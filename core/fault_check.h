// Evaluation of one formula with an IEEE fault test: the flags are cleared,
// the formula runs, and division by zero, invalid operation or overflow in any
// of its operations raises CalcFault. Underflow and inexact results are
// ignored.
//
// On x86-64 double arithmetic runs in SSE, which raises its flags in MXCSR
// alone, so the test reads and clears just those bits: glibc's
// feclearexcept/fetestexcept also save and restore the whole x87
// environment, several times the cost of the formula. Elsewhere <cfenv> does
// the work. The MXCSR exception bits have the values of glibc's FE_ macros
// on x86, so both paths hand RaiseFault the same flags.
//
// The optimiser does not know that arithmetic reads and writes the floating
// point status, so it may fold a constant quotient, reuse an identical one
// computed earlier, or move the formula past the flag test. An empty asm
// statement on each operand (after the flags are cleared) and on the result
// (before they are tested) pins the formula between the two.
#pragma once

#include <cfenv>

#include "core/calc_fault.h"
#include "core/exact_arithmetic.h"

namespace kestrova::detail {

inline constexpr int kFaultFlags = FE_DIVBYZERO | FE_INVALID | FE_OVERFLOW;

#if defined(__x86_64__) && defined(__SSE2__)
static_assert(FE_INVALID == 0x01 && FE_DIVBYZERO == 0x04 && FE_OVERFLOW == 0x08, "MXCSR flag bits");

inline unsigned ReadMxcsr() noexcept {
    unsigned csr;
    asm volatile("stmxcsr %0" : "=m"(csr)::"memory");
    return csr;
}

inline void ClearFaultFlags() noexcept {
    // Writing MXCSR costs more than reading it: only when a flag is set.
    if (unsigned csr = ReadMxcsr(); (csr & kFaultFlags) != 0) {
        csr &= ~static_cast<unsigned>(kFaultFlags);
        asm volatile("ldmxcsr %0" ::"m"(csr) : "memory");
    }
}

inline int RaisedFaultFlags() noexcept {
    return static_cast<int>(ReadMxcsr()) & kFaultFlags;
}
#else
inline void ClearFaultFlags() noexcept {
    std::feclearexcept(kFaultFlags);
}
inline int RaisedFaultFlags() noexcept {
    return std::fetestexcept(kFaultFlags);
}
#endif

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
    ClearFaultFlags();
    (Pin(operands), ...);
    double result = formula(operands...);
    Pin(result);
    if (const int flags = RaisedFaultFlags(); flags != 0) RaiseFault(flags);
    return result;
}

}  // namespace kestrova::detail
