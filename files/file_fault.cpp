// The file faults' messages.
#include "files/file_fault.h"

#include <system_error>
#include <utility>

namespace kestrova {

FileFault::FileFault(const std::string& file, std::string operation, std::string reason)
    : FileFault("\"" + file + "\": " + operation + " failed: " + reason, operation, reason, 0) {}

FileFault::FileFault(const std::string& file, std::string operation, int error)
    : FileFault(file, std::move(operation), std::generic_category().message(error)) {
    error_ = error;
}

FileFault::FileFault(const std::string& message, std::string operation, std::string reason, int error)
    : std::runtime_error(message),
      operation_(std::move(operation)),
      reason_(std::move(reason)),
      error_(error) {}

UnusableFileFault::UnusableFileFault(const std::string& file, const std::string& what)
    : FileFault("\"" + file + "\" " + what, "open", what, 0) {}

UnusableFileFault::UnusableFileFault(const std::string& message) : FileFault(message, "open", message, 0) {}

}  // namespace kestrova
