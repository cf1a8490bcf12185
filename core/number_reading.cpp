// Reading a number from a field's text. One grammar, scanned by ScanNumber;
// the common short text is read by a fast path that hands anything it does
// not recognise to the general reading. Parsing goes through
// std::from_chars, which ignores the C library's locale and rounds correctly.
#include <algorithm>
#include <charconv>
#include <cstdint>
#include <string>
#include <utility>

#include "core/number_grammar.h"
#include "core/numeric_text.h"

namespace kestrova {
namespace {

using detail::IsBlank;
using detail::IsDigit;

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
    std::string_view View() const {
        return copied_ ? std::string_view(copy_) : text_.substr(first_, end_ - first_);
    }

private:
    std::string_view text_;
    std::size_t first_ = 0;
    std::size_t end_ = 0;
    std::size_t count_ = 0;
    bool copied_ = false;
    std::string copy_;
};

// A number as the grammar reads it from the start of a text: its characters
// in from_chars' form (blanks dropped, no "+"), and where reading stopped.
struct ScannedNumber {
    NumberCharacters characters;
    bool negative = false;
    bool anyDigit = false;
    bool nonZero = false;
    std::size_t end = 0;  // the first character that cannot continue it, blanks skipped
};

ScannedNumber ScanNumber(std::string_view text) {
    const std::size_t size = text.size();
    const auto skipBlanks = [&](std::size_t from) {
        while (from < size && IsBlank(text[from])) ++from;
        return from;
    };
    ScannedNumber number{NumberCharacters(text)};
    std::size_t i = skipBlanks(0);
    if (i < size && (text[i] == '+' || text[i] == '-')) {
        number.negative = text[i] == '-';
        if (number.negative) number.characters.Add(i);  // from_chars takes "-" but not "+"
        i = skipBlanks(i + 1);
    }
    bool point = false;
    for (; i < size; i = skipBlanks(i + 1)) {
        const char c = text[i];
        if (IsDigit(c)) {
            number.anyDigit = true;
            number.nonZero = number.nonZero || c != '0';
        } else if (c == '.' && !point) {
            point = true;
        } else {
            break;
        }
        number.characters.Add(i);
    }
    // An exponent is taken only when at least one digit follows the letter.
    if (number.anyDigit && i < size && (text[i] == 'e' || text[i] == 'E')) {
        const std::size_t letter = i;
        std::size_t sign = skipBlanks(letter + 1);
        std::size_t digit = sign;
        if (sign < size && (text[sign] == '+' || text[sign] == '-')) digit = skipBlanks(sign + 1);
        if (digit < size && IsDigit(text[digit])) {
            number.characters.Add(letter);
            if (sign != digit) number.characters.Add(sign);
            for (i = digit; i < size && IsDigit(text[i]); i = skipBlanks(i + 1)) number.characters.Add(i);
        }
    }
    number.end = i;
    return number;
}

// The general reading, through from_chars: long mantissas, large powers of
// ten, magnitudes beyond the double range.
double NumberFromTextInGeneral(std::string_view text) {
    const ScannedNumber number = ScanNumber(text);
    if (!number.anyDigit) return 0.0;
    if (!number.nonZero) return number.negative ? -0.0 : 0.0;
    const std::string_view characters = number.characters.View();
    double value = 0.0;
    const auto result = std::from_chars(characters.data(), characters.data() + characters.size(), value,
                                        std::chars_format::general);
    if (result.ec == std::errc::result_out_of_range) {
        if (detail::DecimalMagnitude(characters) > 0) throw CalcFault(FaultKind::Overflow);
        return number.negative ? -0.0 : 0.0;
    }
    return value;
}

// The exponent of a number in from_chars' form whose mantissa ends at i
// ("e", a sign, digits; 0 when there is none), its digits taken only while
// below a billion, so that no exponent text can overflow.
long long ExponentFrom(std::string_view number, std::size_t i) {
    if (i >= number.size()) return 0;
    ++i;  // the letter
    const bool negative = number[i] == '-';
    if (number[i] == '-' || number[i] == '+') ++i;
    long long exponent = 0;
    for (; i < number.size(); ++i)
        if (exponent < 1'000'000'000) exponent = exponent * 10 + (number[i] - '0');
    return negative ? -exponent : exponent;
}

}  // namespace

long long detail::DecimalMagnitude(std::string_view number) {
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
    return magnitude + ExponentFrom(number, i);
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
    if (digits > 19 || mantissa > (std::uint64_t{1} << 53) || fraction > 22)
        return NumberFromTextInGeneral(text);
    const double value = static_cast<double>(mantissa) / detail::kExactPowers[fraction];
    return negative ? -value : value;
}

ExactDecimal ExactDecimalFromText(std::string_view text) {
    const ScannedNumber number = ScanNumber(text);
    ExactDecimal exact;
    if (!number.nonZero) return exact;
    exact.negative = number.negative;
    const std::string_view characters = number.characters.View();
    std::size_t i = number.negative ? 1 : 0;
    long long fraction = 0;
    bool point = false;
    for (; i < characters.size() && (IsDigit(characters[i]) || characters[i] == '.'); ++i) {
        if (characters[i] == '.') {
            point = true;
            continue;
        }
        if (point) ++fraction;
        if (exact.digits.empty() && characters[i] == '0') continue;
        exact.digits += characters[i];
    }
    exact.exponent = std::clamp(ExponentFrom(characters, i), -1'000'000'000LL, 1'000'000'000LL) - fraction;
    return exact;
}

bool IsWholeNumber(std::string_view text) {
    const ScannedNumber number = ScanNumber(text);
    return number.anyDigit && number.end == text.size();
}

}  // namespace kestrova
