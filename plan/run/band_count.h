// How many channels a band has: FL, FL + Step, ... up to FH inclusive, as
// the texts FL, FH and Step say in decimal, counted exactly: no rounding of
// a double can lose the channel at FH.
#pragma once

#include <optional>
#include <string_view>

namespace kestrova::plan {

// floor((FH - FL) / Step) + 1 in exact decimal arithmetic, for Step above
// 0 (each text as NumberFromText reads it); 0 for FH below FL; none when it
// is beyond limit. Raises std::length_error for numbers so far apart in
// scale that they span more than 100,000 decimal places.
std::optional<long long> BandChannelCount(std::string_view fl, std::string_view fh, std::string_view step,
                                          long long limit);

}  // namespace kestrova::plan
