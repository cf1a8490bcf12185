// What a calculation keeps between its runs for a caller that calculates
// again and again: its readings of the fields and its summary buffer.
#pragma once

#include <array>
#include <string>

#include "core/calc_panel.h"

namespace kestrova {

// What a calculation read from each field, as text and as the number it took
// from it, and the buffer its summary is built in. A caller that calculates
// again and again (kestrova-plan's workers) keeps one and hands it to every
// calculation: a text that has not changed is not converted again, and no
// memory is allocated anew. A fault is described from what is recorded here,
// never by reading the panel again.
struct CalculationMemo {
    struct Reading {
        std::string text;
        double value = 0;
        bool known = false;  // value is the number of text
    };
    std::array<Reading, kFieldCount> readings;
    std::string summary;
};

}  // namespace kestrova
