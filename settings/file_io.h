// The file system operations under the settings file, as POSIX calls that
// raise FileFault with the operating system's reason.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace kestrova::detail {

// A file open for reading, read a buffer at a time.
class InputFile {
public:
    explicit InputFile(std::string name);  // raises FileFault ("open")
    InputFile(const InputFile&) = delete;
    InputFile& operator=(const InputFile&) = delete;
    ~InputFile();

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

private:
    bool Fill();
    std::string name_;
    int fd_ = -1;
    std::size_t position_ = 0;
    std::size_t filled_ = 0;
    char buffer_[16384];
};

// Replaces the file's content in one step: a temporary file beside it is
// written, flushed to disk and renamed over it, keeping the old file's
// permissions and writing through a symbolic link to its target. Where the
// directory refuses the temporary file but the file exists and is writable,
// the file is rewritten in place instead. Raises FileFault.
void ReplaceFileContent(const std::string& name, std::string_view content);

// Renames a regular file; false (with nothing done) when it is no regular
// file. Raises FileFault ("back up") when the rename fails.
bool MoveRegularFile(const std::string& from, const std::string& to);

}  // namespace kestrova::detail
