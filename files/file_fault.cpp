// The file faults' messages.
#include "files/file_fault.h"

#include <utility>

namespace kestrova {

FileFault::FileFault(const std::string& file, std::string operation, std::string reason)
    : FileFault("\"" + file + "\": " + operation + " failed: " + reason, operation, reason, 0) {}

FileFault::FileFault(const std::string& message, std::string operation, std::string reason, int)
    : std::runtime_error(message), operation_(std::move(operation)), reason_(std::move(reason)) {}

UnusableFileFault::UnusableFileFault(const std::string& file, const std::string& what)
    : FileFault("\"" + file + "\" " + what, "open", what, 0) {}

UnusableFileFault::UnusableFileFault(const std::string& message) : FileFault(message, "open", message, 0) {}

}  // namespace kestrova
