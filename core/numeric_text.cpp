// Numeric text conversions. Parsing and printing go through std::from_chars
// and std::to_chars, which ignore the C library's locale and round correctly;
// the grammar around them is checked here, since from_chars has its own.
#include "core/numeric_text.h"

#include <array>
#include <charconv>
#include <clocale>
#include <cmath>
#include <cstdlib>
#include <utility>
#include <langinfo.h>
#include <locale.h>

#include "core/calc_fault.h"

namespace kestrova {
namespace {

constexpr bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\n'; }
constexpr bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Walks a text, skipping blanks wherever they stand.
class BlankSkipper {
public:
    explicit BlankSkipper(std::string_view text) : text_(text) { Skip(); }
    bool AtEnd() const { return pos_ == text_.size(); }
    char Peek() const { return text_[pos_]; }
    void Advance() { ++pos_; Skip(); }
    std::size_t Position() const { return pos_; }
    void Rewind(std::size_t pos) { pos_ = pos; }

private:
    void Skip() { while (pos_ < text_.size() && IsBlank(text_[pos_])) ++pos_; }
    std::string_view text_;
    std::size_t pos_ = 0;
};

void ThrowIfNotFinite(double value) {
    if (std::isnan(value)) throw CalcFault(FaultKind::InvalidOperation);
    if (std::isinf(value)) throw CalcFault(FaultKind::Overflow);
}

}  // namespace

double NumberFromText(std::string_view text) {
    // The accepted characters, blanks removed and a "+" dropped, which is
    // exactly what from_chars reads.
    std::string number;
    BlankSkipper in(text);
    bool negative = false;
    if (!in.AtEnd() && (in.Peek() == '+' || in.Peek() == '-')) {
        negative = in.Peek() == '-';
        if (negative) number.push_back('-');
        in.Advance();
    }

    // Mantissa. The decimal magnitude is tracked for the one case from_chars
    // leaves open: a result out of range may be too large or too small.
    bool point = false;
    bool anyDigit = false;
    bool nonZero = false;
    long long magnitude = 0;  // decimal exponent of the leading digit, before the exponent part
    for (; !in.AtEnd(); in.Advance()) {
        const char c = in.Peek();
        if (IsDigit(c)) {
            anyDigit = true;
            if (c != '0' && !nonZero) {
                nonZero = true;
                if (point) --magnitude;
            } else if (!nonZero && point) {
                --magnitude;
            } else if (nonZero && !point) {
                ++magnitude;
            }
        } else if (c == '.' && !point) {
            point = true;
        } else {
            break;
        }
        number.push_back(c);
    }
    if (!anyDigit) return 0.0;
    if (!nonZero) return negative ? -0.0 : 0.0;

    // Exponent, taken only when at least one digit follows the letter.
    if (!in.AtEnd() && (in.Peek() == 'e' || in.Peek() == 'E')) {
        const std::size_t letter = in.Position();
        const std::size_t kept = number.size();
        number.push_back('e');
        in.Advance();
        bool negativeExponent = false;
        if (!in.AtEnd() && (in.Peek() == '+' || in.Peek() == '-')) {
            negativeExponent = in.Peek() == '-';
            number.push_back(in.Peek());
            in.Advance();
        }
        long long exponent = 0;
        bool exponentDigit = false;
        for (; !in.AtEnd() && IsDigit(in.Peek()); in.Advance()) {
            exponentDigit = true;
            if (exponent < 1'000'000'000) exponent = exponent * 10 + (in.Peek() - '0');
            number.push_back(in.Peek());
        }
        if (exponentDigit) {
            magnitude += negativeExponent ? -exponent : exponent;
        } else {
            number.resize(kept);
            in.Rewind(letter);
        }
    }

    double value = 0.0;
    const auto [end, error] = std::from_chars(number.data(), number.data() + number.size(), value,
                                              std::chars_format::general);
    (void)end;
    if (error == std::errc::result_out_of_range) {
        if (magnitude > 0) throw CalcFault(FaultKind::Overflow);
        return negative ? -0.0 : 0.0;
    }
    return value;
}

std::string TextFromNumber(std::int32_t value) {
    std::array<char, 16> buffer{};
    char* first = buffer.data();
    if (value >= 0) *first++ = ' ';
    const auto result = std::to_chars(first, buffer.data() + buffer.size(), value);
    return std::string(buffer.data(), result.ptr);
}

std::string TextFromNumber(double value) {
    ThrowIfNotFinite(value);
    if (value == 0.0) return " 0";

    // "d.dddddddddddddde+XX": fifteen significant digits, correctly rounded.
    std::array<char, 32> buffer{};
    const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), std::fabs(value),
                                      std::chars_format::scientific, 14);
    const std::string_view sci(buffer.data(), static_cast<std::size_t>(result.ptr - buffer.data()));
    const std::size_t e = sci.find('e');
    std::array<char, 15> digits{};
    std::size_t count = 0;
    for (std::size_t i = 0; i < e; ++i)
        if (sci[i] != '.') digits[count++] = sci[i];
    while (count > 1 && digits[count - 1] == '0') --count;
    int exponent = 0;
    std::from_chars(sci.data() + e + (sci[e + 1] == '+' ? 2 : 1), sci.data() + sci.size(), exponent);

