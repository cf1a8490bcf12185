// The parameters a plan is computed with: the settings file, then the
// options over it.
#pragma once

#include "core/calc_panel.h"
#include "plan/command_line/options.h"

namespace kestrova::plan {

// The eight inputs. Without --ini a missing or unusable Kestrova.INI is no
// problem when the options give every value the calculation reads; raises
// UsageError otherwise, naming the file's fault and the options that stand
// in for it.
MemoryPanel Parameters(const Options& options);

// A parameter's number, as the calculation reads it; raises UsageError
// (naming the field) for a text beyond the double range.
double ReadParameter(const CalcPanel& panel, Field field);

}  // namespace kestrova::plan
