// The replacement of a file: a private temporary file renamed over it, or a
// rewrite in place where that cannot keep the file's owner.
#include "files/replacement_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <random>
#include <utility>

#include "files/file_fault.h"
#include "files/usable_path.h"

namespace kestrova::files {
namespace {

constexpr unsigned kReadWrite = 0666;  // the only bits a replacement is given

// A temporary name beside the target that no other save uses.
std::string RandomSuffix() {
    static constexpr char kLetters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    std::random_device random;
    std::string suffix(8, '0');
    for (char& c : suffix) c = kLetters[random() % (sizeof kLetters - 1)];
    return suffix;
}

// Whether this user may write the existing file as a direct write would,
// and whether anyone may: a file with no write permission is read-only for
// root too.
int WriteRefusal(const std::string& target, const struct stat& info) {
    if (::faccessat(AT_FDCWD, target.c_str(), W_OK, AT_EACCESS) != 0) return errno;
    return (info.st_mode & 0222) == 0 ? EACCES : 0;
}

void FlushAndClose(Descriptor& file, const std::string& name) {
    if (::fsync(file.Get()) != 0) Fail(name, "flush", errno);
    if (::close(file.Release()) != 0) Fail(name, "close", errno);
}

}  // namespace

ReplacementFile::ReplacementFile(std::string name, const std::optional<FileAttributes>& like)
    : name_(std::move(name)), target_(UsableTarget(name_)) {
    struct stat old {};
    const bool exists = ::stat(target_.c_str(), &old) == 0;
    if (exists)
        if (const int refusal = WriteRefusal(target_, old); refusal != 0) Fail(name_, "open", refusal);
    std::optional<FileAttributes> wanted = like;
    if (!wanted && exists) wanted = FileAttributes{old.st_mode & 07777, old.st_uid, old.st_gid};

    if (!CreateTemporary(wanted ? 0600 : kReadWrite)) {
        const int error = errno;
        // The directory allows no new file: the file itself may still be written.
        if (!exists || (error != EACCES && error != EPERM)) Fail(name_, "create", error);
        OpenInPlace();
        return;
    }
    if (wanted && !GiveAttributes(*wanted) && exists) {
        fd_.Reset();
        ::unlink(std::exchange(temporary_, {}).c_str());
        OpenInPlace();
    }
}

bool ReplacementFile::CreateTemporary(unsigned mode) {
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string temporary = target_ + ".tmp" + RandomSuffix();
        fd_.Reset(::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, mode));
        if (fd_.Get() >= 0) {
            temporary_ = std::move(temporary);
            return true;
        }
        if (errno != EEXIST) return false;
    }
    return false;
}

// The owner and group first (a change of owner clears the special bits),
// then the read and write bits. False when the owner cannot be given.
bool ReplacementFile::GiveAttributes(const FileAttributes& like) {
    struct stat made {};
    if (::fstat(fd_.Get(), &made) != 0) return false;
    const uid_t owner = like.owner == made.st_uid ? static_cast<uid_t>(-1) : like.owner;
    const gid_t group = like.group == made.st_gid ? static_cast<gid_t>(-1) : like.group;
    if ((owner != static_cast<uid_t>(-1) || group != static_cast<gid_t>(-1)) &&
        ::fchown(fd_.Get(), owner, group) != 0)
        return false;
    (void)::fchmod(fd_.Get(), like.mode & kReadWrite);
    return true;
}

void ReplacementFile::OpenInPlace() {
    struct stat info {};
    fd_.Reset(OpenRegular(target_, name_, O_WRONLY, info));
    // Whatever bits the file had beyond reading and writing, it loses them
    // now that its bytes are ours (a file of another owner keeps its own).
    if ((info.st_mode & 07777 & ~kReadWrite) != 0) (void)::fchmod(fd_.Get(), info.st_mode & kReadWrite);
}

ReplacementFile::~ReplacementFile() {
    if (fd_.Get() >= 0 && !temporary_.empty()) {
        fd_.Reset();
        ::unlink(temporary_.c_str());
    }
}

void ReplacementFile::Write(std::string_view bytes) {
    constexpr std::size_t kBuffer = 1 << 16;
    if (buffer_.size() + bytes.size() > kBuffer) Flush();
    if (bytes.size() > kBuffer) {
        WriteAll(fd_.Get(), bytes, name_);
        written_ += bytes.size();
    } else {
        buffer_.append(bytes);
    }
}

void ReplacementFile::Flush() {
    WriteAll(fd_.Get(), buffer_, name_);
    written_ += buffer_.size();
    buffer_.clear();
}

void ReplacementFile::Commit() {
    Flush();
    if (temporary_.empty()) {
        if (::ftruncate(fd_.Get(), static_cast<off_t>(written_)) != 0) Fail(name_, "write", errno);
        FlushAndClose(fd_, name_);
        return;
    }
    try {
        FlushAndClose(fd_, name_);
        if (::rename(temporary_.c_str(), target_.c_str()) != 0) Fail(name_, "rename", errno);
    } catch (...) {
        fd_.Reset();
        ::unlink(temporary_.c_str());
        throw;
    }
    // The rename itself reaches the disk with the directory. Some file
    // systems cannot flush a directory; the new content is in place either way.
    if (const Descriptor directory(::open(DirectoryOf(target_).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
        directory.Get() >= 0)
        (void)::fsync(directory.Get());
}

void ReplaceFileContent(const std::string& name, std::string_view content,
                        const std::optional<FileAttributes>& like) {
    ReplacementFile file(name, like);
    file.Write(content);
    file.Commit();
}

bool MoveRegularFile(const std::string& from, const std::string& to) {
    struct stat info {};
    if (::lstat(from.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) return false;
    (void)UsableTarget(to);
    if (::rename(from.c_str(), to.c_str()) != 0) Fail(to, "back up", errno);
    return true;
}

}  // namespace kestrova::files
