// Prints kestrova-plan's bash completion, made from its table of options;
// run by the build.
#include <cstdio>

#include "plan/command_line/options.h"

int main() {
    const std::string script = kestrova::plan::BashCompletion();
    return std::fwrite(script.data(), 1, script.size(), stdout) == script.size() && std::fflush(stdout) == 0
               ? 0
               : 1;
}
