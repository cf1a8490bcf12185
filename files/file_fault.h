// The failure of an operation on a file, for the settings file and the
// planner's output alike.
#pragma once

#include <stdexcept>
#include <string>

namespace kestrova {

// The failure of an operation on a file: the operation ("open", "read",
// "write", "flush", "close", "create", "rename", "back up") and the reason,
// in the operating system's words or the program's own ("end of file before
// line K"). what() is "\"FILE\": OPERATION failed: REASON".
class FileFault : public std::runtime_error {
public:
    // A reason in the program's own words; Error() is 0.
    FileFault(const std::string& file, std::string operation, std::string reason);
    // The operating system's error number, and its words as the reason.
    FileFault(const std::string& file, std::string operation, int error);
    const std::string& Operation() const noexcept { return operation_; }
    const std::string& Reason() const noexcept { return reason_; }
    // The system's error number (ENOENT, EACCES, ...), or 0 for a reason of
    // the program's own: what code branches on, never the words.
    int Error() const noexcept { return error_; }

protected:
    FileFault(const std::string& message, std::string operation, std::string reason, int error);

private:
    std::string operation_;
    std::string reason_;
    int error_ = 0;
};

// A path that is no file the program may read or replace: a FIFO, a device,
// a directory or a socket; a symbolic link or a file of another user in a
// shared directory; a file that is plainly not what it should be. Operation
// "open"; what() says why, naming the file: "Kestrova.INI" is a FIFO, not a
// regular file. Nothing is ever written over such a path.
class UnusableFileFault : public FileFault {
public:
    // what(): "\"FILE\" WHAT".
    UnusableFileFault(const std::string& file, const std::string& what);
    // what(): the message as it stands.
    explicit UnusableFileFault(const std::string& message);
};

}  // namespace kestrova
