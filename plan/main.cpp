// kestrova-plan's start: arguments in, rows to standard output, progress on
// standard error when that is a terminal.
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <iostream>
#include <string>
#include <vector>

#include "plan/channel/text_escapes.h"
#include "plan/program/plan.h"
#include "plan/program/signal_cleanup.h"

int main(int argc, char** argv) try {
    // A file size limit is a write that fails, reported as one, not a
    // signal that ends the run half-way.
    std::signal(SIGXFSZ, SIG_IGN);
    std::ios::sync_with_stdio(false);
    const std::vector<std::string> args(argv + 1, argv + argc);
    std::string error;
    bool writeFailed = false;
    kestrova::plan::PlanIo io;
    io.write = [&writeFailed](std::string_view bytes) {
        if (!writeFailed && std::fwrite(bytes.data(), 1, bytes.size(), stdout) != bytes.size())
            writeFailed = true;
    };
    io.outputIsTerminal = ::isatty(STDOUT_FILENO) == 1;
    io.input = &std::cin;
    io.pendingTemporary = kestrova::plan::RemoveTemporaryOnEndingSignals();
    if (::isatty(STDERR_FILENO) == 1) {
        io.progress = [](std::string_view line) {
            std::fwrite(line.data(), 1, line.size(), stderr);
            std::fflush(stderr);
        };
    }
    const int status = kestrova::plan::RunPlan(args, io, error);
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
