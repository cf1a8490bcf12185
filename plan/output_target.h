// Where a plan's bytes go: standard output, a FIFO, device, terminal or
// descriptor written straight into, or a file replaced in one step when the
// plan is complete, so that a run that fails or is stopped leaves the old
// file as it was.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "files/descriptor.h"
#include "files/replacement_file.h"
#include "plan/options.h"

namespace kestrova::plan {

class OutputTarget {
public:
    // Standard output through write, or the file of -o. Raises UsageError
    // for a directory or for the settings file this run reads (by whatever
    // name), FileFault when the file cannot be opened or created.
    OutputTarget(const Options& options, std::function<void(std::string_view)> write);
    OutputTarget(const OutputTarget&) = delete;
    OutputTarget& operator=(const OutputTarget&) = delete;
    ~OutputTarget();

    void Write(std::string_view bytes);  // raises FileFault
    void Finish();                       // puts a replacement in place; raises FileFault

private:
    class SignalGuard;
    std::function<void(std::string_view)> write_;
    std::string path_;
    files::Descriptor straight_;
    std::optional<files::ReplacementFile> replacement_;
    std::unique_ptr<SignalGuard> guard_;
};

}  // namespace kestrova::plan
