// The runs of --decode and --verify.
#pragma once

#include <string>

#include "core/calc_panel.h"
#include "plan/command_line/options.h"
#include "plan/run/plan_io.h"

namespace kestrova::plan {

// Decodes the SETs on the command line, or one a line from standard input
// (in blocks on threads threads), and writes a row for each. 0 when every set agrees, 1 (with the count in
// error) when any has a problem; raises UsageError naming the argument or
// the input line of a text that is no register set.
int RunDecode(const Options& options, const MemoryPanel& parameters, unsigned threads, const PlanIo& io,
              std::string& error);

// Verifies the plan file (or standard input for "-"). 0 when every channel
// agrees, 1 (with the count in error) when any differs or the file records
// other parameters; raises FileFault or PlanFormatError (naming the line)
// for a file that cannot be read or is not a plan.
int RunVerify(const Options& options, const MemoryPanel& parameters, unsigned threads, const PlanIo& io,
              std::string& error);

}  // namespace kestrova::plan
