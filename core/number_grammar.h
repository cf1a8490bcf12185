// What the number reader and writer share: the characters of the grammar,
// the exact powers of ten, and the size of a decimal number in text.
#pragma once

#include <cmath>
#include <string_view>

#include "core/calc_fault.h"

namespace kestrova::detail {

// The powers of ten that are exact doubles.
inline constexpr double kExactPowers[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                          1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                          1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};

constexpr bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n';
}
constexpr bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// The decimal exponent of the leading digit of a number in from_chars' form
// whose mantissa is not zero (12.5e3 gives 4), saturating far beyond the
// double range. Only needed to tell an overflow from an underflow.
long long DecimalMagnitude(std::string_view number);

inline void ThrowIfNotFinite(double value) {
    if (std::isnan(value)) throw CalcFault(FaultKind::InvalidOperation);
    if (std::isinf(value)) throw CalcFault(FaultKind::Overflow);
}

}  // namespace kestrova::detail
