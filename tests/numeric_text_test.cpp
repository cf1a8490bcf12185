// Text to number, number to text, patterns, hexadecimal and the integer
// conversions, each as a table of cases.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <limits>
#include <optional>
#include <ostream>
#include <string>

#include "core/calc_fault.h"
#include "core/numeric_text.h"

namespace kestrova {
namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

std::optional<FaultKind> FaultOf(auto&& call) {
    try {
        call();
    } catch (const CalcFault& fault) {
        return fault.Kind();
    }
    return std::nullopt;
}

struct ParseCase {
    const char* text;
    double value;
};

void PrintTo(const ParseCase& c, std::ostream* os) {
    *os << '"' << c.text << '"';
}

class NumberFromTextReads : public testing::TestWithParam<ParseCase> {};

TEST_P(NumberFromTextReads, Value) {
    const ParseCase& c = GetParam();
    const double got = NumberFromText(c.text);
    EXPECT_EQ(got, c.value) << '"' << c.text << '"';
    EXPECT_EQ(std::signbit(got), std::signbit(c.value)) << '"' << c.text << '"';
}

INSTANTIATE_TEST_SUITE_P(
    Grammar, NumberFromTextReads,
    testing::Values(ParseCase{"", 0}, ParseCase{"abc", 0}, ParseCase{"900", 900}, ParseCase{" 900", 900},
                    ParseCase{"9 00", 900}, ParseCase{"\t9\n0 0 ", 900}, ParseCase{"-0.5", -0.5},
                    ParseCase{"+2.5", 2.5}, ParseCase{"- 2", -2}, ParseCase{"1e3", 1000},
                    ParseCase{"1E3", 1000}, ParseCase{"1e+3", 1000}, ParseCase{"25e-1", 2.5},
                    ParseCase{"1 e 3", 1000}, ParseCase{".5", 0.5}, ParseCase{"5.", 5},
                    ParseCase{"12abc", 12}, ParseCase{"1,5", 1}, ParseCase{"3.5.1", 3.5}, ParseCase{"1e", 1},
                    ParseCase{"1e+", 1}, ParseCase{"1e-x", 1}, ParseCase{"2E5.5", 2e5}, ParseCase{".", 0},
                    ParseCase{"-", 0}, ParseCase{"+", 0}, ParseCase{"-.", 0}, ParseCase{"--1", 0},
                    ParseCase{"+-1", 0}, ParseCase{"e5", 0}, ParseCase{".e5", 0}, ParseCase{"0x10", 0},
                    ParseCase{"inf", 0}, ParseCase{"nan", 0}, ParseCase{"-inf", 0}, ParseCase{"Infinity", 0},
                    ParseCase{"1\r2", 1}, ParseCase{"-0", -0.0}, ParseCase{"0.1", 0.1},
                    ParseCase{"900.2", 900.2}, ParseCase{"000012.50000", 12.5}, ParseCase{"1e-400", 0},
                    ParseCase{"-1e-400", -0.0}, ParseCase{"0.0000e99999999999999999999", 0},
                    ParseCase{"1e-99999999999999999999", 0},
                    ParseCase{"4.9406564584124654e-324", 4.9406564584124654e-324},
                    ParseCase{"1.7976931348623157e308", 1.7976931348623157e308},
                    ParseCase{"0.000001e-318", 0}, ParseCase{"1e-320", 1e-320}));

// Whole: the text is one number and nothing else, blanks aside.
TEST(IsWholeNumber, OnlyTextsThatReadAsWritten) {
    for (const char* text :
         {"900", " 900.2 ", "9 00", "-0.5", "+ 2", ".5", "5.", "1e3", "1 E -3", "25e+1", "1e400", "\t7\n"})
        EXPECT_TRUE(IsWholeNumber(text)) << '"' << text << '"';
    for (const char* text : {"", "  ", "abc", "1,5", "900.2MHz", "10 MHz", "3.5.1", "1e", "1e+", ".", "-",
                             "--1", "e5", "0x10", "inf", "1\r2", "12abc"})
        EXPECT_FALSE(IsWholeNumber(text)) << '"' << text << '"';
}

TEST(NumberFromText, BeyondTheDoubleRangeIsOverflow) {
    for (const char* text :
         {"1e400", "-1e400", "1.8e308", "1e99999999999999999999", "123456789e301", "0.01e311"}) {
        EXPECT_EQ(FaultOf([&] { NumberFromText(text); }), FaultKind::Overflow) << text;
    }
}

TEST(NumberFromText, LongTextsReadWhole) {
    EXPECT_EQ(NumberFromText(std::string(100000, '0') + "1"), 1);
    EXPECT_EQ(NumberFromText("0." + std::string(100000, '0') + "1e100001"), 1);
    EXPECT_EQ(NumberFromText(std::string(100000, ' ') + "7"), 7);
    EXPECT_EQ(NumberFromText("1" + std::string(300, '0')), 1e300);
}

struct IntTextCase {
    std::int32_t value;
    const char* text;
};

TEST(TextFromNumber, Integers) {
    for (const IntTextCase& c :
         {IntTextCase{0, " 0"}, IntTextCase{16, " 16"}, IntTextCase{200, " 200"}, IntTextCase{-3, "-3"},
          IntTextCase{INT32_MAX, " 2147483647"}, IntTextCase{INT32_MIN, "-2147483648"}}) {
        EXPECT_EQ(TextFromNumber(c.value), c.text);
    }
}

struct DoubleTextCase {
    double value;
    const char* text;
};

void PrintTo(const DoubleTextCase& c, std::ostream* os) {
    *os << '"' << c.text << '"';
}

class TextFromDouble : public testing::TestWithParam<DoubleTextCase> {};

TEST_P(TextFromDouble, Text) {
    EXPECT_EQ(TextFromNumber(GetParam().value), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(
    Forms, TextFromDouble,
    testing::Values(DoubleTextCase{0.0, " 0"}, DoubleTextCase{-0.0, " 0"}, DoubleTextCase{900.0, " 900"},
                    DoubleTextCase{900.25, " 900.25"}, DoubleTextCase{-900.25, "-900.25"},
                    DoubleTextCase{0.9999999999999999, " 1"}, DoubleTextCase{0.1 + 0.2, " 0.3"},
                    DoubleTextCase{0.5, " 0.5"}, DoubleTextCase{-0.25, "-0.25"},
                    DoubleTextCase{0.0001, " 0.0001"}, DoubleTextCase{0.00001, " 1E-05"},
                    DoubleTextCase{1.5e-7, " 1.5E-07"}, DoubleTextCase{999999999999999.0, " 999999999999999"},
                    DoubleTextCase{1e15, " 1E+15"}, DoubleTextCase{9999999999999999.0, " 1E+16"},
                    DoubleTextCase{1e20, " 1E+20"}, DoubleTextCase{-1.25e100, "-1.25E+100"},
                    DoubleTextCase{1.7976931348623157e308, " 1.79769313486232E+308"},
                    DoubleTextCase{4.9406564584124654e-324, " 4.94065645841247E-324"},
                    DoubleTextCase{123456789.123456789, " 123456789.123457"},
                    DoubleTextCase{100.0 / 3, " 33.3333333333333"},
                    // Exact ties at the fifteenth digit go to the even digit.
                    DoubleTextCase{100000000000000.5, " 100000000000000"},
                    DoubleTextCase{100000000000001.5, " 100000000000002"}));

TEST(TextFromNumber, NonFiniteValuesNeverBecomeText) {
    EXPECT_EQ(FaultOf([] { TextFromNumber(kInf); }), FaultKind::Overflow);
    EXPECT_EQ(FaultOf([] { TextFromNumber(-kInf); }), FaultKind::Overflow);
    EXPECT_EQ(FaultOf([] { TextFromNumber(kNaN); }), FaultKind::InvalidOperation);
}

struct PatternCase {
    double value;
    const char* pattern;
    const char* separator;
    const char* text;
};

void PrintTo(const PatternCase& c, std::ostream* os) {
    *os << '"' << c.text << '"';
}

class FormatPatternShows : public testing::TestWithParam<PatternCase> {};

TEST_P(FormatPatternShows, Text) {
    const PatternCase& c = GetParam();
    EXPECT_EQ(FormatPattern(c.value, c.pattern, c.separator), c.text)
        << c.value << " through \"" << c.pattern << '"';
}

INSTANTIATE_TEST_SUITE_P(
    Patterns, FormatPatternShows,
    testing::Values(
        PatternCase{20, "####", ".", "20"}, PatternCase{0, "####", ".", ""},
        PatternCase{12345, "####", ".", "12345"}, PatternCase{-20, "####", ".", "-20"},
        PatternCase{19.5, "####", ".", "20"}, PatternCase{20.5, "####", ".", "20"},
        PatternCase{-0.4, "####", ".", ""}, PatternCase{-0.0, "####", ".", ""},
        PatternCase{0.179333, "##.###   ", ".", ".179   "}, PatternCase{1, "##.###   ", ".", "1.   "},
        PatternCase{12.5, "##.###   ", ".", "12.5   "}, PatternCase{-0.5, "##.###   ", ".", "-.5   "},
        PatternCase{0, "##.###   ", ".", ".   "}, PatternCase{-0.0004, "##.###   ", ".", ".   "},
        PatternCase{0.9996, "##.###   ", ".", "1.   "},
        PatternCase{1234.5678, "##.###   ", ".", "1234.568   "},
        PatternCase{0.0625, "##.###   ", ".", ".062   "}, PatternCase{0.179333, "##.###   ", ",", ",179   "},
        PatternCase{1, "##.###   ", "\xD9\xAB", "1\xD9\xAB   "}, PatternCase{7, "[##]", ".", "[7]"},
        PatternCase{1e20, "####", ".", "100000000000000000000"}));

TEST(FormatPattern, NonFiniteValuesNeverBecomeText) {
    EXPECT_EQ(FaultOf([] { FormatPattern(kInf, "####", "."); }), FaultKind::Overflow);
    EXPECT_EQ(FaultOf([] { FormatPattern(kNaN, "##.###", "."); }), FaultKind::InvalidOperation);
}

// The separator comes from the environment's numeric locale. The C++ side
// of the process keeps the "C" locale throughout, as a Qt program does not.
class LocaleSeparator : public testing::Test {
protected:
    void SetUp() override {
        if (const char* old = std::getenv("LC_ALL")) saved_ = old;
    }
    void TearDown() override {
        if (saved_)
            setenv("LC_ALL", saved_->c_str(), 1);
        else
            unsetenv("LC_ALL");
    }
    std::optional<std::string> saved_;
};

TEST_F(LocaleSeparator, CommaLocaleShowsComma) {
    setenv("LC_ALL", "de_DE.UTF-8", 1);
    const std::string separator = LocaleDecimalSeparator();
    if (separator == "." && std::getenv("KESTROVA_REQUIRE_DE_LOCALE") == nullptr)
        GTEST_SKIP() << "de_DE.UTF-8 is not installed";
    EXPECT_EQ(separator, ",");
    EXPECT_EQ(FormatPattern(0.179333, "##.###   "), ",179   ");
    // Only the pattern follows the locale.
    EXPECT_EQ(TextFromNumber(900.25), " 900.25");
    EXPECT_EQ(NumberFromText("1,5"), 1);
}

TEST_F(LocaleSeparator, CAndUnknownLocalesShowPoint) {
    for (const char* name : {"C", "POSIX", "xx_NOWHERE.UTF-8"}) {
        setenv("LC_ALL", name, 1);
        EXPECT_EQ(LocaleDecimalSeparator(), ".") << name;
    }
}

struct HexCase {
    std::int32_t value;
    const char* text;
};

TEST(HexText, TwosComplement) {
    for (const HexCase& c : {HexCase{0, "0"}, HexCase{412, "19C"}, HexCase{20, "14"}, HexCase{255, "FF"},
                             HexCase{INT32_MAX, "7FFFFFFF"}, HexCase{-1, "FFFFFFFF"}, HexCase{-2, "FFFFFFFE"},
                             HexCase{INT32_MIN, "80000000"}, HexCase{0xABCDEF, "ABCDEF"}}) {
        EXPECT_EQ(HexText(c.value), c.text) << c.value;
    }
}

struct PadCase {
    const char* text;
    std::size_t width;
    const char* padded;
};

TEST(PadLeftZeros, UpToWidth) {
    for (const PadCase& c :
         {PadCase{"14", 4, "0014"}, PadCase{"19C", 3, "19C"}, PadCase{"FFFFFFFE", 2, "FFFFFFFE"},
          PadCase{"", 2, "00"}, PadCase{"7", 0, "7"}}) {
        EXPECT_EQ(PadLeftZeros(c.text, c.width), c.padded);
    }
}

struct IntegerCase {
    double value;
    std::int32_t round;  // RoundToInt32
    std::int32_t floor;  // FloorToInt32
};

TEST(IntegerConversions, RoundTiesToEvenAndFloorDownward) {
    for (const IntegerCase& c :
         {IntegerCase{0, 0, 0}, IntegerCase{0.5, 0, 0}, IntegerCase{1.5, 2, 1}, IntegerCase{2.5, 2, 2},
          IntegerCase{3.5, 4, 3}, IntegerCase{-2.5, -2, -3}, IntegerCase{-0.5, 0, -1},
          IntegerCase{6.25, 6, 6}, IntegerCase{412.5, 412, 412}, IntegerCase{4000.5, 4000, 4000},
          IntegerCase{4001.5, 4002, 4001}, IntegerCase{0.49999999999999994, 0, 0},
          IntegerCase{2147483647.4, 2147483647, 2147483647},
          IntegerCase{2147483646.5, 2147483646, 2147483646},
          IntegerCase{-2147483647.5, -2147483648, -2147483648}, IntegerCase{-2147483648.4, -2147483648, 0}}) {
        EXPECT_EQ(RoundToInt32(c.value), c.round) << c.value;
        if (c.value > -2147483648.0) {
            EXPECT_EQ(FloorToInt32(c.value), c.floor) << c.value;
        }
    }
}

TEST(IntegerConversions, OutsideInt32IsOverflow) {
    for (double v : {2147483647.5, 2147483648.0, -2147483648.6, 1e300, -1e300, kInf, -kInf}) {
        EXPECT_EQ(FaultOf([&] { RoundToInt32(v); }), FaultKind::Overflow) << v;
    }
    for (double v : {2147483648.0, -2147483648.5, -2147483648.0000005, 1e300, kInf, -kInf}) {
        EXPECT_EQ(FaultOf([&] { FloorToInt32(v); }), FaultKind::Overflow) << v;
    }
    EXPECT_EQ(FaultOf([] { RoundToInt32(kNaN); }), FaultKind::InvalidOperation);
    EXPECT_EQ(FaultOf([] { FloorToInt32(kNaN); }), FaultKind::InvalidOperation);
    EXPECT_EQ(FloorToInt32(2147483647.9), 2147483647);
}

TEST(CalcFault, NamesItsKind) {
    EXPECT_STREQ(CalcFault(FaultKind::DivisionByZero).what(), "division by zero");
    EXPECT_STREQ(CalcFault(FaultKind::InvalidOperation).what(), "invalid operation");
    EXPECT_STREQ(CalcFault(FaultKind::Overflow).what(), "overflow");
}

}  // namespace
}  // namespace kestrova
