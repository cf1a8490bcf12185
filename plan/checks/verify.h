// A plan file checked against the calculation, channel by channel.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "core/calc_panel.h"
#include "plan/checks/plan_stream.h"
#include "plan/run/channels.h"
#include "plan/run/progress.h"

namespace kestrova::plan {

struct VerifyResult {
    long long channels = 0;
    long long differing = 0;        // channels that differ from the calculation
    long long bandProblems = 0;     // channels of the band missing, extra, twice or out of order
    long long otherProblems = 0;    // what the file says beyond its channels: an entry of none, a count
    bool parametersDiffer = false;  // the file records other or too few parameters: no channel was looked at
    bool recordsParameters = false;
    bool asBand = false;                    // the channels were checked against a band
    bool endMarked = true;                  // the format marks its end, so a file cut short shows
    std::optional<std::string> truncation;  // where the file ends before its own end
};

// Reads the plan's channels as they come. Compares the parameters the file
// records with those in use first; then recomputes every channel from its
// wanted frequency and reports, one line each through write, every field
// whose text differs from the calculation's: the registers, the achieved
// frequency, a fault (the same fault, in the same words); and what else the
// file says that is wrong. bandFor(recordsBand) gives the band to check
// too that the file holds exactly its channels, in order, or none, once the
// file shows whether it records a band. Raises PlanFormatError for a file
// with no channel, or a part it cannot read.
VerifyResult VerifyPlan(PlanStream& plan, const MemoryPanel& parameters,
                        const std::function<std::optional<Channels>(bool recordsBand)>& bandFor,
                        unsigned threads, const std::function<void(std::string_view)>& write,
                        Progress& progress);

}  // namespace kestrova::plan
