// The calculation on an in-memory panel: the worked example, rounding and
// mismatch edges, and every fault with the exact set of fields it leaves
// changed.
#include <gtest/gtest.h>

#include <optional>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "core/calc_fault.h"
#include "core/calculation.h"

namespace kestrova {
namespace {

// Held by value: the cases outlive the braces they are written in.
using Inputs = std::vector<std::pair<Field, const char*>>;

// The worked example, with any fields replaced.
MemoryPanel Example(const Inputs& changes = {}) {
    MemoryPanel panel;
    for (const auto& [field, text] : Inputs{{Field::Fl, "900"},
                                            {Field::Fh, "1000"},
                                            {Field::Fstep, "0.5"},
                                            {Field::Fo, "700"},
                                            {Field::Fref, "10"},
                                            {Field::Fosc, "950"},
                                            {Field::DacGain, "2"},
                                            {Field::Fout, "900.2"}})
        panel.SetText(field, text);
    for (const auto& [field, text] : changes) panel.SetText(field, text);
    return panel;
}

TEST(CalculateRegisters, WorkedExample) {
    MemoryPanel panel = Example();
    CalculateRegisters(panel, ".");
    EXPECT_EQ(panel.FoutBackColor(), kPink);
    EXPECT_EQ(panel.Text(Field::Fout), " 900");
    EXPECT_EQ(panel.Text(Field::Results), "R 20\r\nN  400   S  16   P  12\r\nC  412\r\ngain .179   G  7\r\n");
    EXPECT_EQ(panel.Text(Field::Rt), "0014");
    EXPECT_EQ(panel.Text(Field::St), "10");
    EXPECT_EQ(panel.Text(Field::Pt), "00C");
    EXPECT_EQ(panel.Text(Field::Ct), "19C");
    EXPECT_EQ(panel.Text(Field::Gt), "07");
    // The inputs the calculation only reads are untouched.
    for (Field field :
         {Field::Fl, Field::Fh, Field::Fstep, Field::Fo, Field::Fref, Field::Fosc, Field::DacGain})
        EXPECT_EQ(panel.Text(field), Example().Text(field));
}

TEST(CalculateRegisters, SeparatorOnlyInTheGainLine) {
    MemoryPanel panel = Example({{Field::Fout, "900.1"}});
    CalculateRegisters(panel, ",");
    EXPECT_EQ(panel.Text(Field::Results), "R 20\r\nN  400   S  16   P  12\r\nC  412\r\ngain ,179   G  7\r\n");
    EXPECT_EQ(panel.Text(Field::Fout), " 900");
}

TEST(CalculateRegisters, SecondPressStartsFromTheAchievedFrequency) {
    // Fref / Step = 2.5 gives R = 2, so each step is 5 instead of 4.
    MemoryPanel panel = Example({{Field::Fstep, "4"}, {Field::Fref, "10"}, {Field::Fout, "712"}});
    CalculateRegisters(panel, ".");
    EXPECT_EQ(panel.Text(Field::Fout), " 715");
    CalculateRegisters(panel, ".");
    EXPECT_EQ(panel.Text(Field::Fout), " 720");
}

struct OutcomeCase {
    const char* name;
    Inputs inputs;
    Rgb colour;
    const char* fout;
    const char* results;
    std::optional<const char*> ct = std::nullopt;
    std::optional<const char*> gt = std::nullopt;
    std::optional<const char*> rt = std::nullopt;
};

void PrintTo(const OutcomeCase& c, std::ostream* os) {
    *os << c.name;
}

class CalculateOutcome : public testing::TestWithParam<OutcomeCase> {};

TEST_P(CalculateOutcome, Fields) {
    const OutcomeCase& c = GetParam();
    MemoryPanel panel = Example(c.inputs);
    CalculateRegisters(panel, ".");
    EXPECT_EQ(panel.FoutBackColor(), c.colour);
    EXPECT_EQ(panel.Text(Field::Fout), c.fout);
    EXPECT_EQ(panel.Text(Field::Results), c.results);
    if (c.ct) {
        EXPECT_EQ(panel.Text(Field::Ct), *c.ct);
    }
    if (c.gt) {
        EXPECT_EQ(panel.Text(Field::Gt), *c.gt);
    }
    if (c.rt) {
        EXPECT_EQ(panel.Text(Field::Rt), *c.rt);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Edges, CalculateOutcome,
    testing::Values(
        OutcomeCase{"OnAStepIsWhite",
                    {{Field::Fout, "900"}},
                    kWhite,
                    " 900",
                    "R 20\r\nN  400   S  16   P  12\r\nC  412\r\ngain .179   G  7\r\n"},
        OutcomeCase{"BelowF0GoesAbove",
                    {{Field::Fout, "690"}},
                    kPink,
                    " 710",
                    "R 20\r\nN  20   S  20   P  0\r\nC  32\r\ngain .009   G  183\r\n"},
        OutcomeCase{"DifferenceOfExactlyTheToleranceIsWhite",
                    {{Field::Fo, "-10"}, {Field::Fstep, "10"}, {Field::Fref, "10"}, {Field::Fout, "0.01"}},
                    kWhite,
                    " 0",
                    "R 1\r\nN  1   S  1   P  0\r\nC -1388\r\ngain .003   G  621\r\n"},
        OutcomeCase{"JustUnderTheToleranceIsWhite",
                    {{Field::Fo, "0"}, {Field::Fstep, "1"}, {Field::Fref, "1"}, {Field::Fout, "900.01"}},
                    kWhite,
                    " 900",
                    "R 1\r\nN  900   S  4   P  28\r\nC  412\r\ngain .242   G  5\r\n"},
        OutcomeCase{"JustOverTheToleranceIsPink",
                    {{Field::Fo, "0"}, {Field::Fstep, "1"}, {Field::Fref, "1"}, {Field::Fout, "100.01"}},
                    kPink,
                    " 100",
                    "R 1\r\nN  100   S  4   P  3\r\nC -1188\r\ngain .027   G  60\r\n"},
        OutcomeCase{"StepTieRoundsToEvenDown",
                    {{Field::Fo, "0"}, {Field::Fstep, "1"}, {Field::Fref, "1"}, {Field::Fout, "4000.5"}},
                    kPink,
                    " 4000",
                    "R 1\r\nN  4000   S  0   P  125\r\nC  6612\r\ngain 1.076   G -1\r\n",
                    "19D4",
                    "FFFFFFFF"},
        OutcomeCase{"StepTieRoundsToEvenUp",
                    {{Field::Fo, "0"}, {Field::Fstep, "1"}, {Field::Fref, "1"}, {Field::Fout, "4001.5"}},
                    kPink,
                    " 4002",
                    "R 1\r\nN  4002   S  2   P  125\r\nC  6616\r\ngain 1.077   G -1\r\n"},
        OutcomeCase{"DacHalfRoundsUp",
                    {{Field::Fout, "900"}, {Field::Fosc, "949.75"}},
                    kWhite,
                    " 900",
                    "R 20\r\nN  400   S  16   P  12\r\nC  413\r\ngain .179   G  7\r\n",
                    "19D"},
        OutcomeCase{"DacHalfBelowRoundsUp",
                    {{Field::Fout, "900"}, {Field::Fosc, "950.25"}},
                    kWhite,
                    " 900",
                    "R 20\r\nN  400   S  16   P  12\r\nC  412\r\ngain .179   G  7\r\n",
                    "19C"},
        OutcomeCase{"DacMinusHalfIsZero",
                    {{Field::Fout, "900"}, {Field::Fosc, "1156.25"}},
                    kWhite,
                    " 900",
                    "R 20\r\nN  400   S  16   P  12\r\nC  0\r\ngain .179   G  7\r\n",
                    "000"},
        OutcomeCase{"NegativeDacCodeIsTwosComplement",
                    {{Field::Fout, "900"}, {Field::Fosc, "1300"}},
                    kWhite,
                    " 900",
                    "R 20\r\nN  400   S  16   P  12\r\nC -288\r\ngain .179   G  7\r\n",
                    "FFFFFEE0"},
        OutcomeCase{"GainAboveOneGivesNegativeG",
                    {{Field::Fh, "750"}},
                    kPink,
                    " 900",
                    "R 20\r\nN  400   S  16   P  12\r\nC  412\r\ngain 1.076   G -1\r\n",
                    "19C",
                    "FFFFFFFF"},
        OutcomeCase{"GainAboveTwoAndAHalfGivesMinusTwo",
                    {{Field::Fh, "720"}},
                    kPink,
                    " 900",
                    "R 20\r\nN  400   S  16   P  12\r\nC  412\r\ngain 2.69   G -2\r\n",
                    "19C",
                    "FFFFFFFE"},
        OutcomeCase{"NegativeGainGivesMinusTwoOrLess",
                    {{Field::Fh, "600"}},
                    kPink,
                    " 900",
                    "R 20\r\nN  400   S  16   P  12\r\nC  412\r\ngain -.538   G -5\r\n",
                    "19C",
                    "FFFFFFFB"},
        OutcomeCase{"NegativeRIsTwosComplement",
                    {{Field::Fref, "-10"}},
                    kPink,
                    " 900",
                    "R -20\r\nN  400   S  16   P  12\r\nC  412\r\ngain .179   G  7\r\n",
                    "19C",
                    "07",
                    "FFFFFFEC"},
        OutcomeCase{"FlIsNeverRead",
                    {{Field::Fl, "not a number"}},
                    kPink,
                    " 900",
                    "R 20\r\nN  400   S  16   P  12\r\nC  412\r\ngain .179   G  7\r\n"},
        OutcomeCase{"BlanksAndJunkFollowTheGrammar",
                    {{Field::Fstep, " 0 .5 MHz"}, {Field::Fref, "1e1"}, {Field::Fout, "+900.2abc"}},
                    kPink,
                    " 900",
                    "R 20\r\nN  400   S  16   P  12\r\nC  412\r\ngain .179   G  7\r\n"}),
    [](const testing::TestParamInfo<OutcomeCase>& p) { return std::string(p.param.name); });

TEST(CalculateRegisters, OverwritesEditedOutputsAndPadsEmptiedRegisters) {
    MemoryPanel panel = Example();
    for (Field field : {Field::Results, Field::Rt, Field::St, Field::Pt, Field::Ct, Field::Gt})
        panel.SetText(field, "");
    panel.SetText(Field::Rt, "typed by the user");
    CalculateRegisters(panel, ".");
    EXPECT_EQ(panel.Text(Field::Rt), "0014");
    EXPECT_EQ(panel.Text(Field::St), "10");
    EXPECT_EQ(panel.Text(Field::Gt), "07");
}

// Faults: the kind, and the exact panel afterwards. Every output field starts
// with a marker, so that any field written before the fault shows.
struct FaultCase {
    const char* name;
    Inputs inputs;
    FaultKind kind;
    const char* message;                                    // what stopped, then what the fields read as
    std::optional<const char*> foutWritten = std::nullopt;  // when the fault comes after step 6
    Rgb colour = kPink;
};

// A number beyond the double range, too long to quote whole.
const std::string kLongHugeText = "1" + std::string(400, '0');

void PrintTo(const FaultCase& c, std::ostream* os) {
    *os << c.name;
}

class CalculateFault : public testing::TestWithParam<FaultCase> {};

TEST_P(CalculateFault, StopsAtItsStep) {
    const FaultCase& c = GetParam();
    MemoryPanel panel = Example(c.inputs);
    for (Field field : {Field::Results, Field::Rt, Field::St, Field::Pt, Field::Ct, Field::Gt})
        panel.SetText(field, "old " + std::string(FieldName(field)));
    panel.SetFoutBackColor(Rgb{1, 2, 3});
    MemoryPanel expected = panel;
    if (c.foutWritten) {
        expected.SetText(Field::Fout, *c.foutWritten);
        expected.SetFoutBackColor(c.colour);
    }

    std::optional<FaultKind> kind;
    try {
        CalculateRegisters(panel, ".");
    } catch (const CalcFault& fault) {
        kind = fault.Kind();
        EXPECT_EQ(fault.what(), std::string(c.message));
    }
    ASSERT_TRUE(kind.has_value()) << "no fault";
    EXPECT_EQ(*kind, c.kind) << FaultWords(*kind);
    for (Field field : kAllFields) EXPECT_EQ(panel.Text(field), expected.Text(field)) << FieldName(field);
    EXPECT_EQ(panel.FoutBackColor(), expected.FoutBackColor());
}

INSTANTIATE_TEST_SUITE_P(
    EveryStep, CalculateFault,
    testing::Values(
        // Reading a text beyond the double range.
        FaultCase{"ReadHugeStep",
                  {{Field::Fstep, "1e400"}},
                  FaultKind::Overflow,
                  "The calculation stopped reading Step: overflow.\n"
                  "Step's box holds \"1e400\", beyond the double range."},
        FaultCase{"ReadHugeFosc",
                  {{Field::Fosc, "-2e308"}},
                  FaultKind::Overflow,
                  "The calculation stopped reading Fosc: overflow.\n"
                  "Fosc's box holds \"-2e308\", beyond the double range.",
                  " 900"},
        FaultCase{"ReadLongHugeText",
                  {{Field::Fref, kLongHugeText.c_str()}},
                  FaultKind::Overflow,
                  "The calculation stopped reading Fref: overflow.\n"
                  "Fref's box holds \"100000000000000000000000\u2026\", beyond the double range."},
        // 1. Fref / Step.
        FaultCase{"Step1DivisionByZero",
                  {{Field::Fstep, "0"}},
                  FaultKind::DivisionByZero,
                  "The calculation stopped at R = Fref / Step: division by zero.\n"
                  "Fref reads as 10; Step reads as 0."},
        FaultCase{"Step1Invalid",
                  {{Field::Fstep, "0"}, {Field::Fref, "0"}},
                  FaultKind::InvalidOperation,
                  "The calculation stopped at R = Fref / Step: invalid operation.\n"
                  "Fref and Step both read as 0."},
        FaultCase{"FreshDefaults",
                  {{Field::Fl, "0"},
                   {Field::Fh, "0"},
                   {Field::Fstep, "0"},
                   {Field::Fo, "0"},
                   {Field::Fref, "0"},
                   {Field::Fosc, "0"},
                   {Field::DacGain, "0"},
                   {Field::Fout, "0"}},
                  FaultKind::InvalidOperation,
                  "The calculation stopped at R = Fref / Step: invalid operation.\n"
                  "Fref and Step both read as 0."},
        FaultCase{"Step1CommaReadsAsZero",
                  {{Field::Fstep, "0,5"}},
                  FaultKind::DivisionByZero,
                  "The calculation stopped at R = Fref / Step: division by zero.\n"
                  "Fref reads as 10; Step reads as 0 (its box holds \"0,5\")."},
        FaultCase{"Step1EmptyFrefAndUnitInStep",
                  {{Field::Fstep, "0 MHz"}, {Field::Fref, ""}},
                  FaultKind::InvalidOperation,
                  "The calculation stopped at R = Fref / Step: invalid operation.\n"
                  "Fref and Step both read as 0 (Fref's box is empty, Step's box holds \"0 MHz\")."},
        FaultCase{"Step1Overflow",
                  {{Field::Fstep, "1e-300"}, {Field::Fref, "1e300"}},
                  FaultKind::Overflow,
                  "The calculation stopped at R = Fref / Step: overflow.\n"
                  "Fref reads as 1E+300; Step reads as 1E-300."},
        FaultCase{"Step1RBeyondInt32",
                  {{Field::Fstep, "1"}, {Field::Fref, "2147483647.5"}},
                  FaultKind::Overflow,
                  "The calculation stopped at R = Fref / Step: overflow, R = 2147483647.5 is beyond the "
                  "32-bit range.\n"
                  "Fref reads as 2147483647.5; Step reads as 1."},
        // 2. |(Fout - F0) / Step|.
        FaultCase{"Step2Overflow",
                  {{Field::Fstep, "1e-10"}, {Field::Fref, "1e-10"}, {Field::Fout, "1e300"}},
                  FaultKind::Overflow,
                  "The calculation stopped at N = |Fout − F0| / Step: overflow.\n"
                  "Fout reads as 1E+300; F0 reads as 700; Step reads as 1E-10."},
        FaultCase{"Step2IntermediateOverflow",
                  {{Field::Fstep, "1e300"},
                   {Field::Fref, "1e300"},
                   {Field::Fo, "-1.5e308"},
                   {Field::Fout, "1.5e308"}},
                  FaultKind::Overflow,
                  "The calculation stopped at N = |Fout − F0| / Step: overflow.\n"
                  "Fout reads as 1.5E+308; F0 reads as -1.5E+308; Step reads as 1E+300."},
        FaultCase{"Step2NBeyondInt32",
                  {{Field::Fout, "1073742524"}},
                  FaultKind::Overflow,
                  "The calculation stopped at N = |Fout − F0| / Step: overflow, N = 2147483648 is beyond the "
                  "32-bit range.\n"
                  "Fout reads as 1073742524; F0 reads as 700; Step reads as 0.5."},
        // 3. N x Fref / R + F0, with R = 0.
        FaultCase{"Step3DivisionByZero",
                  {{Field::Fref, "0.25"}},
                  FaultKind::DivisionByZero,
                  "The calculation stopped at Fout = N × Fref / R + F0: division by zero.\n"
                  "R is 0; N is 400; Fref reads as 0.25; F0 reads as 700."},
        FaultCase{"Step3Invalid",
                  {{Field::Fref, "0"}},
                  FaultKind::InvalidOperation,
                  "The calculation stopped at Fout = N × Fref / R + F0: invalid operation.\n"
                  "R is 0; N is 400; Fref reads as 0; F0 reads as 700."},
        FaultCase{"Step3Overflow",
                  {{Field::Fstep, "1e291"}, {Field::Fref, "1e300"}, {Field::Fo, "0"}, {Field::Fout, "2e300"}},
                  FaultKind::Overflow,
                  "The calculation stopped at Fout = N × Fref / R + F0: overflow.\n"
                  "R is 1000000000; N is 2000000000; Fref reads as 1E+300; F0 reads as 0."},
        // 4. |achieved - wanted|.
        FaultCase{
            "Step4Overflow",
            {{Field::Fstep, "-1e300"}, {Field::Fref, "-1e300"}, {Field::Fo, "0"}, {Field::Fout, "1e308"}},
            FaultKind::Overflow,
            "The calculation stopped at |achieved − wanted Fout|: overflow.\n"
            "the achieved Fout is -1E+308; Fout reads as 1E+308."},
        // 8. DAC code.
        FaultCase{"Step8Overflow",
                  {{Field::Fout, "900"}, {Field::DacGain, "1e307"}, {Field::Fosc, "-1e300"}},
                  FaultKind::Overflow,
                  "The calculation stopped at C = 512 − (Fosc − Fout) × DAC Gain + 0.5: overflow.\n"
                  "Fosc reads as -1E+300; Fout reads as 900; DAC Gain reads as 1E+307.",
                  " 900",
                  kWhite},
        FaultCase{"Step8Invalid",
                  {{Field::Fstep, "1e300"},
                   {Field::Fref, "1e300"},
                   {Field::Fo, "0"},
                   {Field::Fout, "1e308"},
                   {Field::Fosc, "-1e308"},
                   {Field::DacGain, "0"}},
                  FaultKind::InvalidOperation,
                  "The calculation stopped at C = 512 − (Fosc − Fout) × DAC Gain + 0.5: invalid operation.\n"
                  "Fosc reads as -1E+308; Fout reads as 1E+308; DAC Gain reads as 0.",
                  " 1E+308",
                  kWhite},
        FaultCase{"Step8CBeyondInt32",
                  {{Field::Fout, "900"}, {Field::DacGain, "1e10"}},
                  FaultKind::Overflow,
                  "The calculation stopped at C = 512 − (Fosc − Fout) × DAC Gain + 0.5: overflow, C = "
                  "-499999999487.5 is beyond the 32-bit range.\n"
                  "Fosc reads as 950; Fout reads as 900; DAC Gain reads as 10000000000.",
                  " 900",
                  kWhite},
        // 9. Gain.
        FaultCase{"Step9DivisionByZero",
                  {{Field::Fh, "700"}},
                  FaultKind::DivisionByZero,
                  "The calculation stopped at gain = (Fout − F0) × 0.269 / (FH − F0): division by zero.\n"
                  "Fout reads as 900; F0 and FH both read as 700.",
                  " 900"},
        FaultCase{"Step9Invalid",
                  {{Field::Fh, "700"}, {Field::Fout, "700.1"}},
                  FaultKind::InvalidOperation,
                  "The calculation stopped at gain = (Fout − F0) × 0.269 / (FH − F0): invalid operation.\n"
                  "Fout, F0 and FH all read as 700.",
                  " 700"},
        FaultCase{"Step9DenominatorOverflowsToAZeroQuotient",
                  {{Field::Fh, "1.5e308"},
                   {Field::Fo, "-1.5e308"},
                   {Field::Fstep, "1e300"},
                   {Field::Fref, "1e300"},
                   {Field::Fout, "-1.5e308"},
                   {Field::DacGain, "0"}},
                  FaultKind::Overflow,
                  "The calculation stopped at gain = (Fout − F0) × 0.269 / (FH − F0): overflow.\n"
                  "Fout and F0 both read as -1.5E+308; FH reads as 1.5E+308.",
                  "-1.5E+308",
                  kWhite},
        // 10. Gain code.
        FaultCase{"Step10DivisionByZero",
                  {{Field::Fout, "700.1"}},
                  FaultKind::DivisionByZero,
                  "The calculation stopped at G = (1 / gain − 1) × 1.66: division by zero.\n"
                  "gain is 0; Fout and F0 both read as 700; FH reads as 1000.",
                  " 700"},
        // A subnormal gain (its underflow is no fault) whose reciprocal overflows.
        FaultCase{"Step10Overflow",
                  {{Field::Fo, "0"},
                   {Field::Fstep, "1"},
                   {Field::Fref, "1"},
                   {Field::Fout, "1"},
                   {Field::Fh, "1e308"}},
                  FaultKind::Overflow,
                  "The calculation stopped at G = (1 / gain − 1) × 1.66: overflow.\n"
                  "gain is 2.69E-309; Fout reads as 1; F0 reads as 0; FH reads as 1E+308.",
                  " 1",
                  kWhite},
        // N = 0, but the 15-digit text of F0 is not F0, so gain is tiny, not 0.
        FaultCase{"Step10OverflowFromTheRoundedF0",
                  {{Field::Fo, "0.12345678901234567"},
                   {Field::Fstep, "1"},
                   {Field::Fref, "1"},
                   {Field::Fout, "0.12345678901234567"},
                   {Field::Fh, "1e300"}},
                  FaultKind::Overflow,
                  "The calculation stopped at G = (1 / gain − 1) × 1.66: overflow.\n"
                  "gain is 8.95949956271806E-317; Fout reads as 0.123456789012346; F0 reads as "
                  "0.123456789012346; FH reads as 1E+300.",
                  " 0.123456789012346",
                  kWhite},
        FaultCase{"Step10GBeyondInt32",
                  {{Field::Fo, "0"},
                   {Field::Fstep, "1"},
                   {Field::Fref, "1"},
                   {Field::Fout, "1"},
                   {Field::Fh, "1e10"}},
                  FaultKind::Overflow,
                  "The calculation stopped at G = (1 / gain − 1) × 1.66: overflow, G = 61710037173.0612 is "
                  "beyond the 32-bit range.\n"
                  "gain is 2.69E-11; Fout reads as 1; F0 reads as 0; FH reads as 10000000000.",
                  " 1",
                  kWhite}),
    [](const testing::TestParamInfo<FaultCase>& p) { return std::string(p.param.name); });

}  // namespace
}  // namespace kestrova
