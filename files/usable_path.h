// Which paths the program may read or replace: regular files, and in shared
// directories only what the kernel itself would let this user open.
#pragma once

#include <sys/stat.h>
#include <string>

namespace kestrova::files {

// What a path is, for a message: "a FIFO", "a directory", ... (S_IFMT bits).
const char* FileTypeWords(unsigned mode);

// The directory part of a path: "." for a bare name.
std::string DirectoryOf(const std::string& path);

// The file a name stands for, checked before it is read or replaced: the
// name itself, or the target of a symbolic link. Raises UnusableFileFault
//  - for anything but a regular file (or a name that does not exist yet);
//  - in a world-writable sticky directory (such as /tmp), for a link that is
//    owned neither by this user nor by the directory's owner, which the
//    kernel would not follow (fs.protected_symlinks), and for a regular file
//    owned by neither, which the kernel would not let a creating open write
//    (fs.protected_regular): another user may have planted it;
// and FileFault ("open") when the path cannot be examined. A dangling link
// stands for itself.
std::string UsableTarget(const std::string& name);

// Opens a path that UsableTarget has accepted, never waiting on a FIFO put
// in its place since, and checks that what was opened is a regular file.
// Raises FileFault ("open") or UnusableFileFault naming the file by name;
// fills info.
int OpenRegular(const std::string& path, const std::string& name, int flags, struct stat& info);

}  // namespace kestrova::files
