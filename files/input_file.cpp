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
    struct stat info {};
    fd_.Reset(OpenRegular(name_, name_, O_RDONLY, info));
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
