// The calculation, as a straight sequence of steps over the panel's fields.
// Every value is reread from its field when a step needs it: Fout is rewritten
// with the achieved frequency half-way, and the later steps must see the
// rounded text, not the double that produced it.
#include "core/calculation.h"

#include <array>
#include <cmath>
#include <cstdint>
#include <initializer_list>
#include <string>

#include "core/calc_fault.h"
#include "core/fault_check.h"
#include "core/fault_description.h"
#include "core/formulas.h"
#include "core/numeric_text.h"
#include "core/registers.h"

namespace kestrova {
namespace {

using detail::Beyond32Bits;
using detail::Computed;

// A field's number, recorded with its text; a text beyond the double range
// faults as the reading of that field.
double Read(const CalcPanel& panel, Field field, CalculationMemo& memo) {
    std::string copy;
    const std::string& text = FieldText(panel, field, copy);
    CalculationMemo::Reading& reading = memo.readings[static_cast<std::size_t>(field)];
    if (reading.known && reading.text == text) return reading.value;
    reading.text = text;
    reading.known = false;
    try {
        reading.value = NumberFromText(text);
    } catch (const CalcFault& fault) {
        throw detail::DescribeReadingFault(fault.Kind(), field, text);
    }
    reading.known = true;
    return reading.value;
}

// One formula with its fault test; a fault names the formula's site.
template <class Formula, class... Operands>
double Evaluated(const CalculationMemo& memo, FaultSite site, std::initializer_list<Computed> computed,
                 Formula formula, Operands... operands) {
    try {
        return detail::Evaluate(formula, operands...);
    } catch (const CalcFault& fault) {
        throw detail::DescribeFault(memo, fault.Kind(), site, computed);
    }
}

// A formula's result as a register value; out of the 32-bit range it faults
// naming the register and the value.
std::int32_t Register(const CalculationMemo& memo, FaultSite site, const char* name, double value,
                      std::int32_t (*convert)(double), std::initializer_list<Computed> computed = {}) {
    try {
        return convert(value);
    } catch (const CalcFault& fault) {
        throw detail::DescribeFault(memo, fault.Kind(), site, computed, Beyond32Bits{name, value});
    }
}

// TextFromNumber of an integer, appended: " 400", "-3".
void AppendTextFromNumber(std::string& out, std::int32_t value) {
    if (value >= 0) out += ' ';
    AppendInteger(out, value);
}

std::int32_t CheckedInt32(std::int64_t value) {
    if (value < INT32_MIN || value > INT32_MAX) throw CalcFault(FaultKind::Overflow);
    return static_cast<std::int32_t>(value);
}

// Sets the field to the hexadecimal text, then pads the field's own text,
// as read back, one "0" at a time up to the register's width.
// Out of line, one copy a register: inlined five times it crowds the
// rest of the calculation out of the optimiser's budget.
template <std::size_t Register>
[[gnu::noinline]] void WriteRegister(CalcPanel& panel, std::int32_t value) {
    constexpr Field field = kRegisters[Register].field;
    constexpr std::size_t width = kRegisters[Register].width;
    panel.SetText(field, HexText(value));
    std::string padded;
    std::string copy;
    for (std::size_t i = 0; i < width; ++i) {
        const std::string& current = FieldText(panel, field, copy);
        if (current.size() >= width) break;
        padded.assign(1, '0');
        padded += current;
        panel.SetText(field, padded);
    }
}

}  // namespace

void CalculateRegisters(CalcPanel& panel, std::string_view decimalSeparator, RegisterValues& values,
                        CalculationMemo& memo) {
    // 1. Reference divider.
    double a = Read(panel, Field::Fstep, memo);
    double b = Read(panel, Field::Fref, memo);
    const std::int32_t r = Register(
        memo, FaultSite::R, "R", Evaluated(memo, FaultSite::R, {}, formulas::Reference, a, b), RoundToInt32);

    // 2. Main divider: the number of steps from F0 to the wanted frequency.
    double f0 = Read(panel, Field::Fo, memo);
    a = Read(panel, Field::Fstep, memo);
    double w = Read(panel, Field::Fout, memo);
    const std::int32_t n = Register(
        memo, FaultSite::N, "N", Evaluated(memo, FaultSite::N, {}, formulas::Main, f0, a, w), RoundToInt32);

    // 3. The frequency R and N actually give: N x Fref first, then / R, then + F0.
    b = Read(panel, Field::Fref, memo);
    f0 = Read(panel, Field::Fo, memo);
    const double achievedFout =
        Evaluated(memo, FaultSite::Achieved, {{"R", static_cast<double>(r)}, {"N", static_cast<double>(n)}},
                  formulas::Achieved, static_cast<double>(n), b, static_cast<double>(r), f0);

    // 4. Mismatch: strictly more than the tolerance.
    w = Read(panel, Field::Fout, memo);
    const bool mismatch = Evaluated(memo, FaultSite::Mismatch, {{"the achieved Fout", achievedFout}},
                                    formulas::Miss, achievedFout, w) > formulas::kMismatchTolerance;

    // 5, 6. Fout shows whether it was met, then what was achieved.
    panel.SetFoutBackColor(mismatch ? kPink : kWhite);
    const Digits15 achievedDigits = DecimalDigits15(achievedFout);
    panel.SetText(Field::Fout, TextFromDigits(achievedDigits));

    // 7. P and S.
    const std::int32_t p = Register(memo, FaultSite::PS, "P",
                                    Evaluated(memo, FaultSite::PS, {{"N", static_cast<double>(n)}},
                                              formulas::Prescaler, static_cast<double>(n)),
                                    FloorToInt32, {{"N", static_cast<double>(n)}});
    std::int32_t s = 0;
    try {
        s = CheckedInt32(std::int64_t{n} - CheckedInt32(std::int64_t{p} * formulas::kSplitFactor));
    } catch (const CalcFault& fault) {
        throw detail::DescribeFault(memo, fault.Kind(), FaultSite::PS, {{"N", static_cast<double>(n)}});
    }

    // 8. DAC code, centred on 512, from the achieved frequency as written.
    double g = Read(panel, Field::DacGain, memo);
    double fo = Read(panel, Field::Fosc, memo);
    double y = Read(panel, Field::Fout, memo);
    const std::int32_t c = Register(memo, FaultSite::C, "C",
                                    Evaluated(memo, FaultSite::C, {}, formulas::Dac, g, fo, y), FloorToInt32);

    // 9. Gain: where the output lies between F0 and FH.
    y = Read(panel, Field::Fout, memo);
    f0 = Read(panel, Field::Fo, memo);
    const double h = Read(panel, Field::Fh, memo);
    const double f0Again = Read(panel, Field::Fo, memo);
    const double gain = Evaluated(memo, FaultSite::Gain, {}, formulas::Gain, y, f0, h, f0Again);

    // 10. Gain code.
    const std::int32_t gCode = Register(
        memo, FaultSite::G, "G", Evaluated(memo, FaultSite::G, {{"gain", gain}}, formulas::GainCode, gain),
        FloorToInt32, {{"gain", gain}});

    // 11. Summary, built in a buffer that keeps its memory between calculations.
    std::string& summary = memo.summary;
    summary.clear();
    summary += "R ";
    summary += FormatPattern(r, "####", decimalSeparator);
    summary += "\r\nN ";
    AppendTextFromNumber(summary, n);
    summary += "   S ";
    AppendTextFromNumber(summary, s);
    summary += "   P ";
    AppendTextFromNumber(summary, p);
    summary += "\r\nC ";
    AppendTextFromNumber(summary, c);
    summary += "\r\ngain ";
    summary += FormatPattern(gain, "##.###   ", decimalSeparator);
    summary += "G ";
    AppendTextFromNumber(summary, gCode);
    summary += "\r\n";
    panel.SetText(Field::Results, summary);

    // 12. Register fields.
    WriteRegister<0>(panel, r);
    WriteRegister<1>(panel, s);
    WriteRegister<2>(panel, p);
    WriteRegister<3>(panel, c);
    WriteRegister<4>(panel, gCode);
    values = RegisterValues{r, n, p, s, c, gCode, achievedFout, achievedDigits, gain, mismatch};
}

void CalculateRegisters(CalcPanel& panel, std::string_view decimalSeparator, RegisterValues& values) {
    CalculationMemo memo;
    CalculateRegisters(panel, decimalSeparator, values, memo);
}

void CalculateRegisters(CalcPanel& panel, std::string_view decimalSeparator) {
    RegisterValues values;
    CalculateRegisters(panel, decimalSeparator, values);
}

void CalculateRegisters(CalcPanel& panel) {
    CalculateRegisters(panel, LocaleDecimalSeparator());
}

}  // namespace kestrova
