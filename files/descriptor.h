// A file descriptor that closes itself, and writing all of a text to one.
#pragma once

#include <string>
#include <string_view>
#include <utility>

namespace kestrova::files {

// Raises FileFault(name, operation, error): the system's error and its words.
[[noreturn]] void Fail(const std::string& name, const char* operation, int error);

// Closes a descriptor on every path out of a scope unless released.
class Descriptor {
public:
    explicit Descriptor(int fd = -1) : fd_(fd) {}
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    ~Descriptor() { Reset(); }
    int Get() const { return fd_; }
    int Release() { return std::exchange(fd_, -1); }
    void Reset(int fd = -1);

private:
    int fd_;
};

// Writes every byte, going on after a signal; raises FileFault ("write") on
// any failure, a full disk and a file size limit included.
void WriteAll(int fd, std::string_view bytes, const std::string& name);

}  // namespace kestrova::files
