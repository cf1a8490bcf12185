// What a plan was made from, as the C header, the text table and the picture
// record it.
#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "core/calc_panel.h"

namespace kestrova::plan {

// The program and its version, and each parameter (FL for a band, FH,
// Step, F0, Fref, Fosc, DAC Gain) as the text that was used.
struct Provenance {
    std::string program;  // "kestrova-plan 0.1.0"
    std::vector<std::pair<Field, std::string>> parameters;
    // A band's first and last wanted frequency and its step; none for a list.
    struct Band {
        double first, last, step;
    };
    std::optional<Band> band;
};

// "kestrova-plan 0.1.0: FH 1000, Step 0.5, ...": the program and each
// parameter as its text was used, blanks trimmed, on one line; not escaped.
std::string MadeFrom(const Provenance& provenance);

}  // namespace kestrova::plan
