// Whether the window can be shown at all, asked before Qt is started so that
// a missing display gives one clear line instead of a plugin backtrace.
#pragma once

#include <optional>
#include <string>

namespace kestrova {

// Nothing when a display can be opened (or the platform is not X11); else
// the reason, in one line.
std::optional<std::string> DisplayProblem();

}  // namespace kestrova
