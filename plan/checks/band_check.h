// Whether a file holds exactly the channels of a band: FL, FL + Step, ...
// up to FH, once each, in order.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <utility>

#include "plan/run/channels.h"

namespace kestrova::plan {

// The file's channels, given one after the other, against the band's, in
// one pass over both: a line through write for each channel that is
// missing, and for each of the file's that is not a channel of the band, is
// there twice or is out of order.
class BandCheck {
public:
    BandCheck(const Channels& band, std::function<void(std::string_view)> write)
        : band_(band), write_(std::move(write)) {}
    // The file's next channel: its wanted frequency (NaN for a text that is
    // no number) and its line.
    void Next(double wanted, std::size_t line);
    // The band's channels the file never came to; how many problems in all.
    long long Finish();

private:
    void Report(const std::string& text);
    const Channels& band_;
    std::function<void(std::string_view)> write_;
    long long k_ = 0, problems_ = 0;
    double previous_ = 0;
    bool any_ = false;
};

}  // namespace kestrova::plan
