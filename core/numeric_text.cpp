// Numeric text conversions. Parsing and printing go through std::from_chars
// and std::to_chars, which ignore the C library's locale and round correctly;
// the grammar around them is checked here, since from_chars has its own.
#include "core/numeric_text.h"

#include <array>
#include <charconv>
#include <cmath>
#include <limits>
#include <optional>
#include <cstdlib>
#include <utility>
#include <langinfo.h>
#include <locale.h>

#include "core/calc_fault.h"

namespace kestrova {
namespace {

// The powers of ten that are exact doubles.
constexpr double kExactPowers[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,  1e10, 1e11,
                                   1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};

constexpr bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\n'; }
constexpr bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// The characters of the number, blanks dropped. As long as they stand side by
// side in the text they are a view of it; a blank inside the number makes a
// copy, so the usual " 900.2" costs no allocation.
class NumberCharacters {
public:
    explicit NumberCharacters(std::string_view text) : text_(text) {}
    void Add(std::size_t at) {
        if (count_++ == 0) {
            first_ = at;
        } else if (!copied_ && at != end_) {
            copy_.assign(text_.substr(first_, end_ - first_));
            copied_ = true;
        }
        if (copied_) copy_.push_back(text_[at]);
        end_ = at + 1;
    }
    std::string_view View() const { return copied_ ? std::string_view(copy_) : text_.substr(first_, end_ - first_); }

private:
    std::string_view text_;
    std::size_t first_ = 0;
    std::size_t end_ = 0;
    std::size_t count_ = 0;
    bool copied_ = false;
    std::string copy_;
};

// The decimal exponent of the leading digit of a number whose mantissa is not
// zero (12.5e3 gives 4), saturating far beyond the double range. Only needed
// to tell an overflow from an underflow.
long long DecimalMagnitude(std::string_view number) {
    std::size_t i = number.front() == '-' ? 1 : 0;
    long long magnitude = -1;
    bool point = false;
    bool leading = true;
    for (; i < number.size() && (IsDigit(number[i]) || number[i] == '.'); ++i) {
        if (number[i] == '.') {
            point = true;
        } else if (leading && number[i] == '0') {
            if (point) --magnitude;
        } else {
            if (!point) ++magnitude;
            leading = false;
        }
    }
    if (i < number.size()) {  // the exponent
        ++i;
        const bool negative = number[i] == '-';
        if (number[i] == '-' || number[i] == '+') ++i;
        long long exponent = 0;
        for (; i < number.size(); ++i)
            if (exponent < 1'000'000'000) exponent = exponent * 10 + (number[i] - '0');
        magnitude += negative ? -exponent : exponent;
    }
    return magnitude;
}

void ThrowIfNotFinite(double value) {
    if (std::isnan(value)) throw CalcFault(FaultKind::InvalidOperation);
    if (std::isinf(value)) throw CalcFault(FaultKind::Overflow);
}

// The general reading, through from_chars: long mantissas, large powers of
// ten, magnitudes beyond the double range.
double NumberFromTextInGeneral(std::string_view text) {
    const std::size_t size = text.size();
    const auto skipBlanks = [&](std::size_t from) {
        while (from < size && IsBlank(text[from])) ++from;
        return from;
    };
    NumberCharacters number(text);
    std::size_t i = skipBlanks(0);
    bool negative = false;
    if (i < size && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        if (negative) number.Add(i);  // from_chars takes "-" but not "+"
        i = skipBlanks(i + 1);
    }
    bool point = false;
    bool anyDigit = false;
    bool nonZero = false;
    for (; i < size; i = skipBlanks(i + 1)) {
        const char c = text[i];
        if (IsDigit(c)) {
            anyDigit = true;
            nonZero = nonZero || c != '0';
        } else if (c == '.' && !point) {
            point = true;
        } else {
            break;
        }
        number.Add(i);
    }
    if (!anyDigit) return 0.0;
    if (!nonZero) return negative ? -0.0 : 0.0;

    // An exponent is taken only when at least one digit follows the letter.
    if (i < size && (text[i] == 'e' || text[i] == 'E')) {
        const std::size_t letter = i;
        std::size_t sign = skipBlanks(letter + 1);
        std::size_t digit = sign;
        if (sign < size && (text[sign] == '+' || text[sign] == '-')) digit = skipBlanks(sign + 1);
        if (digit < size && IsDigit(text[digit])) {
            number.Add(letter);
            if (sign != digit) number.Add(sign);
            for (i = digit; i < size && IsDigit(text[i]); i = skipBlanks(i + 1)) number.Add(i);
        }
    }

    const std::string_view characters = number.View();
    double value = 0.0;
    const auto result = std::from_chars(characters.data(), characters.data() + characters.size(), value,
                                        std::chars_format::general);
    if (result.ec == std::errc::result_out_of_range) {
        if (DecimalMagnitude(characters) > 0) throw CalcFault(FaultKind::Overflow);
        return negative ? -0.0 : 0.0;
    }
    return value;
}

// "d.dddddddddddddde+XX": a magnitude with fifteen significant digits,
// correctly rounded. The shortest form that reads back as the value is much
// cheaper to make; when it has 15 digits or fewer it is that rounding
// already: a normal double's spacing (2^-52 of it) is finer than the 15-digit
// grid (at least 10^-15 of it), so the value lies within half a grid step of
// that form.
std::string_view Scientific15(double magnitude, std::array<char, 32>& buffer) {
    auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), magnitude, std::chars_format::scientific);
    // Subnormals have fewer significant bits: their shortest form can be
    // coarser than 15 digits.
    if (magnitude < std::numeric_limits<double>::min() ||
        std::string_view(buffer.data(), static_cast<std::size_t>(result.ptr - buffer.data())).rfind('e') > 16)
        result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), magnitude, std::chars_format::scientific,
                               14);
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
        if (std::fabs(m - r) < 2.5 * kExactPowers[e + d] / 1e15) return Digits15{static_cast<std::int64_t>(r), -d};
    }
    return std::nullopt;
}

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
    const auto result =
        std::to_chars(buffer, buffer + capacity, magnitude, std::chars_format::fixed, static_cast<int>(places));
    return {buffer, static_cast<std::size_t>(result.ptr - buffer)};
}

}  // namespace

