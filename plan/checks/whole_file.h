// A whole file, or the whole of standard input, as one text read into
// memory; a regular file that changes size while it is read is refused.
#pragma once

#include <istream>
#include <string>
#include <string_view>

namespace kestrova::plan {

class WholeFile {
public:
    // path "-" is the input (none reads as empty); raises FileFault, and
    // UnusableFileFault for a file that changed size while it was read.
    WholeFile(const std::string& path, std::istream* input);
    WholeFile(const WholeFile&) = delete;
    WholeFile& operator=(const WholeFile&) = delete;
    std::string_view Content() const { return content_; }

private:
    std::string copy_;
    std::string_view content_;
};

}  // namespace kestrova::plan
