// Writing numbers as the fields show them: at most 15 significant digits,
// "." as the separator whatever the locale, through std::to_chars.
#include <array>
#include <charconv>
#include <cmath>
#include <limits>
#include <optional>
#include <string>

#include "core/number_grammar.h"
#include "core/numeric_text.h"

namespace kestrova {
namespace {

using detail::kExactPowers;

// "d.dddddddddddddde+XX": a magnitude with fifteen significant digits,
// correctly rounded. The shortest form that reads back as the value is much
// cheaper to make; when it has 15 digits or fewer it is that rounding
// already: a normal double's spacing (2^-52 of it) is finer than the 15-digit
// grid (at least 10^-15 of it), so the value lies within half a grid step of
// that form.
std::string_view Scientific15(double magnitude, std::array<char, 32>& buffer) {
    auto result =
        std::to_chars(buffer.data(), buffer.data() + buffer.size(), magnitude, std::chars_format::scientific);
    // Subnormals have fewer significant bits: their shortest form can be
    // coarser than 15 digits.
    if (magnitude < std::numeric_limits<double>::min() ||
        std::string_view(buffer.data(), static_cast<std::size_t>(result.ptr - buffer.data())).rfind('e') > 16)
        result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), magnitude,
                               std::chars_format::scientific, 14);
    return {buffer.data(), static_cast<std::size_t>(result.ptr - buffer.data())};
}

// The 15-digit rounding of a value from 1 up to 1e15 that is within a small
// fraction of the 15-digit grid of a decimal with few places (900, 900.2,
// 1000.0003 computed as 1000 + 3 x 0.0001), found without to_chars. With
// 10^E <= |v| < 10^(E+1) the grid is G = 10^(E-14). For d places, m = |v|
// 10^d is off the exact product by at most 1.1 x 10^(E+d-15) (half its unit
// in the last place); an integer r with |m - r| < 2.5 x 10^(E+d-15) is then
// within 3.6 x 10^(E+d-15) < G 10^d / 2 of the exact product, so r 10^-d is
// the rounding. Anything else is left to to_chars (nothing is returned).
// The digits are those of the magnitude, trailing zeros included.
std::optional<Digits15> ShortDecimal(double magnitude) {
    if (!(magnitude >= 1.0 && magnitude < 1e15)) return std::nullopt;
    int e = 0;
    while (e < 15 && magnitude >= kExactPowers[e + 1]) ++e;
    for (int d = 0; d <= 14 - e; ++d) {
        const double m = magnitude * kExactPowers[d];
        // Round to the nearest integer (below 2^52, where the sum is exact
        // to the unit), without a library call.
        const double r = (m + 0x1p52) - 0x1p52;
        if (std::fabs(m - r) < 2.5 * kExactPowers[e + d] / 1e15)
            return Digits15{static_cast<std::int64_t>(r), -d};
    }
    return std::nullopt;
}

// The layout of TextFromNumber for significant digits (no trailing zeros)
// and the power of ten of the first of them.
std::string DecimalLayout(bool negative, std::string_view digits, int exponent) {
    const std::size_t count = digits.size();
    std::string text;  // most fit the string's own buffer: no allocation
    text.push_back(negative ? '-' : ' ');
    if (exponent < -4 || exponent >= 15) {
        text.push_back(digits[0]);
        if (count > 1) {
            text.push_back('.');
            text.append(digits.substr(1));
        }
        text.push_back('E');
        text.push_back(exponent < 0 ? '-' : '+');
        const int magnitude = exponent < 0 ? -exponent : exponent;
        if (magnitude < 10) text.push_back('0');
        std::array<char, 4> exponentDigits{};
        const auto end = std::to_chars(exponentDigits.data(), exponentDigits.data() + 4, magnitude).ptr;
        text.append(exponentDigits.data(), end);
    } else if (exponent < 0) {
        text.append("0.");
        text.append(static_cast<std::size_t>(-exponent - 1), '0');
        text.append(digits);
    } else {
        const auto integerDigits = static_cast<std::size_t>(exponent) + 1;
        if (count <= integerDigits) {
            text.append(digits);
            text.append(integerDigits - count, '0');
        } else {
            text.append(digits.substr(0, integerDigits));
            text.push_back('.');
            text.append(digits.substr(integerDigits));
        }
    }
    return text;
}

}  // namespace

