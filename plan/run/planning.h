// A plan's run: its channels computed in blocks on every thread and written
// in order, in the chosen format, to standard output or -o's file.
#pragma once

#include "core/calc_panel.h"
#include "plan/command_line/options.h"
#include "plan/run/plan_io.h"

namespace kestrova::plan {

// kAllComputed, or kSomeFaulted when any channel faulted. Raises UsageError
// for a band that cannot be formed or an output that may not be written,
// FileFault when writing the output fails.
int RunPlanning(const Options& options, const MemoryPanel& parameters, unsigned threads, const PlanIo& io);

}  // namespace kestrova::plan
