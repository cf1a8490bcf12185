// Reading a regular file a buffer at a time, without waiting on a FIFO put
// in its place and without ever holding more of it than a buffer.
#pragma once

#include <sys/types.h>
#include <cstddef>
#include <optional>
#include <string>

#include "files/descriptor.h"

namespace kestrova::files {

// Who a file belongs to and its permission bits: what a file that replaces
// it, or keeps a copy of it, is given.
struct FileAttributes {
    unsigned mode = 0600;  // the permission bits (07777)
    uid_t owner = 0;
    gid_t group = 0;
};

// A regular file open for reading. The open never waits (a FIFO would block
// it) and anything UsableTarget refuses is refused.
class InputFile {
public:
    explicit InputFile(std::string name);  // raises FileFault ("open"), UnusableFileFault
    InputFile(const InputFile&) = delete;
    InputFile& operator=(const InputFile&) = delete;

    // The next byte, or nothing at the end of the file; raises FileFault ("read").
    std::optional<unsigned char> Next() {
        const std::optional<unsigned char> byte = Peek();
        if (byte) ++position_;
        return byte;
    }
    // The next byte, left to be read again.
    std::optional<unsigned char> Peek() {
        if (position_ == filled_ && !Fill()) return std::nullopt;
        return static_cast<unsigned char>(buffer_[position_]);
    }
    void Close();  // raises FileFault ("close")
    const FileAttributes& Attributes() const { return attributes_; }
    const std::string& Name() const { return name_; }

private:
    bool Fill();
    std::string name_;
    Descriptor fd_;
    std::size_t position_ = 0;
    std::size_t filled_ = 0;
    FileAttributes attributes_;
    char buffer_[16384];
};

}  // namespace kestrova::files
