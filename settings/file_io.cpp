// POSIX file operations for the settings file. Every failure becomes a
// FileFault naming the operation and the system's reason.
#include "settings/file_io.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <random>
#include <fcntl.h>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>
#include <utility>

#include "settings/settings_file.h"

namespace kestrova::detail {
namespace {

[[noreturn]] void Fail(const std::string& name, const char* operation, int error) {
    throw FileFault(name, operation, std::generic_category().message(error));
}

// Closes a descriptor on every path out of a scope unless released.
class Descriptor {
public:
    explicit Descriptor(int fd) : fd_(fd) {}
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    ~Descriptor() {
        if (fd_ >= 0) ::close(fd_);
    }
    int Get() const { return fd_; }
    int Release() { return std::exchange(fd_, -1); }

private:
    int fd_;
};

void WriteAll(int fd, std::string_view content, const std::string& name) {
    while (!content.empty()) {
        const ssize_t written = ::write(fd, content.data(), content.size());
        if (written < 0) {
            if (errno == EINTR) continue;
            Fail(name, "write", errno);
        }
        content.remove_prefix(static_cast<std::size_t>(written));
    }
}

void FlushAndClose(Descriptor& file, const std::string& name) {
    if (::fsync(file.Get()) != 0) Fail(name, "flush", errno);
    if (::close(file.Release()) != 0) Fail(name, "close", errno);
}

std::string DirectoryOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

// fs.protected_symlinks: in a sticky directory that anyone may write, a link
// is followed only when it belongs to this user or to the directory's owner.
bool MayFollow(const std::string& link, const struct stat& info) {
    struct stat directory {};
    if (::stat(DirectoryOf(link).c_str(), &directory) != 0) return false;
    const bool shared = (directory.st_mode & S_ISVTX) != 0 && (directory.st_mode & S_IWOTH) != 0;
    return !shared || info.st_uid == ::geteuid() || info.st_uid == directory.st_uid;
}

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

// Rewrites an existing file over its old bytes, then cuts it to the new
// length: a crash part-way leaves new lines followed by old ones, never an
// empty file.
void RewriteInPlace(const std::string& name, std::string_view content) {
    Descriptor file(::open(name.c_str(), O_WRONLY | O_CLOEXEC));
    if (file.Get() < 0) Fail(name, "open", errno);
    WriteAll(file.Get(), content, name);
    if (::ftruncate(file.Get(), static_cast<off_t>(content.size())) != 0) Fail(name, "write", errno);
    FlushAndClose(file, name);
}

}  // namespace

const char* FileTypeWords(unsigned mode) {
    switch (mode & S_IFMT) {
    case S_IFREG: return "a regular file";
    case S_IFDIR: return "a directory";
    case S_IFIFO: return "a FIFO";
    case S_IFCHR: return "a character device";
    case S_IFBLK: return "a block device";
    case S_IFSOCK: return "a socket";
    case S_IFLNK: return "a symbolic link";
    default: return "not a file";
    }
}

std::string UsableTarget(const std::string& name) {
    struct stat info {};
    if (::lstat(name.c_str(), &info) != 0) {
        if (errno == ENOENT) return name;
        Fail(name, "open", errno);
    }
    std::string target = name;
    const char* via = "";
    if (S_ISLNK(info.st_mode)) {
        if (!MayFollow(name, info))
            throw UnusableFileFault(name, "is a link owned by another user in a shared directory");
        char* resolved = ::realpath(name.c_str(), nullptr);
        if (resolved == nullptr) return name;  // a dangling link is replaced
        target = resolved;
        std::free(resolved);
        if (::stat(target.c_str(), &info) != 0) Fail(name, "open", errno);
        via = "a link to ";
    }
    if (!S_ISREG(info.st_mode))
        throw UnusableFileFault(name, std::string("is ") + via + FileTypeWords(info.st_mode) + ", not a regular file");
    return target;
}

InputFile::InputFile(std::string name) : name_(std::move(name)) {
    (void)UsableTarget(name_);
    // O_NONBLOCK: a FIFO put in its place since would otherwise wait for a writer.
    fd_ = ::open(name_.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd_ < 0) Fail(name_, "open", errno);
    struct stat info {};
    if (::fstat(fd_, &info) != 0) Fail(name_, "open", errno);
    if (!S_ISREG(info.st_mode))
        throw UnusableFileFault(name_, std::string("is ") + FileTypeWords(info.st_mode) + ", not a regular file");
    mode_ = info.st_mode & 07777;
}

InputFile::~InputFile() {
    if (fd_ >= 0) ::close(fd_);
}

bool InputFile::Fill() {
    for (;;) {
        const ssize_t got = ::read(fd_, buffer_, sizeof buffer_);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) Fail(name_, "read", errno);
        position_ = 0;
        filled_ = static_cast<std::size_t>(got);
        return got > 0;
    }
}

