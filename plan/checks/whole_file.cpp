// Reading a whole file.
#include "plan/checks/whole_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <iterator>

#include "files/descriptor.h"
#include "files/file_fault.h"

namespace kestrova::plan {

WholeFile::WholeFile(const std::string& path, std::istream* input) {
    if (path == "-") {
        if (input != nullptr) copy_.assign(std::istreambuf_iterator<char>(*input), {});
        content_ = copy_;
        return;
    }
    const files::Descriptor file(::open(path.c_str(), O_RDONLY | O_NOCTTY | O_CLOEXEC));
    if (file.Get() < 0) files::Fail(path, "open", errno);
    struct stat info {};
    if (::fstat(file.Get(), &info) != 0) files::Fail(path, "read", errno);
    if (S_ISDIR(info.st_mode)) files::Fail(path, "read", EISDIR);
    // Read, never mapped: a mapped file that another process truncates
    // would end this one with SIGBUS.
    if (S_ISREG(info.st_mode)) copy_.reserve(static_cast<std::size_t>(info.st_size));
    char buffer[1 << 16];
    for (;;) {
        const ssize_t got = ::read(file.Get(), buffer, sizeof buffer);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) files::Fail(path, "read", errno);
        if (got == 0) break;
        copy_.append(buffer, static_cast<std::size_t>(got));
    }
    // A regular file that grew or shrank while it was read is no one plan.
    struct stat after {};
    if (S_ISREG(info.st_mode) && (::fstat(file.Get(), &after) != 0 || after.st_size != info.st_size ||
                                  copy_.size() != static_cast<std::size_t>(info.st_size)))
        throw UnusableFileFault(path, "changed size while it was read");
    content_ = copy_;
}
}  // namespace kestrova::plan
