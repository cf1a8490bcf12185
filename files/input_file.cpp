// Buffered reading of a regular file.
#include "files/input_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <utility>

#include "files/descriptor.h"
#include "files/file_fault.h"
#include "files/usable_path.h"

namespace kestrova::files {

InputFile::InputFile(std::string name) : name_(std::move(name)) {
    (void)UsableTarget(name_);
    // O_NONBLOCK: a FIFO put in its place since would otherwise wait for a writer.
    fd_.Reset(::open(name_.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    if (fd_.Get() < 0) Fail(name_, "open", errno);
    struct stat info {};
    if (::fstat(fd_.Get(), &info) != 0) Fail(name_, "open", errno);
    if (!S_ISREG(info.st_mode))
        throw UnusableFileFault(name_,
                                std::string("is ") + FileTypeWords(info.st_mode) + ", not a regular file");
    attributes_ = {info.st_mode & 07777, info.st_uid, info.st_gid};
}

bool InputFile::Fill() {
    for (;;) {
        const ssize_t got = ::read(fd_.Get(), buffer_, sizeof buffer_);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) Fail(name_, "read", errno);
        position_ = 0;
        filled_ = static_cast<std::size_t>(got);
        return got > 0;
    }
}

void InputFile::Close() {
    const int fd = fd_.Release();
    if (::close(fd) != 0) Fail(name_, "close", errno);
}

}  // namespace kestrova::files
