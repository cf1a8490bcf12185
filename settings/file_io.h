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

// A new content for a file, written to a temporary file beside it and put in
// its place in one step by Commit: flushed to disk, then renamed over it,
// keeping the old file's permissions and writing through a symbolic link to
// its target. Until Commit the old file is untouched; a replacement that is
// dropped uncommitted removes its temporary file.
class ReplacementFile {
public:
    // Opens the temporary file; Opened() tells whether that worked.
    explicit ReplacementFile(std::string name);
    ReplacementFile(const ReplacementFile&) = delete;
    ReplacementFile& operator=(const ReplacementFile&) = delete;
    ~ReplacementFile();

    bool Opened() const { return fd_ >= 0; }
    int OpenError() const { return openError_; }  // the errno of a failed open
    void RequireOpened() const;                   // raises FileFault ("create") unless Opened()
    const std::string& Target() const { return target_; }

    void Write(std::string_view bytes);  // buffered; raises FileFault ("write")
    void Commit();                       // raises FileFault ("write", "flush", "close", "rename")

private:
    void Flush();
    std::string name_;
    std::string target_;
    std::string temporary_;
    std::string buffer_;
    int fd_ = -1;
    int openError_ = 0;
};

// Replaces the file's content in one step with a ReplacementFile. Where the
// directory refuses the temporary file but the file exists and is writable,
// the file is rewritten in place instead. Raises FileFault ("create", ...).
void ReplaceFileContent(const std::string& name, std::string_view content);

// Renames a regular file; false (with nothing done) when it is no regular
// file. Raises FileFault ("back up") when the rename fails.
bool MoveRegularFile(const std::string& from, const std::string& to);

}  // namespace kestrova::detail
