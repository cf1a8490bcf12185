// Replacing a file's content in one step, so that it holds either the old
// bytes or the new ones, and never lends its place to anyone else's file.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "files/descriptor.h"
#include "files/input_file.h"

namespace kestrova::files {

// A new content for a file, written to a temporary file beside it and put in
// its place by Commit: flushed to disk, then renamed over it, writing through
// a symbolic link to its target. Each replacement has a temporary file of its
// own, created exclusively under a random name, so two never touch each
// other's. Until Commit the old file is untouched; a replacement dropped
// uncommitted removes its temporary file.
//
// The new file belongs to the old file's owner and group, and gets its read
// and write bits, never a set-user-ID, set-group-ID, sticky or execute bit
// (so a file another user planted can never turn into one of ours that runs
// with our rights). Where the directory refuses a new file, or the new file
// cannot be given the old one's owner, an existing writable file is
// rewritten in place instead: new bytes over the old ones, then cut to the
// new length, so a crash leaves new lines followed by old ones, never an
// empty file.
class ReplacementFile {
public:
    // Checks the target (UsableTarget, and that this user may write an
    // existing file: FileFault "open"; a file with no write bit is read-only
    // for root too) and creates the temporary file (FileFault "create").
    // With attributes, the new file is given those (its read and write bits)
    // instead of the old file's.
    explicit ReplacementFile(std::string name, const std::optional<FileAttributes>& like = std::nullopt);
    ReplacementFile(const ReplacementFile&) = delete;
    ReplacementFile& operator=(const ReplacementFile&) = delete;
    ~ReplacementFile();

    // The temporary file, to be removed by whoever ends the process early;
    // empty when the file is rewritten in place.
    const std::string& Temporary() const { return temporary_; }

    void Write(std::string_view bytes);  // buffered; raises FileFault ("write")
    void Commit();                       // raises FileFault ("write", "flush", "close", "rename")

private:
    bool CreateTemporary(unsigned mode);
    bool GiveAttributes(const FileAttributes& like);
    void OpenInPlace();
    void Flush();
    std::string name_;
    std::string target_;
    std::string temporary_;
    std::string buffer_;
    Descriptor fd_;
    unsigned long long written_ = 0;
};

// Replaces the file's content with a ReplacementFile. Raises FileFault.
void ReplaceFileContent(const std::string& name, std::string_view content,
                        const std::optional<FileAttributes>& like = std::nullopt);

// Renames a regular file; false (with nothing done) when it is no regular
// file. Raises UnusableFileFault when the new name is another user's in a
// shared directory, FileFault ("back up") when the rename fails.
bool MoveRegularFile(const std::string& from, const std::string& to);

}  // namespace kestrova::files