Digits15 DecimalDigits15(double value) {
    ThrowIfNotFinite(value);
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

// The common short text (" 900.2", "0.5", "-12"), read without from_chars:
// digits with at most one ".", no blank inside and no exponent. A mantissa
// below 2^53 and a power of ten up to 1e22 are both exact doubles, so one
// division rounds correctly. Anything else goes to the general reading.
double NumberFromText(std::string_view text) {
    const char* p = text.data();
    const char* const end = p + text.size();
    while (p != end && IsBlank(*p)) ++p;
    bool negative = false;
    if (p != end && (*p == '+' || *p == '-')) {
        negative = *p == '-';
        ++p;
        if (p != end && IsBlank(*p)) return NumberFromTextInGeneral(text);
    }
    const char* const first = p;
    std::uint64_t mantissa = 0;
    while (p != end && IsDigit(*p)) mantissa = mantissa * 10 + static_cast<std::uint64_t>(*p++ - '0');
    std::size_t digits = static_cast<std::size_t>(p - first);
    std::size_t fraction = 0;
    if (p != end && *p == '.') {
        const char* const fractionFirst = ++p;
        while (p != end && IsDigit(*p)) mantissa = mantissa * 10 + static_cast<std::uint64_t>(*p++ - '0');
        fraction = static_cast<std::size_t>(p - fractionFirst);
        digits += fraction;
    }
    if (digits == 0) {
        // "", "abc", "." and "-x" read as 0; a blank or exponent may still
        // follow a lone "." ("  . 5").
        return p != end && (IsBlank(*p) || *p == 'e' || *p == 'E') ? NumberFromTextInGeneral(text) : 0.0;
    }
    if (p != end) {
        const char* next = p;
        while (next != end && IsBlank(*next)) ++next;
        // The number goes on past a blank ("9 00"), or has an exponent.
        if (next != end && (IsDigit(*next) || *next == '.' || *next == 'e' || *next == 'E'))
            return NumberFromTextInGeneral(text);
    }
    if (digits > 19 || mantissa > (std::uint64_t{1} << 53) || fraction > 22) return NumberFromTextInGeneral(text);
    const double value = static_cast<double>(mantissa) / kExactPowers[fraction];
    return negative ? -value : value;
}

bool IsWholeNumber(std::string_view text) {
    std::size_t i = 0;
    const auto skipBlanks = [&] {
        while (i < text.size() && IsBlank(text[i])) ++i;
    };
    const auto digits = [&] {
        std::size_t count = 0;
        for (skipBlanks(); i < text.size() && IsDigit(text[i]); skipBlanks()) ++i, ++count;
        return count;
    };
    const auto sign = [&] {
        skipBlanks();
        if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
    };
    sign();
    std::size_t count = digits();
    if (i < text.size() && text[i] == '.') {
        ++i;
        count += digits();
    }
    if (count == 0) return false;
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        ++i;
        sign();
        if (digits() == 0) return false;
    }
    skipBlanks();
    return i == text.size();
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

namespace {

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

std::string TextFromNumber(double value) { return TextFromDigits(DecimalDigits15(value)); }

double NumberFromDigits(Digits15 digits) {
    const std::uint64_t magnitude =
        digits.mantissa < 0 ? 0 - static_cast<std::uint64_t>(digits.mantissa) : static_cast<std::uint64_t>(digits.mantissa);
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
        if (DecimalMagnitude(std::string_view(text.data(), static_cast<std::size_t>(end - text.data()))) > 0)
            throw CalcFault(FaultKind::Overflow);
        return digits.mantissa < 0 ? -0.0 : 0.0;
    }
    return value;
}

std::string TextFromDigits(Digits15 digits) {
    if (digits.mantissa == 0) return " 0";
    const std::uint64_t magnitude =
        digits.mantissa < 0 ? 0 - static_cast<std::uint64_t>(digits.mantissa) : static_cast<std::uint64_t>(digits.mantissa);
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
