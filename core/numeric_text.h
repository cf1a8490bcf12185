// Conversions between the text of a panel field and numbers, and the two
// integer conversions of the calculation. Everything here uses "." as the
// decimal separator except FormatPattern, which shows the user's own.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "core/exact_arithmetic.h"

namespace kestrova {

// The numeric value of a field's text. Blanks, tabs and line feeds are
// ignored wherever they stand; then an optional sign, digits with at most one
// ".", and an optional exponent ("e" or "E", optional sign, digits) are read
// from the start, and reading stops at the first character that cannot
// continue the number ("12abc" is 12, "1,5" is 1, "1e" is 1). No number at
// the start reads as 0. A magnitude below the smallest double reads as the
// nearest double (0 or subnormal).
// Raises CalcFault (overflow) for a magnitude beyond the double range.
double NumberFromText(std::string_view text);

// Whether the text, blanks aside, is one number of that grammar and nothing
// else: " 900.2", "-1e3" and "9 00" are; "", "abc", "1,5", "900MHz" and "1e"
// are not (they read as 0, 0, 1, 900 and 1).
bool IsWholeNumber(std::string_view text);

// The number NumberFromText reads from a text, exactly as its digits say it,
// before any rounding to a double: digits (no leading zeros; none for zero)
// x 10^exponent, and its sign. An exponent beyond a billion is taken as a
// billion.
struct ExactDecimal {
    bool negative = false;
    std::string digits;
    long long exponent = 0;
};
ExactDecimal ExactDecimalFromText(std::string_view text);

// Plain decimal form with a sign position: " 200", "-3".
std::string TextFromNumber(std::int32_t value);

// The integer's digits, with "-" when negative, appended to a text without
// an allocation of their own: "200", "-3".
void AppendInteger(std::string& out, std::int32_t value);

// At most 15 significant digits, rounded to nearest (ties to even), without
// trailing zeros or a bare decimal point; a blank before a value of zero or
// more (negative zero too), "-" before a negative one. A magnitude below 1
// has a leading "0" (" 0.25"). Magnitudes from 1E+15 up, or below 1E-04, use
// an exponent form: " 1E+20", " 1.5E-07". NumberFromText reads every result
// back to the same 15 digits.
// Raises CalcFault for an infinity (overflow) or a NaN (invalid operation),
// so neither can ever reach a field.
std::string TextFromNumber(double value);

// TextFromNumber without its sign position: "900.2", "-3", "1E+20". For a
// number inside a sentence or a table cell.
std::string NumberText(double value);

// A value rounded to 15 significant digits, as TextFromNumber writes it:
// its digits as an integer, without trailing zeros, and the power of ten
// that scales them (900.2 gives 9002 and -1; 0 gives 0 and 0). For exact
// decimal arithmetic on what the user sees. Raises CalcFault as
// TextFromNumber does.
struct Digits15 {
    std::int64_t mantissa = 0;
    int exponent = 0;
};
Digits15 DecimalDigits15(double value);

// The double nearest to mantissa x 10^exponent; raises CalcFault (overflow)
// beyond the double range.
double NumberFromDigits(Digits15 digits);

// What TextFromNumber writes for the decimal mantissa x 10^exponent, made
// from the digits themselves, so a decimal result shows without binary
// noise; a mantissa of more than 15 digits is rounded through the nearest
// double.
std::string TextFromDigits(Digits15 digits);

// The value shown through a pattern of "#" digit placeholders, with at most
// one "." (see the source for the rules). The separator is written for the
// ".". Used with "####" and "##.###   ".
// Raises CalcFault for an infinity or a NaN, as TextFromNumber does.
std::string FormatPattern(double value, std::string_view pattern, std::string_view decimalSeparator);

// The same with the decimal separator of the user's numeric locale, as the
// C library reads it from LC_ALL, LC_NUMERIC and LANG.
std::string FormatPattern(double value, std::string_view pattern);

// The decimal separator of the user's numeric locale ("." when the locale
// named by the environment is not installed). May be more than one byte.
std::string LocaleDecimalSeparator();

// Upper-case hexadecimal without prefix or leading zeros; a negative value
// as its 32-bit two's complement ("FFFFFFFF" for -1).
std::string HexText(std::int32_t value);

// The value of a hexadecimal digit of either case, or -1 for any other character.
constexpr int HexDigitValue(char c) {
    return c >= '0' && c <= '9'   ? c - '0'
           : c >= 'a' && c <= 'f' ? c - 'a' + 10
           : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                  : -1;
}

// The text with "0" prepended until it is at least width characters long.
std::string PadLeftZeros(std::string_view text, std::size_t width);

// The nearest integer, an exact tie to the even one.
// Raises CalcFault (overflow) outside the signed 32-bit range, (invalid
// operation) for a NaN.
std::int32_t RoundToInt32(double value);

// The greatest integer not above the value.
// Raises CalcFault as RoundToInt32 does.
std::int32_t FloorToInt32(double value);

}  // namespace kestrova
