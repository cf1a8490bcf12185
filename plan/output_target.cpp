// The output of a plan, and the removal of its temporary file by any signal
// that ends the run.
#include "plan/output_target.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <array>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <utility>
#include <vector>

#include "settings/settings_file.h"

namespace kestrova::plan {
namespace {

// The temporary file of an -o replacement in progress, removed if a signal
// ends the run before it is complete, so the old output stays untouched.
char pendingTemporary[4096];
volatile std::sig_atomic_t temporaryPending = 0;

void RemoveTemporaryAndDie(int signal) {
    if (temporaryPending != 0) ::unlink(pendingTemporary);
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}

// Every signal whose default action ends the process, apart from SIGKILL
// (which cannot be caught) and SIGXFSZ (a write error instead). A signal the
// caller ignores stays ignored.
std::vector<int> EndingSignals() {
    std::vector<int> signals = {SIGHUP,  SIGINT,    SIGQUIT, SIGILL,  SIGTRAP, SIGABRT, SIGBUS,
                                SIGFPE,  SIGUSR1,   SIGSEGV, SIGUSR2, SIGPIPE, SIGALRM, SIGTERM,
                                SIGXCPU, SIGVTALRM, SIGPROF, SIGIO,   SIGPWR,  SIGSYS,  SIGSTKFLT};
    for (int signal = SIGRTMIN; signal <= SIGRTMAX; ++signal) signals.push_back(signal);
    return signals;
}

// Where -o writes. A FIFO, a device or a terminal (or a name for one of the
// process's own descriptors, such as /dev/stdout) is written straight into;
// a regular file, or a name not yet taken, is replaced in one step when the
// output is complete. A directory, and the settings file this run reads
// (whatever name leads to it), are refused.
bool WritesStraightInto(const std::string& path, const Options& options) {
    struct stat output {};
    if (::stat(path.c_str(), &output) != 0) return false;
    if (S_ISDIR(output.st_mode)) throw UsageError("-o: \"" + path + "\" is a directory");
    struct stat settings {};
    const std::string settingsPath = options.ini.value_or(std::string(kSettingsFileName));
    if (::stat(settingsPath.c_str(), &settings) == 0 && settings.st_dev == output.st_dev &&
        settings.st_ino == output.st_ino)
        throw UsageError("-o: \"" + path + "\" is the settings file this run reads");
    return path.starts_with("/proc/") || path.starts_with("/dev/fd/") || path == "/dev/stdout" ||
           path == "/dev/stderr" || !S_ISREG(output.st_mode);
}

}  // namespace

class OutputTarget::SignalGuard {
public:
    explicit SignalGuard(const std::string& temporary) {
        if (temporary.empty() || temporary.size() >= sizeof pendingTemporary) return;
        std::memcpy(pendingTemporary, temporary.c_str(), temporary.size() + 1);
        temporaryPending = 1;
        struct sigaction action {};
        action.sa_handler = RemoveTemporaryAndDie;
        sigemptyset(&action.sa_mask);
        for (const int signal : EndingSignals()) Install(signal, action);
        // A file size limit: the write fails, and the run ends as after any
        // failed write, with the temporary file removed.
        struct sigaction ignore {};
        ignore.sa_handler = SIG_IGN;
        Install(SIGXFSZ, ignore);
    }
    SignalGuard(const SignalGuard&) = delete;
    SignalGuard& operator=(const SignalGuard&) = delete;
    ~SignalGuard() {
        temporaryPending = 0;
        for (const auto& [signal, previous] : previous_) ::sigaction(signal, &previous, nullptr);
    }

private:
    void Install(int signal, const struct sigaction& action) {
        struct sigaction previous {};
        if (::sigaction(signal, nullptr, &previous) != 0 || previous.sa_handler == SIG_IGN) return;
        ::sigaction(signal, &action, &previous);
        previous_.emplace_back(signal, previous);
    }
    std::vector<std::pair<int, struct sigaction>> previous_;
};

OutputTarget::OutputTarget(const Options& options, std::function<void(std::string_view)> write)
    : write_(std::move(write)) {
    if (!options.output) return;
    path_ = *options.output;
    if (WritesStraightInto(path_, options)) {
        // O_APPEND: a descriptor of the shell's ">>" keeps its end.
        straight_.Reset(::open(path_.c_str(), O_WRONLY | O_APPEND | O_NOCTTY | O_CLOEXEC));
        if (straight_.Get() < 0) files::Fail(path_, "open", errno);
        return;
    }
    replacement_.emplace(path_);
    guard_ = std::make_unique<SignalGuard>(replacement_->Temporary());
}

OutputTarget::~OutputTarget() = default;

void OutputTarget::Write(std::string_view bytes) {
    if (replacement_)
        replacement_->Write(bytes);
    else if (straight_.Get() >= 0)
        files::WriteAll(straight_.Get(), bytes, path_);
    else
        write_(bytes);
}

void OutputTarget::Finish() {
    if (replacement_) replacement_->Commit();
}

}  // namespace kestrova::plan
