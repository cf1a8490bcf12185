// One channel of a plan: the calculation of the window, run on an in-memory
// panel with the wanted frequency rewritten, and its outputs as the window
// shows them.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>

#include "core/calc_fault.h"
#include "core/calc_panel.h"
#include "core/calculation.h"

namespace kestrova::plan {

struct ChannelResult {
    std::string wantedText;  // the text Fout held before the press
    std::optional<FaultKind> fault;
    std::string faultText;  // the calculation's description of the fault, on one line
    // The rest is set when there was no fault.
    double wanted = 0;
    Digits15 wantedDigits;  // the wanted frequency with 15 significant digits
    RegisterValues values;
    // Fout after the press and the register fields, as the window shows
    // them: views of the panel's own text, valid until the panel is next
    // changed (or of copies kept here, for a panel that does not hold its text).
    std::string_view achievedText;
    std::array<std::string_view, 5> registers;  // Rt St Pt Ct Gt
    std::array<std::string, 6> copies;
};

// Sets Fout to the wanted text and runs CalculateRegisters on the panel, as a
// press of Calculate does, with the caller's memo; the panel keeps the
// outputs. The result is overwritten (its strings keep their memory from one
// channel to the next).
void ComputeChannel(CalcPanel& panel, CalculationMemo& memo, std::string_view wantedText,
                    ChannelResult& result);

// The same for a wanted frequency whose 15 digits are known already: a
// band's channel, whose text was made from them.
void ComputeChannel(CalcPanel& panel, CalculationMemo& memo, std::string_view wantedText,
                    const Digits15& wantedDigits, ChannelResult& result);

// Text without its leading and trailing blanks.
inline std::string_view Trimmed(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
    return text;
}

}  // namespace kestrova::plan