void InputFile::Close() {
    const int fd = std::exchange(fd_, -1);
    if (::close(fd) != 0) Fail(name_, "close", errno);
}

ReplacementFile::ReplacementFile(std::string name, std::optional<unsigned> mode)
    : name_(std::move(name)), target_(UsableTarget(name_)) {
    struct stat old {};
    const bool exists = ::stat(target_.c_str(), &old) == 0;
    if (exists) {
        if (const int refusal = WriteRefusal(target_, old); refusal != 0) Fail(name_, "open", refusal);
        if (!mode) mode = old.st_mode & 07777;
    }
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string temporary = target_ + ".tmp" + RandomSuffix();
        // Private until its content is whole; the final permissions follow.
        fd_ = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, mode ? 0600 : 0666);
        if (fd_ >= 0) {
            temporary_ = std::move(temporary);
            break;
        }
        if (errno != EEXIST) break;
    }
    if (fd_ < 0) {
        openError_ = errno;
        return;
    }
    if (mode) (void)::fchmod(fd_, *mode);
}

void ReplacementFile::RequireOpened() const {
    if (!Opened()) Fail(name_, "create", openError_);
}

ReplacementFile::~ReplacementFile() {
    if (fd_ >= 0) {
        ::close(fd_);
        ::unlink(temporary_.c_str());
    }
}

void ReplacementFile::Write(std::string_view bytes) {
    constexpr std::size_t kBuffer = 1 << 16;
    if (buffer_.size() + bytes.size() > kBuffer) Flush();
    if (bytes.size() > kBuffer) {
        WriteAll(fd_, bytes, name_);
    } else {
        buffer_.append(bytes);
    }
}

void ReplacementFile::Flush() {
    WriteAll(fd_, buffer_, name_);
    buffer_.clear();
}

void ReplacementFile::Commit() {
    Flush();
    Descriptor file(std::exchange(fd_, -1));
    try {
        FlushAndClose(file, name_);
        if (::rename(temporary_.c_str(), target_.c_str()) != 0) Fail(name_, "rename", errno);
    } catch (...) {
        ::unlink(temporary_.c_str());
        throw;
    }
    // The rename itself reaches the disk with the directory. Some file
    // systems cannot flush a directory; the new content is in place either way.
    if (const int directory = ::open(DirectoryOf(target_).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        directory >= 0) {
        (void)::fsync(directory);
        ::close(directory);
    }
}

void ReplaceFileContent(const std::string& name, std::string_view content, std::optional<unsigned> mode) {
    ReplacementFile file(name, mode);
    if (!file.Opened()) {
        const int error = file.OpenError();
        struct stat old {};
        if ((error == EACCES || error == EPERM) && ::stat(file.Target().c_str(), &old) == 0 &&
            S_ISREG(old.st_mode) && ::access(file.Target().c_str(), W_OK) == 0) {
            RewriteInPlace(file.Target(), content);
            return;
        }
    }
    file.RequireOpened();
    file.Write(content);
    file.Commit();
}

bool MoveRegularFile(const std::string& from, const std::string& to) {
    struct stat info {};
    if (::lstat(from.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) return false;
    if (::rename(from.c_str(), to.c_str()) != 0) Fail(to, "back up", errno);
    return true;
}

}  // namespace kestrova::detail
