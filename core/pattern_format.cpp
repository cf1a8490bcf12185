// The value shown through a pattern of "#" placeholders, and the user's
// decimal separator for it.
#include <langinfo.h>
#include <locale.h>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "core/number_grammar.h"
#include "core/numeric_text.h"

namespace kestrova {
namespace {

// A magnitude rounded to the given places, as to_chars writes it in fixed
// notation ("0.179"), ties to even. A magnitude below 2^40 units of the last
// place that is not within 2^-12 of a tie rounds straight from its product
// with the power of ten: that product is off by less than 2^-13, so it falls
// on the same side of the tie as the exact one. Others go to to_chars.
std::string_view RoundedFixed(double magnitude, std::size_t places, char* buffer, std::size_t capacity) {
    static constexpr double kScales[] = {1e0, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6};
    if (places < std::size(kScales)) {
        const double scaled = magnitude * kScales[places];
        const double whole = std::floor(scaled);
        const double part = scaled - whole;
        if (scaled < 0x1p40 && std::fabs(part - 0.5) > 0x1p-12) {
            auto units = static_cast<std::uint64_t>(whole) + (part > 0.5 ? 1 : 0);
            // Digits from the end, at least one before the point.
            char* end = buffer + 24;
            char* p = end;
            for (std::size_t i = 0; i < places; ++i) {
                *--p = static_cast<char>('0' + units % 10);
                units /= 10;
            }
            if (places > 0) *--p = '.';
            do {
                *--p = static_cast<char>('0' + units % 10);
                units /= 10;
            } while (units != 0);
            return {p, static_cast<std::size_t>(end - p)};
        }
    }
    const auto result = std::to_chars(buffer, buffer + capacity, magnitude, std::chars_format::fixed,
                                      static_cast<int>(places));
    return {buffer, static_cast<std::size_t>(result.ptr - buffer)};
}

}  // namespace

// Each "#" before the "." (or with no "." at all) stands for the integer part,
// shown whole and without leading zeros (an integer part of zero shows no
// digit); the number's sign and integer digits go where the first of them, or
// the ".", stands. The "." shows the decimal separator always. The "#" after it
// take the fraction, rounded to that many digits, trailing zeros dropped. Every
// other character is copied. A negative value that rounds to zero has no "-".
std::string FormatPattern(double value, std::string_view pattern, std::string_view decimalSeparator) {
    detail::ThrowIfNotFinite(value);
    const std::size_t point = pattern.find('.');
    std::size_t fractionPlaces = 0;
    if (point != std::string_view::npos)
        for (std::size_t i = point + 1; i < pattern.size(); ++i) fractionPlaces += pattern[i] == '#';

    // A whole number through a pattern of "#" alone (R through "####"): its
    // integer digits in the place of the first "#", without the general
    // rounding below.
    if (point == std::string_view::npos && std::fabs(value) < 9e15 && value == std::trunc(value)) {
        const auto whole = static_cast<std::int64_t>(value);
        std::array<char, 24> digits{};
        char* end = digits.data();
        if (whole != 0) end = std::to_chars(digits.data(), digits.data() + digits.size(), whole).ptr;
        std::string text;
        bool numberPlaced = false;
        for (const char c : pattern) {
            if (c != '#') {
                text.push_back(c);
            } else if (!numberPlaced) {
                text.append(digits.data(), end);
                numberPlaced = true;
            }
        }
        return text;
    }

    // The largest double has 309 integer digits; the patterns have a few
    // fraction places. A longer pattern goes through a buffer of its size.
    std::array<char, 352> stack;  // written by to_chars before it is read
    std::string heap;
    char* first = stack.data();
    std::size_t capacity = stack.size();
    if (fractionPlaces + 320 > capacity) {
        heap.assign(fractionPlaces + 320, '\0');
        first = heap.data();
        capacity = heap.size();
    }
    const std::string_view rounded = RoundedFixed(std::fabs(value), fractionPlaces, first, capacity);
    const std::size_t roundedPoint = rounded.find('.');
    std::string_view integer = rounded;
    std::string_view fraction;
    if (roundedPoint != std::string_view::npos) {
        integer = rounded.substr(0, roundedPoint);
        fraction = rounded.substr(roundedPoint + 1);
    }
    while (!integer.empty() && integer.front() == '0') integer.remove_prefix(1);
    while (!fraction.empty() && fraction.back() == '0') fraction.remove_suffix(1);
    const bool negative = value < 0 && !(integer.empty() && fraction.empty());

    std::string text;
    text.reserve(pattern.size() + integer.size() + decimalSeparator.size() + 1);
    bool numberPlaced = false;
    std::size_t fractionShown = 0;
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        const char c = pattern[i];
        const bool inFraction = point != std::string_view::npos && i > point;
        if ((c == '#' && !inFraction) || i == point) {
            if (!numberPlaced) {
                if (negative) text.push_back('-');
                text.append(integer);
                numberPlaced = true;
            }
            if (i == point) text.append(decimalSeparator);
        } else if (c == '#') {
            if (fractionShown < fraction.size()) text.push_back(fraction[fractionShown++]);
        } else {
            text.push_back(c);
        }
    }
    return text;
}

std::string FormatPattern(double value, std::string_view pattern) {
    return FormatPattern(value, pattern, LocaleDecimalSeparator());
}

std::string LocaleDecimalSeparator() {
    // A locale of its own, read from the environment, so that the answer
    // does not depend on whether anything has called setlocale. It costs a
    // few microseconds: a caller that calculates often asks once and passes
    // the separator in.
    std::string separator = ".";
    if (locale_t numeric = newlocale(LC_NUMERIC_MASK, "", locale_t{}); numeric != locale_t{}) {
        if (const char* radix = nl_langinfo_l(RADIXCHAR, numeric); radix != nullptr && *radix != '\0')
            separator = radix;
        freelocale(numeric);
    }
    return separator;
}

}  // namespace kestrova
