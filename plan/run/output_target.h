// Where a plan's bytes go: standard output, a FIFO, device, terminal or
// descriptor written straight into, or a file replaced in one step when the
// plan is complete, so that a run that fails or is stopped leaves the old
// file as it was.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "files/descriptor.h"
#include "files/replacement_file.h"
#include "plan/command_line/options.h"

namespace kestrova::plan {

class OutputTarget {
public:
    // Standard output through write, or the file of -o. Raises UsageError
    // for a directory or for the settings file this run reads (by whatever
    // name), FileFault when the file cannot be opened or created.
    // pendingTemporary, when not empty, is told the temporary file of a
    // replacement in progress, and "" once it is in place or gone.
    OutputTarget(const Options& options, std::function<void(std::string_view)> write,
                 std::function<void(const std::string&)> pendingTemporary);
    OutputTarget(const OutputTarget&) = delete;
    OutputTarget& operator=(const OutputTarget&) = delete;
    ~OutputTarget();

    void Write(std::string_view bytes);  // raises FileFault
    void Finish();                       // puts a replacement in place; raises FileFault

private:
    std::function<void(std::string_view)> write_;
    std::function<void(const std::string&)> pendingTemporary_;
    std::string path_;
    files::Descriptor straight_;
    std::optional<files::ReplacementFile> replacement_;
};

}  // namespace kestrova::plan
