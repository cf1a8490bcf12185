// Decoding register sets with the calculation's own formulas and roundings.
#include "plan/checks/decode.h"

#include <string>

#include "core/calc_fault.h"
#include "core/fault_check.h"
#include "core/fault_description.h"
#include "core/formulas.h"
#include "core/numeric_text.h"
#include "core/registers.h"
#include "plan/run/parameters.h"

namespace kestrova::plan {
namespace {

// A register's value in its own form: the window's hexadecimal, padded.
std::string RegisterForm(std::int32_t value, std::size_t width) {
    return PadLeftZeros(HexText(value), width);
}

// The value of a formula, or the calculation's words for its fault.
template <class F, class... Operands>
std::optional<double> Formula(FaultSite site, std::vector<std::string>& problems, F formula,
                              Operands... operands) {
    try {
        return detail::Evaluate(formula, operands...);
    } catch (const CalcFault& fault) {
        problems.push_back(std::string("the calculation stops at ") + detail::FormulaWords(site) + ": " +
                           FaultWords(fault.Kind()));
        return std::nullopt;
    }
}

// A formula's result as a register, rounded as the calculation rounds it.
std::optional<std::int32_t> Register(const char* name, std::optional<double> value,
                                     std::int32_t (*convert)(double), std::vector<std::string>& problems) {
    if (!value) return std::nullopt;
    try {
        return convert(*value);
    } catch (const CalcFault&) {
        problems.push_back(std::string("the calculation gives ") + name + " = " + NumberText(*value) +
                           ", beyond the 32-bit range");
        return std::nullopt;
    }
}

}  // namespace

Decoder::Decoder(const CalcPanel& parameters)
    : step_(ReadParameter(parameters, Field::Fstep)),
      fref_(ReadParameter(parameters, Field::Fref)),
      f0_(ReadParameter(parameters, Field::Fo)),
      fosc_(ReadParameter(parameters, Field::Fosc)),
      dacGain_(ReadParameter(parameters, Field::DacGain)),
      fh_(ReadParameter(parameters, Field::Fh)) {}

DecodedSet Decoder::Decode(const RegisterSet& set) const {
    DecodedSet decoded{set, 0, std::nullopt, {}};
    std::vector<std::string>& problems = decoded.problems;
    const std::int32_t r = set.r.value, s = set.s.value, p = set.p.value;

    if (s < 0 || s >= formulas::kSplitFactor)
        problems.push_back("S is " + set.s.text + ", outside " + RegisterForm(0, kRegisters[1].width) +
                           " to " + RegisterForm(formulas::kSplitFactor - 1, kRegisters[1].width));
    decoded.n = std::int64_t{formulas::kSplitFactor} * p + s;
    // The calculation's N counts steps from F0: never negative, and within 32 bits.
    const bool nFits = decoded.n >= 0 && decoded.n <= INT32_MAX;
    if (decoded.n < 0)
        problems.push_back("N = 32 \u00d7 P + S = " + std::to_string(decoded.n) +
                           " is negative, which the calculation never gives");
    else if (!nFits)
        problems.push_back("N = 32 \u00d7 P + S = " + std::to_string(decoded.n) +
                           " is beyond the 32-bit range");

    const std::optional<std::int32_t> expectedR = Register(
        "R", Formula(FaultSite::R, problems, formulas::Reference, step_, fref_), RoundToInt32, problems);
    if (expectedR && *expectedR != r)
        problems.push_back("R is " + set.r.text + ", but Fref / Step gives " +
                           RegisterForm(*expectedR, kRegisters[0].width));

    if (!nFits) return decoded;
    const std::optional<double> achieved =
        Formula(FaultSite::Achieved, problems, formulas::Achieved, static_cast<double>(decoded.n), fref_,
                static_cast<double>(r), f0_);
    if (!achieved) return decoded;
    try {
        decoded.achieved = NumberText(*achieved);
    } catch (const CalcFault& fault) {
        problems.push_back(std::string("the calculation stops writing Fout: ") + FaultWords(fault.Kind()));
        return decoded;
    }
    if (!set.c || !set.g) return decoded;

    // C and G as the calculation gives them, from Fout as written.
    const double out = NumberFromText(*decoded.achieved);
    const std::optional<std::int32_t> c = Register(
        "C", Formula(FaultSite::C, problems, formulas::Dac, dacGain_, fosc_, out), FloorToInt32, problems);
    if (c && *c != set.c->value)
        problems.push_back("C is " + set.c->text + ", but the calculation gives " +
                           RegisterForm(*c, kRegisters[3].width) + " at " + *decoded.achieved);
    const std::optional<double> gain = Formula(FaultSite::Gain, problems, formulas::Gain, out, f0_, fh_, f0_);
    if (!gain) return decoded;
    const std::optional<std::int32_t> g =
        Register("G", Formula(FaultSite::G, problems, formulas::GainCode, *gain), FloorToInt32, problems);
    if (g && *g != set.g->value)
        problems.push_back("G is " + set.g->text + ", but the calculation gives " +
                           RegisterForm(*g, kRegisters[4].width) + " at " + *decoded.achieved);
    return decoded;
}

}  // namespace kestrova::plan
