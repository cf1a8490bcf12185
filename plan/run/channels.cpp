// The channels of a plan.
#include "plan/run/channels.h"

#include <cstdint>
#include <stdexcept>
#include <string>

#include "core/numeric_text.h"
#include "plan/run/band_count.h"
#include "plan/run/parameters.h"

namespace kestrova::plan {

void Channels::Compute(long long k, CalcPanel& panel, CalculationMemo& memo, ChannelResult& result) const {
    if (given_ != nullptr) {
        ComputeChannel(panel, memo, (*given_)[static_cast<std::size_t>(k)], result);
        return;
    }
    const Digits15 digits = DecimalDigits15(low_ + static_cast<double>(k) * step_);
    ComputeChannel(panel, memo, TextFromDigits(digits), digits, result);
}

double Channels::Wanted(long long k) const {
    if (given_ != nullptr) return NumberFromText((*given_)[static_cast<std::size_t>(k)]);
    return NumberFromDigits(DecimalDigits15(low_ + static_cast<double>(k) * step_));
}

std::optional<Provenance::Band> Channels::Band() const {
    if (given_ != nullptr || count_ == 0) return std::nullopt;
    return Provenance::Band{Wanted(0), Wanted(count_ - 1), step_};
}

Channels ChannelsFor(const Options& options, const CalcPanel& parameters) {
    if (!options.band) return Channels(options.frequencies);
    const double low = ReadParameter(parameters, Field::Fl);
    const double high = ReadParameter(parameters, Field::Fh);
    const double step = ReadParameter(parameters, Field::Fstep);
    if (!(step > 0)) throw UsageError("--band needs a Step above 0");
    if (high < low) throw UsageError("--band needs FH at or above FL");
    // Counted from the texts, exactly: a count beyond the range of a channel
    // number is refused, never wrapped into an empty band.
    std::optional<long long> counted;
    try {
        counted = BandChannelCount(parameters.Text(Field::Fl), parameters.Text(Field::Fh),
                                   parameters.Text(Field::Fstep), std::int64_t{1} << 62);
    } catch (const std::length_error& wide) {
        throw UsageError(std::string("the band cannot be counted: ") + wide.what());
    }
    if (!counted) throw UsageError("the band from FL to FH at this Step has too many channels");
    if (*counted == 0) throw UsageError("--band needs FH at or above FL");
    const long long count = *counted;
    if (count > options.maxChannels)
        throw UsageError("the band has " + std::to_string(count) + " channels, more than --max-channels (" +
                         std::to_string(options.maxChannels) + ") allows");
    return Channels(low, step, count);
}

}  // namespace kestrova::plan
