// kestrova-plan: the window's calculation for many wanted frequencies, or a
// whole band, written as a table, CSV, JSON or a C header; register sets
// decoded back into frequencies; plan files verified against the
// calculation.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "plan/run/plan_io.h"

namespace kestrova::plan {

// Runs the program on its arguments (without the program name). A problem
// that stops the run (status 2), or the count of what disagreed (status 1),
// is put in `error` as one line. Returns the exit status.
int RunPlan(const std::vector<std::string>& args, const PlanIo& io, std::string& error);

// The same with standard output alone.
int RunPlan(const std::vector<std::string>& args, const std::function<void(std::string_view)>& write,
            bool outputIsTerminal, std::string& error);

}  // namespace kestrova::plan
