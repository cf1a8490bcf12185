// The synthesiser calculation: from the parameters and the wanted output
// frequency in a panel, the divider ratios, the achieved frequency, the DAC
// and gain codes, the summary and the register fields.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "core/calc_panel.h"
#include "core/calculation_memo.h"
#include "core/numeric_text.h"

namespace kestrova {

// Runs one calculation on the panel, reading each value from its field's
// text when it is needed and writing, in order: Fout's background colour and
// text (the achieved frequency), Results, then Rt, St, Pt, Ct and Gt.
// Raises CalcFault at the first faulty formula; the fields written before it
// keep their new contents and the rest are untouched.
// The decimal separator is the one shown in the gain line of Results.
void CalculateRegisters(CalcPanel& panel, std::string_view decimalSeparator);

// The numbers behind a calculation's outputs, for a caller that wants them
// as numbers rather than read back from the fields' text.
struct RegisterValues {
    std::int32_t r = 0, n = 0, p = 0, s = 0, c = 0, g = 0;
    double achieved = 0;      // the achieved frequency, before it became text
    Digits15 achievedDigits;  // the digits Fout shows
    double gain = 0;
    bool mismatch = false;
};

// The same, also handing over the numbers when the calculation completes
// (values is left alone when it faults).
void CalculateRegisters(CalcPanel& panel, std::string_view decimalSeparator, RegisterValues& values);

// The same, with the caller's memo.
void CalculateRegisters(CalcPanel& panel, std::string_view decimalSeparator, RegisterValues& values,
                        CalculationMemo& memo);

// The same with the separator of the user's numeric locale.
void CalculateRegisters(CalcPanel& panel);

}  // namespace kestrova
