// The words of a calculation's fault: the formula that stopped, in the
// captions' terms, and what the fields it read were read as.
#pragma once

#include <initializer_list>
#include <optional>

#include "core/calc_fault.h"
#include "core/calc_panel.h"

namespace kestrova::detail {

// A value the calculation had computed before the fault, worth naming
// ("R is 0").
struct Computed {
    const char* name;
    double value;
};

// A fault of the formula at the site. With a register name, the formula's
// result was out of the signed 32-bit range for that register.
struct Beyond32Bits {
    const char* name;
    double value;
};

CalcFault DescribeFault(const CalcPanel& panel, FaultKind kind, FaultSite site,
                        std::initializer_list<Computed> computed = {},
                        std::optional<Beyond32Bits> beyond = std::nullopt);

// A field whose text holds a number beyond the double range.
CalcFault DescribeReadingFault(const CalcPanel& panel, FaultKind kind, Field field);

}  // namespace kestrova::detail
