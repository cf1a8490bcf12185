// Signal handlers that remove a pending temporary file.
#include "plan/program/signal_cleanup.h"

#include <unistd.h>

#include <csignal>
#include <cstring>
#include <vector>

namespace kestrova::plan {
namespace {

// The one piece of state a signal handler may read: the pending file's name.
char pendingName[4096];
volatile std::sig_atomic_t pending = 0;

void RemovePendingAndDie(int signal) {
    if (pending != 0) ::unlink(pendingName);
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}

// Every signal whose default action ends the process, apart from SIGKILL
// (which cannot be caught) and SIGXFSZ (a write error instead).
std::vector<int> EndingSignals() {
    std::vector<int> signals = {SIGHUP,  SIGINT,    SIGQUIT, SIGILL,  SIGTRAP, SIGABRT, SIGBUS,
                                SIGFPE,  SIGUSR1,   SIGSEGV, SIGUSR2, SIGPIPE, SIGALRM, SIGTERM,
                                SIGXCPU, SIGVTALRM, SIGPROF, SIGIO,   SIGPWR,  SIGSYS,  SIGSTKFLT};
    for (int signal = SIGRTMIN; signal <= SIGRTMAX; ++signal) signals.push_back(signal);
    return signals;
}

void Install(int signal, void (*handler)(int)) {
    struct sigaction previous {};
    if (::sigaction(signal, nullptr, &previous) != 0 || previous.sa_handler == SIG_IGN) return;
    struct sigaction action {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    ::sigaction(signal, &action, nullptr);
}

}  // namespace

std::function<void(const std::string&)> RemoveTemporaryOnEndingSignals() {
    return [installed = false](const std::string& name) mutable {
        pending = 0;
        if (name.empty() || name.size() >= sizeof pendingName) return;
        std::memcpy(pendingName, name.c_str(), name.size() + 1);
        pending = 1;
        if (installed) return;
        for (const int signal : EndingSignals()) Install(signal, RemovePendingAndDie);
        Install(SIGXFSZ, SIG_IGN);
        installed = true;
    };
}

}  // namespace kestrova::plan
