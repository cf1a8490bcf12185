// A plan file checked against the calculation, channel by channel.
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "core/calc_panel.h"
#include "plan/readers/plan_file.h"
#include "plan/run/channels.h"
#include "plan/run/progress.h"

namespace kestrova::plan {

struct VerifyResult {
    long long channels = 0;
    long long differing = 0;        // channels that differ from the calculation
    long long bandProblems = 0;     // channels of the band missing, extra, twice or out of order
    bool parametersDiffer = false;  // the file records other or too few parameters: no channel was looked at
};

// Compares the parameters the file records with those in use first; then
// recomputes every channel from its wanted frequency and reports, one line
// each through write, every field whose text differs from the
// calculation's: the registers, the achieved frequency, a fault (the same
// fault, in the same words). With a band, checks too that the file holds
// exactly its channels, in order. Raises PlanFormatError for a row it cannot read.
VerifyResult VerifyPlan(const PlanFile& plan, const MemoryPanel& parameters, const Channels* band,
                        unsigned threads, const std::function<void(std::string_view)>& write,
                        Progress& progress);

}  // namespace kestrova::plan
