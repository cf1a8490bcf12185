// What a C compiler sees of a header, line after line: the code outside
// comments, and nothing of a region the preprocessor skips (from "#if 0" to
// its #else, #elif or #endif). Any other condition is taken as true.
#pragma once

#include <string>
#include <string_view>

namespace kestrova::plan {

class CompiledLines {
public:
    // The code of the next line (a comment becomes a space), or nothing in
    // a skipped region; a directive's own line is code.
    std::string_view Next(std::string_view line);
    // Whether the last line was in a skipped region.
    bool Skipped() const { return skipping_; }

private:
    void Directive(std::string_view code);

    bool inComment_ = false;
    // Open conditionals whose branch is taken; and, while skipping, those
    // opened inside the skipped one, and whether it had a branch taken.
    long long taken_ = 0, inner_ = 0;
    bool skipping_ = false, hadBranch_ = false;
    std::string code_;
};

}  // namespace kestrova::plan
