// The output of a plan.
#include "plan/run/output_target.h"

#include <fcntl.h>
#include <pthread.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <utility>

#include "settings/settings_file.h"

namespace kestrova::plan {
namespace {

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

OutputTarget::OutputTarget(const Options& options, std::function<void(std::string_view)> write,
                           std::function<void(const std::string&)> pendingTemporary)
    : write_(std::move(write)), pendingTemporary_(std::move(pendingTemporary)) {
    if (!options.output) return;
    path_ = *options.output;
    if (WritesStraightInto(path_, options)) {
        // O_APPEND: a descriptor of the shell's ">>" keeps its end.
        straight_.Reset(::open(path_.c_str(), O_WRONLY | O_APPEND | O_NOCTTY | O_CLOEXEC));
        if (straight_.Get() < 0) files::Fail(path_, "open", errno);
        return;
    }
    // No signal may end the run between the temporary file's creation and
    // the moment its name reaches whatever removes it: signals wait until both
    // are done (the workers, started later, inherit the mask as restored).
    sigset_t all, previous;
    sigfillset(&all);
    ::pthread_sigmask(SIG_BLOCK, &all, &previous);
    try {
        replacement_.emplace(path_);
        if (pendingTemporary_) pendingTemporary_(replacement_->Temporary());
    } catch (...) {
        ::pthread_sigmask(SIG_SETMASK, &previous, nullptr);
        throw;
    }
    ::pthread_sigmask(SIG_SETMASK, &previous, nullptr);
}

OutputTarget::~OutputTarget() {
    if (replacement_ && pendingTemporary_) pendingTemporary_("");
}

void OutputTarget::Write(std::string_view bytes) {
    if (replacement_)
        replacement_->Write(bytes);
    else if (straight_.Get() >= 0)
        files::WriteAll(straight_.Get(), bytes, path_);
    else
        write_(bytes);
}

void OutputTarget::Finish() {
    if (!replacement_) return;
    replacement_->Commit();
    if (pendingTemporary_) pendingTemporary_("");
}

}  // namespace kestrova::plan
