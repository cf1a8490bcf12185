// Gathering a plan's channels into the pixel columns of its picture.
#include "plan/formats/svg/svg_columns.h"

#include <algorithm>
#include <charconv>
#include <cmath>

#include "core/formulas.h"
#include "core/numeric_text.h"

namespace kestrova::plan::svg {

std::string Number(double value) {
    char text[32];
    const char* end =
        std::to_chars(text, text + sizeof text, value == 0 ? 0.0 : value, std::chars_format::general, 10).ptr;
    return std::string(text, static_cast<std::size_t>(end - text));
}

std::vector<double> Ticks(Range range, bool whole) {
    const double step0 = (range.high - range.low) / 6;
    const double power = std::pow(10, std::floor(std::log10(step0)));
    double step = power * (step0 / power < 1.5 ? 1 : step0 / power < 3.5 ? 2 : step0 / power < 7.5 ? 5 : 10);
    if (whole) step = std::max(step, 1.0);
    std::vector<double> ticks;
    for (double k = std::ceil(range.low / step); k * step <= range.high + step * 1e-9; ++k)
        ticks.push_back(k * step);
    return ticks;
}

Range Shown(Range range) {
    if (range.Empty()) return {0, 1};
    if (range.high - range.low <= std::abs(range.high) * 1e-12) {
        const double half = std::max(std::abs(range.low) * 1e-3, 1.0);
        return {range.low - half, range.high + half};
    }
    return range;
}

void PixelColumns::Add(const Record& record, std::string_view label) {
    if (x.Empty())
        kept_.emplace_back(record, std::string(label));
    else
        Place(record, label);
}

void PixelColumns::Finish() {
    if (!x.Empty()) return;
    Range wanted;
    for (const auto& [record, label] : kept_)
        if (!std::isnan(record.wanted)) wanted.Add(record.wanted);
    x = Shown(wanted);
    for (const auto& [record, label] : kept_) Place(record, label);
}

void PixelColumns::Place(const Record& record, std::string_view label) {
    ++channels;
    if (std::isnan(record.wanted)) {
        ++faults[record.faultKind % kFaultKinds];
        return;
    }
    const double t = (record.wanted - x.low) / (x.high - x.low);
    const auto i = static_cast<std::size_t>(std::clamp(t * kPlotWidth, 0.0, kPlotWidth - 1.0));
    PixelColumn& column = columns[i];
    if (record.kind == kFault) {
        ++faults[record.faultKind % kFaultKinds];
        if (column.faultLabel.empty()) column.faultLabel = label, column.faultKind = record.faultKind;
        return;
    }
    column.error.Add(record.error), column.c.Add(record.c), column.g.Add(record.g);
    errors.Add(record.error), c.Add(record.c), g.Add(record.g);
    if (std::abs(record.error) > largest) largest = std::abs(record.error), largestAt = record.wanted;
    if (record.kind != kMismatch) return;
    ++mismatches;
    if (column.mismatchLabel.empty()) column.mismatchLabel = label, column.mismatchError = record.error;
}

std::string PixelColumns::Counts() const {
    const long long faultCount = faults[0] + faults[1] + faults[2];
    std::string counts = std::to_string(channels) + (channels == 1 ? " channel, " : " channels, ") +
                         std::to_string(mismatches) + " missing by more than " +
                         NumberText(formulas::kMismatchTolerance) + ", " + std::to_string(faultCount) +
                         (faultCount == 1 ? " fault" : " faults");
    if (largest >= 0) counts += "; largest |error| " + Number(largest) + " at " + Number(largestAt);
    return counts;
}

}  // namespace kestrova::plan::svg
