// One channel of a plan: the calculation of the window, run on an in-memory
// panel with the wanted frequency rewritten, and its outputs read back.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "core/calc_fault.h"
#include "core/calc_panel.h"

namespace kestrova::plan {

struct ChannelResult {
    std::string wantedText;  // the text Fout held before the press
    std::optional<FaultKind> fault;
    std::string faultText;  // the calculation's description of the fault, on one line
    // The rest is set when there was no fault.
    double wanted = 0;
    std::string achievedText;  // Fout after the press, as the window shows it
    double achieved = 0;
    bool mismatch = false;
    std::int32_t r = 0, n = 0, p = 0, s = 0, c = 0, g = 0;
    std::string rt, st, pt, ct, gt;  // the register fields
};

// Sets Fout to the wanted text and runs CalculateRegisters on the panel, as a
// press of Calculate does; the panel keeps the outputs.
ChannelResult ComputeChannel(CalcPanel& panel, std::string_view wantedText);

// Text without its leading and trailing blanks.
std::string_view Trimmed(std::string_view text);

}  // namespace kestrova::plan
