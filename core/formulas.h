// The synthesiser's formulas, one function each, for the calculation and for
// anything that checks registers against it: the same operations in the
// same order, so the same digits. Run them through detail::Evaluate to have
// their faults raised.
#pragma once

#include <cmath>

#include "core/exact_arithmetic.h"

namespace kestrova::formulas {

inline constexpr int kSplitFactor = 32;  // N = 32 P + S
inline constexpr double kSplit = kSplitFactor;
inline constexpr double kMismatchTolerance = 0.01;  // in the unit of the frequencies

// R = Fref / Step, before rounding.
inline double Reference(double step, double fref) {
    return fref / step;
}

// N = |Fout - F0| / Step, before rounding: the steps from F0 to the wanted frequency.
inline double Main(double f0, double step, double wanted) {
    return std::fabs((wanted - f0) / step);
}

// The frequency R and N give: N x Fref first, then / R, then + F0.
inline double Achieved(double n, double fref, double r, double f0) {
    return n * fref / r + f0;
}

// How far the achieved frequency lies from the wanted one.
inline double Miss(double achieved, double wanted) {
    return std::fabs(achieved - wanted);
}

// P = N / 32, before rounding down.
inline double Prescaler(double n) {
    return n / kSplit;
}

// The DAC code, centred on 512, before rounding down.
inline double Dac(double dacGain, double fosc, double fout) {
    return 512.0 - (fosc - fout) * dacGain + 0.5;
}

// Where the output lies between F0 and FH.
inline double Gain(double fout, double f0, double fh, double f0Again) {
    return ((fout - f0) * 0.269) / (fh - f0Again);
}

// The gain code, before rounding down.
inline double GainCode(double gain) {
    return (1.0 / gain - 1.0) * 1.66;
}

}  // namespace kestrova::formulas
