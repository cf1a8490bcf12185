// Registers back to a frequency: what a register set means with the
// parameters in use, and where it disagrees with the calculation.
#pragma once

#include "core/calc_panel.h"
#include "plan/formats/set_writer.h"

namespace kestrova::plan {

class Decoder {
public:
    // Reads the parameters once; raises UsageError for one beyond the double range.
    explicit Decoder(const CalcPanel& parameters);

    // N = 32 P + S, the achieved frequency F0 + N x Fref / R as the
    // calculation computes it, and the checks: S within 0 to 31, N from 0
    // within 32 bits, R against Fref / Step rounded as the calculation rounds it, and
    // (when given) C and G against the codes the calculation gives at the
    // achieved frequency. A formula that faults is a problem of the set, in
    // the calculation's words.
    DecodedSet Decode(const RegisterSet& set) const;

private:
    double step_, fref_, f0_, fosc_, dacGain_, fh_;
};

}  // namespace kestrova::plan
