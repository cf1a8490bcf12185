// Whether a file holds exactly the channels of a band: FL, FL + Step, ...
// up to FH, once each, in order.
#pragma once

#include <cstddef>
#include <functional>
#include <string_view>
#include <vector>

#include "plan/run/channels.h"

namespace kestrova::plan {

// The wanted frequencies of a file's channels in its order (NaN for one that
// is no number) and each one's line, against the band: a line through write
// for each channel that is missing, and for each of the file's that is not a
// channel of the band, is there twice or is out of order. Returns how many.
long long CheckBand(const Channels& band, const std::vector<double>& wanted,
                    const std::vector<std::size_t>& lines,
                    const std::function<void(std::string_view)>& write);

}  // namespace kestrova::plan
