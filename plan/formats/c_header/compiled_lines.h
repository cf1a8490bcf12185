// What a C compiler sees of a header, line after line: the code outside
// comments, and nothing of a region the preprocessor skips (from "#if 0" to
// its #else, #elif or #endif). Any other condition is taken as true.
#pragma once

#include <optional>
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

// The lines of --decode's input that may hold register sets: every line,
// but of a whole C header this program wrote only what the compiler sees of
// its array's lines.
class SetLineFilter {
public:
    // The code of the next line to decode, or nothing; line is the first
    // when it is the input's first.
    std::optional<std::string_view> Next(std::string_view line, bool first);

private:
    CompiledLines compiled_;
    enum class Part { Sets, Opening, Array, End } part_ = Part::Sets;
};

}  // namespace kestrova::plan
