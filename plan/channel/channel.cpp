// Computing a channel: the numbers come from the calculation itself, the
// texts from the fields, so nothing the calculation wrote is read again.
#include "plan/channel/channel.h"

#include "core/numeric_text.h"
#include "core/registers.h"

namespace kestrova::plan {
namespace {

void Compute(CalcPanel& panel, CalculationMemo& memo, std::string_view wantedText,
             const Digits15* wantedDigits, ChannelResult& result) {
    result.wantedText.assign(wantedText);
    result.fault.reset();
    result.faultText.clear();
    panel.SetText(Field::Fout, wantedText);
    try {
        // The summary is not part of a plan, so its separator does not matter.
        CalculateRegisters(panel, ".", result.values, memo);
    } catch (const CalcFault& fault) {
        result.fault = fault.Kind();
        result.faultText = fault.OneLine();
        return;
    }
    // A band's wanted text was made from its digits: not read back.
    result.wanted = wantedDigits != nullptr ? NumberFromDigits(*wantedDigits) : NumberFromText(wantedText);
    result.wantedDigits = wantedDigits != nullptr ? *wantedDigits : DecimalDigits15(result.wanted);
    result.achievedText = FieldText(panel, Field::Fout, result.copies[0]);
    for (std::size_t i = 0; i < kRegisters.size(); ++i)
        result.registers[i] = FieldText(panel, kRegisters[i].field, result.copies[i + 1]);
}

}  // namespace

void ComputeChannel(CalcPanel& panel, CalculationMemo& memo, std::string_view wantedText,
                    ChannelResult& result) {
    Compute(panel, memo, wantedText, nullptr, result);
}

void ComputeChannel(CalcPanel& panel, CalculationMemo& memo, std::string_view wantedText,
                    const Digits15& wantedDigits, ChannelResult& result) {
    Compute(panel, memo, wantedText, &wantedDigits, result);
}

}  // namespace kestrova::plan
