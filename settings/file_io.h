// The file system operations under the settings file, as POSIX calls that
// raise FileFault with the operating system's reason.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace kestrova::detail {

// What a path is, for a message: "a FIFO", "a directory", ... (S_IFMT bits).
const char* FileTypeWords(unsigned mode);

// The file a name stands for, checked before it is read or replaced: the
// name itself, or the target of a symbolic link. Raises UnusableFileFault
// for anything but a regular file (or a name that does not exist yet), and
// for a link in a world-writable sticky directory (such as /tmp) that is
// owned neither by this user nor by the directory's owner: the kernel itself
// would not follow it (fs.protected_symlinks). A dangling link stands for
// itself. Raises FileFault ("open") when the path cannot be examined.
std::string UsableTarget(const std::string& name);

// A regular file open for reading, read a buffer at a time. The open never
// waits (a FIFO would block it) and anything but a regular file is refused.
class InputFile {
public:
    explicit InputFile(std::string name);  // raises FileFault ("open"), UnusableFileFault
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
    unsigned Mode() const { return mode_; }  // the permission bits

private:
    bool Fill();
    std::string name_;
    int fd_ = -1;
    std::size_t position_ = 0;
    std::size_t filled_ = 0;
    unsigned mode_ = 0;
    char buffer_[16384];
};

// A new content for a file, written to a temporary file beside it and put in
// its place in one step by Commit: flushed to disk, then renamed over it,
// keeping the old file's permissions and writing through a symbolic link to
// its target. Each replacement has a temporary file of its own, created
// exclusively under a random name, so two saves never touch each other's.
// Until Commit the old file is untouched; a replacement that is dropped
// uncommitted removes its temporary file.
class ReplacementFile {
public:
    // Checks the target (UsableTarget, and that this user may write an
    // existing file: FileFault "open") and creates the temporary file;
    // Opened() tells whether that worked. With a mode, the new file gets
    // those permissions; otherwise the old file's, or the usual ones.
    explicit ReplacementFile(std::string name, std::optional<unsigned> mode = std::nullopt);
    ReplacementFile(const ReplacementFile&) = delete;
    ReplacementFile& operator=(const ReplacementFile&) = delete;
    ~ReplacementFile();

    bool Opened() const { return fd_ >= 0; }
    int OpenError() const { return openError_; }  // the errno of a failed open
    void RequireOpened() const;                   // raises FileFault ("create") unless Opened()
    const std::string& Target() const { return target_; }
    const std::string& Temporary() const { return temporary_; }  // empty unless Opened()

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
void ReplaceFileContent(const std::string& name, std::string_view content,
                        std::optional<unsigned> mode = std::nullopt);

// Renames a regular file; false (with nothing done) when it is no regular
// file. Raises FileFault ("back up") when the rename fails.
bool MoveRegularFile(const std::string& from, const std::string& to);

}  // namespace kestrova::detail
