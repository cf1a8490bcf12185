// kestrova-plan: the window's calculation for many wanted frequencies, or a
// whole band, written as a table, CSV, JSON or a C header.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace kestrova::plan {

inline constexpr int kAllComputed = 0;
inline constexpr int kSomeFaulted = 1;
inline constexpr int kBadUsage = 2;  // also: a settings or output file that cannot be used

// Runs the program on its arguments (without the program name). Standard
// output goes through `write`; a problem that stops the run is put in `error`
// as one line. Returns the exit status.
int RunPlan(const std::vector<std::string>& args, const std::function<void(std::string_view)>& write,
            bool outputIsTerminal, std::string& error);

}  // namespace kestrova::plan
