// Computing a channel and reading its values back from the panel's fields.
#include "plan/channel.h"

#include <charconv>

#include "core/calculation.h"
#include "core/numeric_text.h"

namespace kestrova::plan {
namespace {

// A register field back as the signed 32-bit value it shows.
std::int32_t FromHex(const std::string& text) {
    std::uint32_t value = 0;
    std::from_chars(text.data(), text.data() + text.size(), value, 16);
    return static_cast<std::int32_t>(value);
}

}  // namespace

std::string_view Trimmed(std::string_view text) {
    const std::size_t first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) return {};
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

ChannelResult ComputeChannel(CalcPanel& panel, std::string_view wantedText) {
    ChannelResult result;
    result.wantedText.assign(wantedText);
    panel.SetText(Field::Fout, wantedText);
    try {
        // The summary is not part of a plan, so its separator does not matter.
        CalculateRegisters(panel, ".");
    } catch (const CalcFault& fault) {
        result.fault = fault.Kind();
        result.faultText = fault.OneLine();
        return result;
    }
    result.wanted = NumberFromText(wantedText);
    result.achievedText = panel.Text(Field::Fout);
    result.achieved = NumberFromText(result.achievedText);
    result.mismatch = panel.FoutBackColor() == kPink;
    result.rt = panel.Text(Field::Rt);
    result.st = panel.Text(Field::St);
    result.pt = panel.Text(Field::Pt);
    result.ct = panel.Text(Field::Ct);
    result.gt = panel.Text(Field::Gt);
    result.r = FromHex(result.rt);
    result.s = FromHex(result.st);
    result.p = FromHex(result.pt);
    result.c = FromHex(result.ct);
    result.g = FromHex(result.gt);
    result.n = result.p * 32 + result.s;  // N is never negative, so P and S split it exactly
    return result;
}

}  // namespace kestrova::plan
