// Comparing a file's channels with a band's, in one pass over both.
#include "plan/checks/band_check.h"

#include <cmath>

#include "core/numeric_text.h"

namespace kestrova::plan {

void BandCheck::Report(const std::string& text) {
    write_(text + "\n");
    ++problems_;
}

void BandCheck::Next(double value, std::size_t line) {
    const auto at = [&] { return NumberText(value) + " (line " + std::to_string(line) + ")"; };
    if (std::isnan(value)) {
        Report("line " + std::to_string(line) + ": a wanted frequency that is no number");
    } else if (any_ && value == previous_) {
        Report(at() + " is there twice");
    } else if (any_ && value < previous_) {
        Report(at() + " is out of order");
    } else {
        for (; k_ < band_.Count() && band_.Wanted(k_) < value; ++k_)
            Report("the band's channel " + NumberText(band_.Wanted(k_)) + " is missing");
        if (k_ < band_.Count() && band_.Wanted(k_) == value)
            ++k_;
        else
            Report(at() + " is not a channel of the band");
        previous_ = value;
        any_ = true;
    }
}

long long BandCheck::Finish() {
    for (; k_ < band_.Count(); ++k_)
        Report("the band's channel " + NumberText(band_.Wanted(k_)) + " is missing");
    return problems_;
}

}  // namespace kestrova::plan
