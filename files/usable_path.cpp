// The checks of a path before it is read or replaced.
#include "files/usable_path.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <cstdlib>
#include <vector>

#include "files/descriptor.h"
#include "files/file_fault.h"

namespace kestrova::files {
namespace {

// Whether the directory of a path is one that anyone may write but only an
// owner may delete from, such as /tmp; its owner is returned through owner.
bool InSharedDirectory(const std::string& path, uid_t& owner) {
    struct stat directory {};
    if (::stat(DirectoryOf(path).c_str(), &directory) != 0) return false;
    owner = directory.st_uid;
    return (directory.st_mode & S_ISVTX) != 0 && (directory.st_mode & S_IWOTH) != 0;
}

// Another user's path in a shared directory: planted, perhaps, to be read
// or overwritten in their stead.
bool PlantedByAnother(const std::string& path, uid_t uid) {
    uid_t owner = 0;
    return InSharedDirectory(path, owner) && uid != ::geteuid() && uid != owner;
}

std::string UserName(uid_t uid) {
    std::vector<char> buffer(4096);
    struct passwd entry {};
    struct passwd* found = nullptr;
    if (::getpwuid_r(uid, &entry, buffer.data(), buffer.size(), &found) == 0 && found != nullptr)
        return found->pw_name;
    return "uid " + std::to_string(uid);
}

}  // namespace

const char* FileTypeWords(unsigned mode) {
    switch (mode & S_IFMT) {
        case S_IFREG:
            return "a regular file";
        case S_IFDIR:
            return "a directory";
        case S_IFIFO:
            return "a FIFO";
        case S_IFCHR:
            return "a character device";
        case S_IFBLK:
            return "a block device";
        case S_IFSOCK:
            return "a socket";
        case S_IFLNK:
            return "a symbolic link";
        default:
            return "not a file";
    }
}

std::string DirectoryOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
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
        if (PlantedByAnother(name, info.st_uid))
            throw UnusableFileFault(name, "is a link owned by another user in a shared directory");
        char* resolved = ::realpath(name.c_str(), nullptr);
        if (resolved == nullptr) return name;  // a dangling link is replaced
        target = resolved;
        std::free(resolved);
        if (::stat(target.c_str(), &info) != 0) Fail(name, "open", errno);
        via = "a link to ";
    }
    if (!S_ISREG(info.st_mode))
        throw UnusableFileFault(
            name, std::string("is ") + via + FileTypeWords(info.st_mode) + ", not a regular file");
    if (PlantedByAnother(target, info.st_uid))
        throw UnusableFileFault(
            name, "belongs to another user (" + UserName(info.st_uid) + ") in a shared directory");
    return target;
}

int OpenRegular(const std::string& path, const std::string& name, int flags, struct stat& info) {
    Descriptor file(::open(path.c_str(), flags | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    if (file.Get() < 0) Fail(name, "open", errno);
    if (::fstat(file.Get(), &info) != 0) Fail(name, "open", errno);
    if (!S_ISREG(info.st_mode))
        throw UnusableFileFault(name,
                                std::string("is ") + FileTypeWords(info.st_mode) + ", not a regular file");
    return file.Release();
}

}  // namespace kestrova::files
