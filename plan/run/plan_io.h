// What a run of kestrova-plan reads and writes besides its files, and the
// exit statuses it ends with.
#pragma once

#include <functional>
#include <istream>
#include <string>
#include <string_view>

namespace kestrova::plan {

inline constexpr int kAllComputed = 0;
inline constexpr int kSomeFaulted = 1;
inline constexpr int kBadUsage = 2;  // also: a settings or output file that cannot be used

struct PlanIo {
    std::function<void(std::string_view)> write;  // standard output
    bool outputIsTerminal = false;
    std::istream* input = nullptr;  // standard input (--decode, --verify -); none reads as empty
    std::function<void(std::string_view)> progress;  // standard error when it is a terminal, else empty
    // Told the temporary file that -o is writing, and "" once it is in
    // place or gone, for a signal handler that removes it; may be empty.
    std::function<void(const std::string&)> pendingTemporary;
};

}  // namespace kestrova::plan
