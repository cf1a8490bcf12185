// kestrova-plan's start: arguments in, rows to standard output.
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <string>
#include <vector>

#include "plan/formats.h"
#include "plan/plan.h"

int main(int argc, char** argv) try {
    // A file size limit is a write that fails, reported as one, not a
    // signal that ends the run half-way.
    std::signal(SIGXFSZ, SIG_IGN);
    const std::vector<std::string> args(argv + 1, argv + argc);
    std::string error;
    bool writeFailed = false;
    const int status = kestrova::plan::RunPlan(
        args,
        [&writeFailed](std::string_view bytes) {
            if (!writeFailed && std::fwrite(bytes.data(), 1, bytes.size(), stdout) != bytes.size())
                writeFailed = true;
        },
        ::isatty(STDOUT_FILENO) == 1, error);
    if (std::fflush(stdout) != 0) writeFailed = true;
    if (!error.empty()) std::fprintf(stderr, "kestrova-plan: %s\n", kestrova::plan::Visible(error).c_str());
    if (writeFailed) {
        std::fprintf(stderr, "kestrova-plan: cannot write the output\n");
        return kestrova::plan::kBadUsage;
    }
    return status;
} catch (...) {
    std::fputs("kestrova-plan: stopped by an unexpected failure\n", stderr);
    return kestrova::plan::kBadUsage;
}
