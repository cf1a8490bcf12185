// NumberFromText on arbitrary bytes: it never crashes, returns a finite
// double or raises CalcFault (overflow), and agrees with a second, plainly
// written reading of the same grammar converted by the C library's strtod.
#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "core/calc_fault.h"
#include "core/numeric_text.h"

namespace {

bool Digit(char c) {
    return c >= '0' && c <= '9';
}

// The longest prefix of [+-]? (digits [. digits?] | . digits) ([eE] [+-]? digits)?
// of the text with its blanks removed; empty when there is no number.
std::string SimpleReading(std::string_view text) {
    std::string s;
    for (char c : text)
        if (c != ' ' && c != '\t' && c != '\n') s.push_back(c);
    std::size_t i = 0;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
    const std::size_t mantissa = i;
    while (i < s.size() && Digit(s[i])) ++i;
    bool digits = i > mantissa;
    if (i < s.size() && s[i] == '.') {
        const std::size_t fraction = ++i;
        while (i < s.size() && Digit(s[i])) ++i;
        digits = digits || i > fraction;
    }
    if (!digits) return "";
    std::size_t end = i;
    if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
        std::size_t j = i + 1;
        if (j < s.size() && (s[j] == '+' || s[j] == '-')) ++j;
        const std::size_t exponent = j;
        while (j < s.size() && Digit(s[j])) ++j;
        if (j > exponent) end = j;
    }
    return s.substr(0, end);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const std::string simple = SimpleReading(text);
    double expected = 0.0;
    bool overflow = false;
    if (!simple.empty()) {
        errno = 0;
        expected = std::strtod(simple.c_str(), nullptr);
        overflow = errno == ERANGE && std::isinf(expected);
    }
    try {
        const double value = kestrova::NumberFromText(text);
        if (overflow || !std::isfinite(value)) std::abort();
        if (value != expected || std::signbit(value) != std::signbit(expected)) std::abort();
    } catch (const kestrova::CalcFault& fault) {
        if (fault.Kind() != kestrova::FaultKind::Overflow || !overflow) std::abort();
    }
    return 0;
}
