// The calculation, as a straight sequence of steps over the panel's fields.
// Every value is reread from its field when a step needs it: Fout is rewritten
// with the achieved frequency half-way, and the later steps must see the
// rounded text, not the double that produced it.
#include "core/calculation.h"

#include <cmath>
#include <cstdint>
#include <initializer_list>
#include <string>

#include "core/calc_fault.h"
#include "core/fault_check.h"
#include "core/fault_description.h"
#include "core/numeric_text.h"

namespace kestrova {
namespace {

constexpr double kSplit = 32.0;             // N = 32 P + S
constexpr double kMismatchTolerance = 0.01;  // in the unit of the frequencies
constexpr double kDacCentre = 512.0;
constexpr double kHalf = 0.5;                // added before rounding C down
constexpr double kGainScale = 0.269;
constexpr double kGainCodeScale = 1.66;

using detail::Beyond32Bits;
using detail::Computed;

// A field's number; a text beyond the double range faults as the reading of
// that field.
double Read(const CalcPanel& panel, Field field) {
    try {
        if (const std::string* held = panel.HeldText(field)) return NumberFromText(*held);
        return NumberFromText(panel.Text(field));
    } catch (const CalcFault& fault) {
        throw detail::DescribeReadingFault(panel, fault.Kind(), field);
    }
}

// One formula with its fault test; a fault names the formula's site.
template <class Formula, class... Operands>
double Evaluated(const CalcPanel& panel, FaultSite site, std::initializer_list<Computed> computed, Formula formula,
               Operands... operands) {
    try {
        return detail::Evaluate(formula, operands...);
    } catch (const CalcFault& fault) {
        throw detail::DescribeFault(panel, fault.Kind(), site, computed);
    }
}

// A formula's result as a register value; out of the 32-bit range it faults
// naming the register and the value.
std::int32_t Register(const CalcPanel& panel, FaultSite site, const char* name, double value,
                      std::int32_t (*convert)(double), std::initializer_list<Computed> computed = {}) {
    try {
        return convert(value);
    } catch (const CalcFault& fault) {
        throw detail::DescribeFault(panel, fault.Kind(), site, computed, Beyond32Bits{name, value});
    }
}

std::int32_t CheckedInt32(std::int64_t value) {
    if (value < INT32_MIN || value > INT32_MAX) throw CalcFault(FaultKind::Overflow);
    return static_cast<std::int32_t>(value);
}

// Sets the field to the hexadecimal text, then pads the field's own text,
// as read back, one "0" at a time up to the register's width.
void WriteRegister(CalcPanel& panel, Field field, std::int32_t value, std::size_t width) {
    panel.SetText(field, HexText(value));
    std::string padded;
    for (std::size_t i = 0; i < width; ++i) {
        const std::string* held = panel.HeldText(field);
        const std::string text = held != nullptr ? std::string() : panel.Text(field);
        const std::string& current = held != nullptr ? *held : text;
        if (current.size() >= width) break;
        padded.assign(1, '0');
        padded += current;
        panel.SetText(field, padded);
    }
}

}  // namespace

void CalculateRegisters(CalcPanel& panel, std::string_view decimalSeparator, RegisterValues& values) {
    // 1. Reference divider.
    double a = Read(panel, Field::Fstep);
    double b = Read(panel, Field::Fref);
    const std::int32_t r = Register(panel, FaultSite::R, "R",
                                    Evaluated(panel, FaultSite::R, {}, [](double s, double f) { return f / s; }, a, b),
                                    RoundToInt32);

    // 2. Main divider: the number of steps from F0 to the wanted frequency.
    double f0 = Read(panel, Field::Fo);
    a = Read(panel, Field::Fstep);
    double w = Read(panel, Field::Fout);
    const std::int32_t n = Register(
        panel, FaultSite::N, "N",
        Evaluated(panel, FaultSite::N, {},
                [](double f, double s, double want) { return std::fabs((want - f) / s); }, f0, a, w),
        RoundToInt32);

    // 3. The frequency R and N actually give: N x Fref first, then / R, then + F0.
    b = Read(panel, Field::Fref);
    f0 = Read(panel, Field::Fo);
    const double achievedFout =
        Evaluated(panel, FaultSite::Achieved, {{"R", static_cast<double>(r)}, {"N", static_cast<double>(n)}},
                [](double nn, double f, double rr, double f00) { return nn * f / rr + f00; },
                static_cast<double>(n), b, static_cast<double>(r), f0);

    // 4. Mismatch: strictly more than the tolerance.
    w = Read(panel, Field::Fout);
    const bool mismatch = Evaluated(panel, FaultSite::Mismatch, {{"the achieved Fout", achievedFout}},
                                  [](double x, double want) { return std::fabs(x - want); }, achievedFout, w) >
                          kMismatchTolerance;

    // 5, 6. Fout shows whether it was met, then what was achieved.
    panel.SetFoutBackColor(mismatch ? kPink : kWhite);
    panel.SetText(Field::Fout, TextFromNumber(achievedFout));

    // 7. P and S.
    const std::int32_t p = Register(
        panel, FaultSite::PS, "P",
        Evaluated(panel, FaultSite::PS, {{"N", static_cast<double>(n)}}, [](double nn, double k) { return nn / k; }, static_cast<double>(n),
                kSplit),
        FloorToInt32, {{"N", static_cast<double>(n)}});
    std::int32_t s = 0;
    try {
        s = CheckedInt32(std::int64_t{n} - CheckedInt32(std::int64_t{p} * 32));
    } catch (const CalcFault& fault) {
        throw detail::DescribeFault(panel, fault.Kind(), FaultSite::PS, {{"N", static_cast<double>(n)}});
    }

    // 8. DAC code, centred on 512, from the achieved frequency as written.
    double g = Read(panel, Field::DacGain);
    double fo = Read(panel, Field::Fosc);
    double y = Read(panel, Field::Fout);
    const std::int32_t c = Register(
        panel, FaultSite::C, "C",
        Evaluated(panel, FaultSite::C, {},
                [](double gg, double osc, double out) { return kDacCentre - (osc - out) * gg + kHalf; }, g, fo, y),
        FloorToInt32);

    // 9. Gain: where the output lies between F0 and FH.
    y = Read(panel, Field::Fout);
    f0 = Read(panel, Field::Fo);
    const double h = Read(panel, Field::Fh);
    const double f0Again = Read(panel, Field::Fo);
    const double gain = Evaluated(
        panel, FaultSite::Gain, {},
        [](double out, double f, double high, double f2) { return ((out - f) * kGainScale) / (high - f2); }, y, f0, h,
        f0Again);

    // 10. Gain code.
    const std::int32_t gCode = Register(
        panel, FaultSite::G, "G",
        Evaluated(panel, FaultSite::G, {{"gain", gain}}, [](double gn) { return (1.0 / gn - 1.0) * kGainCodeScale; },
                gain),
        FloorToInt32, {{"gain", gain}});

    // 11. Summary, built in a buffer that keeps its memory between calculations.
    thread_local std::string summary;
    summary.clear();
    summary += "R ";
    summary += FormatPattern(r, "####", decimalSeparator);
    summary += "\r\nN ";
    summary += TextFromNumber(n);
    summary += "   S ";
    summary += TextFromNumber(s);
    summary += "   P ";
    summary += TextFromNumber(p);
    summary += "\r\nC ";
    summary += TextFromNumber(c);
    summary += "\r\ngain ";
    summary += FormatPattern(gain, "##.###   ", decimalSeparator);
    summary += "G ";
    summary += TextFromNumber(gCode);
    summary += "\r\n";
    panel.SetText(Field::Results, summary);

    // 12. Register fields.
    WriteRegister(panel, Field::Rt, r, 4);
    WriteRegister(panel, Field::St, s, 2);
    WriteRegister(panel, Field::Pt, p, 3);
    WriteRegister(panel, Field::Ct, c, 3);
    WriteRegister(panel, Field::Gt, gCode, 2);
    values = RegisterValues{r, n, p, s, c, gCode, achievedFout, gain, mismatch};
}

void CalculateRegisters(CalcPanel& panel, std::string_view decimalSeparator) {
    RegisterValues values;
    CalculateRegisters(panel, decimalSeparator, values);
}

void CalculateRegisters(CalcPanel& panel) { CalculateRegisters(panel, LocaleDecimalSeparator()); }

}  // namespace kestrova
