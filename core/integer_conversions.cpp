// The register texts and the two integer conversions of the calculation.
#include <array>
#include <charconv>
#include <cmath>
#include <string>

#include "core/calc_fault.h"
#include "core/numeric_text.h"

namespace kestrova {

std::string HexText(std::int32_t value) {
    std::array<char, 8> buffer{};
    const auto result =
        std::to_chars(buffer.data(), buffer.data() + buffer.size(), static_cast<std::uint32_t>(value), 16);
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

std::int32_t RoundToInt32(double value) {
    return CheckedInt32(std::nearbyint(value));
}

std::int32_t FloorToInt32(double value) {
    return CheckedInt32(std::floor(value));
}

}  // namespace kestrova