Digits15 DecimalDigits15(double value) {
    detail::ThrowIfNotFinite(value);
    if (value == 0) return {};
    Digits15 digits;
    if (const std::optional<Digits15> shortDecimal = ShortDecimal(std::fabs(value))) {
        digits = *shortDecimal;
    } else {
        std::array<char, 32> buffer{};
        const std::string_view sci = Scientific15(std::fabs(value), buffer);
        std::size_t i = 0;
        for (; sci[i] != 'e'; ++i)
            if (sci[i] != '.') digits.mantissa = digits.mantissa * 10 + (sci[i] - '0');
        int power = 0;
        std::from_chars(sci.data() + i + (sci[i + 1] == '+' ? 2 : 1), sci.data() + sci.size(), power);
        digits.exponent = power - static_cast<int>(i > 1 ? i - 2 : 0);
    }
    while (digits.mantissa % 10 == 0) {
        digits.mantissa /= 10;
        ++digits.exponent;
    }
    if (value < 0) digits.mantissa = -digits.mantissa;
    return digits;
}

void AppendInteger(std::string& out, std::int32_t value) {
    std::array<char, 12> digits;  // filled from the end
    char* first = digits.data() + digits.size();
    auto magnitude = value < 0 ? 0u - static_cast<std::uint32_t>(value) : static_cast<std::uint32_t>(value);
    do {
        *--first = static_cast<char>('0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude != 0);
    if (value < 0) *--first = '-';
    out.append(first, digits.data() + digits.size());
}

std::string TextFromNumber(std::int32_t value) {
    std::string text(value >= 0 ? " " : "");
    AppendInteger(text, value);
    return text;
}

std::string TextFromNumber(double value) {
    return TextFromDigits(DecimalDigits15(value));
}

double NumberFromDigits(Digits15 digits) {
    const std::uint64_t magnitude = digits.mantissa < 0 ? 0 - static_cast<std::uint64_t>(digits.mantissa)
                                                        : static_cast<std::uint64_t>(digits.mantissa);
    if (magnitude <= (std::uint64_t{1} << 53) && digits.exponent >= -22 && digits.exponent <= 22) {
        const auto m = static_cast<double>(digits.mantissa);
        return digits.exponent >= 0 ? m * kExactPowers[digits.exponent] : m / kExactPowers[-digits.exponent];
    }
    std::array<char, 48> text{};  // "-9223372036854775808e-2147483648" at most
    char* end = std::to_chars(text.data(), text.data() + 24, digits.mantissa).ptr;
    *end = 'e';
    end = std::to_chars(end + 1, text.data() + text.size(), digits.exponent).ptr;
    double value = 0;
    if (std::from_chars(text.data(), end, value).ec == std::errc::result_out_of_range) {
        if (detail::DecimalMagnitude(
                std::string_view(text.data(), static_cast<std::size_t>(end - text.data()))) > 0)
            throw CalcFault(FaultKind::Overflow);
        return digits.mantissa < 0 ? -0.0 : 0.0;
    }
    return value;
}

std::string TextFromDigits(Digits15 digits) {
    if (digits.mantissa == 0) return " 0";
    const std::uint64_t magnitude = digits.mantissa < 0 ? 0 - static_cast<std::uint64_t>(digits.mantissa)
                                                        : static_cast<std::uint64_t>(digits.mantissa);
    std::array<char, 24> text{};
    const char* const whole = std::to_chars(text.data(), text.data() + text.size(), magnitude).ptr;
    const char* end = whole;
    while (end[-1] == '0') --end;
    const auto count = static_cast<std::size_t>(end - text.data());
    const auto trailingZeros = static_cast<int>(whole - end);
    if (count > 15) return TextFromNumber(NumberFromDigits(digits));  // rounded through binary
    const int leading = digits.exponent + trailingZeros + static_cast<int>(count) - 1;
    return DecimalLayout(digits.mantissa < 0, std::string_view(text.data(), count), leading);
}

std::string NumberText(double value) {
    std::string text = TextFromNumber(value);
    if (text.front() == ' ') text.erase(0, 1);
    return text;
}

}  // namespace kestrova
