// Comparing a file's channels with a band's, in one pass over both.
#include "plan/checks/band_check.h"

#include <cmath>
#include <limits>
#include <string>

#include "core/numeric_text.h"

namespace kestrova::plan {

long long CheckBand(const Channels& band, const std::vector<double>& wanted,
                    const std::vector<std::size_t>& lines,
                    const std::function<void(std::string_view)>& write) {
    long long problems = 0;
    const auto report = [&](const std::string& text) {
        write(text + "\n");
        ++problems;
    };
    const auto at = [&](std::size_t i) {
        return NumberText(wanted[i]) + " (line " + std::to_string(lines[i]) + ")";
    };
    long long k = 0;
    double previous = -std::numeric_limits<double>::infinity();
    for (std::size_t i = 0; i < wanted.size(); ++i) {
        const double value = wanted[i];
        if (std::isnan(value)) {
            report("line " + std::to_string(lines[i]) + ": a wanted frequency that is no number");
        } else if (value == previous) {
            report(at(i) + " is there twice");
        } else if (value < previous) {
            report(at(i) + " is out of order");
        } else {
            for (; k < band.Count() && band.Wanted(k) < value; ++k)
                report("the band's channel " + NumberText(band.Wanted(k)) + " is missing");
            if (k < band.Count() && band.Wanted(k) == value)
                ++k;
            else
                report(at(i) + " is not a channel of the band");
            previous = value;
        }
    }
    for (; k < band.Count(); ++k) report("the band's channel " + NumberText(band.Wanted(k)) + " is missing");
    return problems;
}

}  // namespace kestrova::plan
