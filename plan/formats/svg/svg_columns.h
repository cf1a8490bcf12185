// The channels of a plan gathered for its picture: each pixel column of the
// wanted-frequency axis keeps the least and the greatest error, C and G of
// its channels and the first channel that misses and that faults; the
// whole plan keeps its counts and its largest error.
#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace kestrova::plan::svg {

constexpr int kPlotWidth = 1040;  // pixel columns
constexpr std::size_t kFaultKinds = 3;
enum : std::uint8_t { kOk, kMismatch, kFault };

// A channel as a block carries it to the picture, followed by its label.
struct Record {
    double wanted, error;
    std::int32_t c, g;
    std::uint8_t kind, faultKind;
    std::uint32_t labelSize;
};

struct Range {
    double low = std::numeric_limits<double>::infinity(), high = -std::numeric_limits<double>::infinity();
    void Add(double value) { low = std::min(low, value), high = std::max(high, value); }
    bool Empty() const { return low > high; }
};

// One pixel column of the picture.
struct PixelColumn {
    Range error, c, g;
    double mismatchError = 0;
    std::string mismatchLabel, faultLabel;  // the first of each
    std::uint8_t faultKind = 0;
};

// Numbers for people: ten significant digits at most, never "-0".
std::string Number(double value);

// Ticks at 1, 2 or 5 times a power of ten, about six over the range; for a
// value that is a whole number (a code), at whole numbers only.
std::vector<double> Ticks(Range range, bool whole = false);

// A range that a panel can show: widened where all its values are one.
Range Shown(Range range);

struct PixelColumns {
    // The next channel, in the plan's order; kept until Finish when the
    // axis x is not known yet (a list).
    void Add(const Record& record, std::string_view label);
    // The axis of a list from its channels, and its channels placed.
    void Finish();
    // "N channels, M missing by more than T, F faults; largest |error| E at W".
    std::string Counts() const;

    Range x;  // the wanted frequencies the axis spans; a band's from the start
    std::array<PixelColumn, kPlotWidth> columns{};
    Range errors, c, g;
    long long channels = 0, mismatches = 0;
    std::array<long long, kFaultKinds> faults{};
    double largest = -1, largestAt = 0;

private:
    void Place(const Record& record, std::string_view label);
    std::vector<std::pair<Record, std::string>> kept_;
};

}  // namespace kestrova::plan::svg
