// The words of a calculation's fault: the formula that stopped, in the
// captions' terms, and what the fields it read were read as.
#pragma once

#include <initializer_list>
#include <optional>
#include <string_view>

#include "core/calc_fault.h"
#include "core/calc_panel.h"
#include "core/calculation_memo.h"

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

// Built from what the calculation recorded of its readings.
CalcFault DescribeFault(const CalculationMemo& memo, FaultKind kind, FaultSite site,
                        std::initializer_list<Computed> computed = {},
                        std::optional<Beyond32Bits> beyond = std::nullopt);

// The formula of a site in the captions' terms: "R = Fref / Step".
const char* FormulaWords(FaultSite site);

// A field whose text holds a number beyond the double range.
CalcFault DescribeReadingFault(FaultKind kind, Field field, std::string_view text);

}  // namespace kestrova::detail
