// The error columns: exact decimal differences of the written digits.
#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdint>

#include "core/numeric_text.h"
#include "files/text_encoding.h"
#include "plan/channel/columns.h"

namespace kestrova::plan {
namespace {

using Decimal = Digits15;

// a - b, both taken with 15 significant digits, exactly; through binary
// only when the two are so far apart in scale that the exact difference does
// not fit 64 bits (and then the binary one has the same 15 digits).
std::optional<Decimal> DecimalDifference(double a, Decimal x, Decimal y) {
    const auto binary = [&]() -> std::optional<Decimal> {
        const double difference = a - NumberFromDigits(y);
        if (!std::isfinite(difference)) return std::nullopt;
        return DecimalDigits15(difference);
    };
    if (x.mantissa == 0) x.exponent = y.exponent;
    if (y.mantissa == 0) y.exponent = x.exponent;
    Decimal& larger = x.exponent > y.exponent ? x : y;
    const int lower = std::min(x.exponent, y.exponent);
    for (; larger.exponent > lower; --larger.exponent)
        if (__builtin_mul_overflow(larger.mantissa, std::int64_t{10}, &larger.mantissa)) return binary();
    Decimal difference{0, lower};
    if (__builtin_sub_overflow(x.mantissa, y.mantissa, &difference.mantissa)) return binary();
    return difference;
}

ErrorColumns ErrorsOf(const ChannelResult& c) {
    ErrorColumns columns;
    const Decimal wanted = c.wantedDigits;
    const std::optional<Decimal> error =
        DecimalDifference(c.values.achieved, c.values.achievedDigits, wanted);
    if (!error) return columns;
    columns.error = std::string(Trimmed(TextFromDigits(*error)));
    const double ppm = NumberFromDigits(*error) / NumberFromDigits(wanted) * 1e6;
    if (wanted.mantissa == 0 || !std::isfinite(ppm)) return columns;
    std::array<char, 400> buffer{};
    const auto end =
        std::to_chars(buffer.data(), buffer.data() + buffer.size(), ppm, std::chars_format::fixed, 3).ptr;
    columns.ppm.emplace(buffer.data(), end);
    if (columns.ppm == "-0.000") columns.ppm = "0.000";
    return columns;
}

}  // namespace

ErrorColumns Errors(const ChannelResult& c) {
    try {
        return ErrorsOf(c);
    } catch (const CalcFault&) {
        return {};  // a difference beyond the double range: no error to show
    }
}

std::string WantedText(const ChannelResult& c) {
    return files::TextFromFileLine(Trimmed(c.wantedText));
}

}  // namespace kestrova::plan
