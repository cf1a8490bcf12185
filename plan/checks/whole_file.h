// A whole file, or the whole of standard input, as one text: a regular
// file mapped as it stands, anything else read into memory.
#pragma once

#include <istream>
#include <string>
#include <string_view>

namespace kestrova::plan {

class WholeFile {
public:
    // path "-" is the input (none reads as empty); raises FileFault.
    WholeFile(const std::string& path, std::istream* input);
    WholeFile(const WholeFile&) = delete;
    WholeFile& operator=(const WholeFile&) = delete;
    ~WholeFile();
    std::string_view Content() const { return content_; }

private:
    std::string copy_;
    void* mapped_ = nullptr;
    std::string_view content_;
};

}  // namespace kestrova::plan
