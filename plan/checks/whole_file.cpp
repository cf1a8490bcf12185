// Reading a whole file.
#include "plan/checks/whole_file.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <iterator>

#include "files/descriptor.h"

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
    if (S_ISREG(info.st_mode) && info.st_size > 0) {
        void* mapped =
            ::mmap(nullptr, static_cast<std::size_t>(info.st_size), PROT_READ, MAP_PRIVATE, file.Get(), 0);
        if (mapped != MAP_FAILED) {
            mapped_ = mapped;
            content_ = {static_cast<const char*>(mapped), static_cast<std::size_t>(info.st_size)};
            return;
        }
    }
    char buffer[1 << 16];
    for (;;) {
        const ssize_t got = ::read(file.Get(), buffer, sizeof buffer);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) files::Fail(path, "read", errno);
        if (got == 0) break;
        copy_.append(buffer, static_cast<std::size_t>(got));
    }
    content_ = copy_;
}

WholeFile::~WholeFile() {
    if (mapped_ != nullptr) ::munmap(mapped_, content_.size());
}

}  // namespace kestrova::plan
