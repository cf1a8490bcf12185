// Descriptors and whole writes.
#include "files/descriptor.h"

#include <unistd.h>
#include <cerrno>

#include "files/file_fault.h"

namespace kestrova::files {

void Fail(const std::string& name, const char* operation, int error) {
    throw FileFault(name, operation, error);
}

void Descriptor::Reset(int fd) {
    if (fd_ >= 0) ::close(fd_);
    fd_ = fd;
}

void WriteAll(int fd, std::string_view bytes, const std::string& name) {
    while (!bytes.empty()) {
        const ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written < 0) {
            if (errno == EINTR) continue;
            Fail(name, "write", errno);
        }
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
}

}  // namespace kestrova::files
