// The wanted frequencies of a plan: those given on the command line, or the
// channels of a band, FL + k Step up to FH.
#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "core/calc_panel.h"
#include "core/calculation.h"
#include "plan/channel/channel.h"
#include "plan/channel/provenance.h"
#include "plan/command_line/options.h"

namespace kestrova::plan {

class Channels {
public:
    // The frequencies given, as typed.
    explicit Channels(const std::vector<std::string>& given)
        : given_(&given), count_(static_cast<long long>(given.size())) {}
    // A band of count channels from low at step.
    Channels(double low, double step, long long count) : low_(low), step_(step), count_(count) {}

    long long Count() const { return count_; }
    // Channel k's wanted frequency, as its 15 digits give it.
    double Wanted(long long k) const;
    // A band's first and last wanted frequency and its step; none for
    // frequencies given.
    std::optional<Provenance::Band> Band() const;

    // Channel k computed on the panel, each band channel's wanted text
    // written as the window writes numbers.
    void Compute(long long k, CalcPanel& panel, CalculationMemo& memo, ChannelResult& result) const;

private:
    const std::vector<std::string>* given_ = nullptr;
    double low_ = 0, step_ = 0;
    long long count_;
};

// The channels the options ask for, with the band read from the parameters.
// Raises UsageError for a band that cannot be formed: no Step above 0, FH
// below FL, more channels than --max-channels allows or than a channel
// number can count.
Channels ChannelsFor(const Options& options, const CalcPanel& parameters);

}  // namespace kestrova::plan
