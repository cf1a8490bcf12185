// Registers back to a frequency: what a register set means with the
// parameters in use, and where it disagrees with the calculation.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/calc_panel.h"
#include "plan/formats.h"
#include "plan/register_set.h"

namespace kestrova::plan {

struct DecodedSet {
    RegisterSet set;
    std::int64_t n = 0;                   // 32 P + S
    std::optional<std::string> achieved;  // as the window writes Fout, without its sign blank
    std::vector<std::string> problems;    // empty when the set agrees
};

class Decoder {
public:
    // Reads the parameters once; raises UsageError for one beyond the double range.
    explicit Decoder(const CalcPanel& parameters);

    // N = 32 P + S, the achieved frequency F0 + N x Fref / R as the
    // calculation computes it, and the checks: S within 0 to 31, N within 32
    // bits, R against Fref / Step rounded as the calculation rounds it, and
    // (when given) C and G against the codes the calculation gives at the
    // achieved frequency. A formula that faults is a problem of the set, in
    // the calculation's words.
    DecodedSet Decode(const RegisterSet& set) const;

private:
    double step_, fref_, f0_, fosc_, dacGain_, fh_;
};

// The rows of decoded sets, in the plan's formats (text, csv or json).
class SetWriter {
public:
    virtual ~SetWriter() = default;
    virtual void Begin(std::string& out) const = 0;
    virtual void Row(const DecodedSet& set, bool first, std::string& out) const = 0;
    virtual void End(bool any, std::string& out) const = 0;
};

std::unique_ptr<SetWriter> MakeSetWriter(Format format);

}  // namespace kestrova::plan