    std::string text;
    text.reserve(24);
    text.push_back(value < 0 ? '-' : ' ');
    if (exponent < -4 || exponent >= 15) {
        text.push_back(digits[0]);
        if (count > 1) {
            text.push_back('.');
            text.append(digits.data() + 1, count - 1);
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
        text.append(digits.data(), count);
    } else {
        const auto integerDigits = static_cast<std::size_t>(exponent) + 1;
        if (count <= integerDigits) {
            text.append(digits.data(), count);
            text.append(integerDigits - count, '0');
        } else {
            text.append(digits.data(), integerDigits);
            text.push_back('.');
            text.append(digits.data() + integerDigits, count - integerDigits);
        }
    }
    return text;
}

// Each "#" before the "." (or with no "." at all) stands for the integer part,
// shown whole and without leading zeros (an integer part of zero shows no
// digit); the number's sign and integer digits go where the first of them, or
// the ".", stands. The "." shows the decimal separator always. The "#" after it
// take the fraction, rounded to that many digits, trailing zeros dropped. Every
// other character is copied. A negative value that rounds to zero has no "-".
std::string FormatPattern(double value, std::string_view pattern, std::string_view decimalSeparator) {
    ThrowIfNotFinite(value);
    const std::size_t point = pattern.find('.');
    std::size_t fractionPlaces = 0;
    if (point != std::string_view::npos)
        for (std::size_t i = point + 1; i < pattern.size(); ++i) fractionPlaces += pattern[i] == '#';

    std::string rounded(320 + fractionPlaces, '\0');
    const auto result = std::to_chars(rounded.data(), rounded.data() + rounded.size(), std::fabs(value),
                                      std::chars_format::fixed, static_cast<int>(fractionPlaces));
    rounded.resize(static_cast<std::size_t>(result.ptr - rounded.data()));
    const std::size_t roundedPoint = rounded.find('.');
    std::string_view integer(rounded);
    std::string_view fraction;
    if (roundedPoint != std::string::npos) {
        integer = integer.substr(0, roundedPoint);
        fraction = std::string_view(rounded).substr(roundedPoint + 1);
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
    // Opening a locale takes microseconds, several times a whole calculation,
    // so the answer is kept for the environment values it was read from.
    std::string key;
    for (const char* name : {"LC_ALL", "LC_NUMERIC", "LANG", "LOCPATH"}) {
        const char* value = std::getenv(name);
        key += value == nullptr ? std::string_view("\x01") : std::string_view(value);
        key += '\0';
    }
    thread_local std::string cachedKey;
    thread_local std::string cachedSeparator;
    if (!cachedSeparator.empty() && key == cachedKey) return cachedSeparator;

    // A locale of its own, read from the environment, so that the answer
    // does not depend on whether anything has called setlocale.
    std::string separator = ".";
    if (locale_t numeric = newlocale(LC_NUMERIC_MASK, "", locale_t{}); numeric != locale_t{}) {
        if (const char* radix = nl_langinfo_l(RADIXCHAR, numeric); radix != nullptr && *radix != '\0')
            separator = radix;
        freelocale(numeric);
    }
    cachedKey = std::move(key);
    cachedSeparator = separator;
    return separator;
}

std::string HexText(std::int32_t value) {
    std::array<char, 8> buffer{};
    const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(),
                                      static_cast<std::uint32_t>(value), 16);
    for (char* p = buffer.data(); p != result.ptr; ++p)
        if (*p >= 'a') *p = static_cast<char>(*p - 'a' + 'A');
    return std::string(buffer.data(), result.ptr);
}

std::string PadLeftZeros(std::string_view text, std::size_t width) {
    std::string padded;
    if (text.size() < width) padded.assign(width - text.size(), '0');
    padded.append(text);
    return padded;
}

namespace {

std::int32_t CheckedInt32(double integral) {
    if (std::isnan(integral)) throw CalcFault(FaultKind::InvalidOperation);
    if (!(integral >= -2147483648.0 && integral <= 2147483647.0)) throw CalcFault(FaultKind::Overflow);
    return static_cast<std::int32_t>(integral);
}

}  // namespace

std::int32_t RoundToInt32(double value) { return CheckedInt32(std::nearbyint(value)); }

std::int32_t FloorToInt32(double value) { return CheckedInt32(std::floor(value)); }

}  // namespace kestrova
