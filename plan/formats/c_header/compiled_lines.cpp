// Following comments and conditionals through a header.
#include "plan/formats/c_header/compiled_lines.h"

#include <utility>

#include "plan/channel/channel.h"
#include "plan/formats/c_header/c_header_text.h"

namespace kestrova::plan {
namespace {

// "#  if 0" as ("if", "0").
std::pair<std::string_view, std::string_view> DirectiveParts(std::string_view code) {
    code = Trimmed(code.substr(1));
    std::size_t end = 0;
    while (end < code.size() && code[end] >= 'a' && code[end] <= 'z') ++end;
    return {code.substr(0, end), Trimmed(code.substr(end))};
}

}  // namespace

std::string_view CompiledLines::Next(std::string_view line) {
    // A line that is one comment, as most of those that hold a '/' are.
    if (const std::string_view trimmed = Trimmed(line);
        !inComment_ && trimmed.starts_with("/*") && trimmed.find("*/", 2) == trimmed.size() - 2)
        return {};
    std::string_view code = line;
    if (inComment_ || line.find('/') != std::string_view::npos) {
        code_.clear();
        char quote = 0;
        for (std::size_t i = 0; i < line.size(); ++i) {
            const char c = line[i], next = i + 1 < line.size() ? line[i + 1] : '\0';
            if (inComment_) {
                if (c == '*' && next == '/') {
                    inComment_ = false;
                    ++i;
                }
            } else if (quote != 0) {
                code_ += c;
                if (c == '\\' && next != '\0')
                    code_ += line[++i];
                else if (c == quote)
                    quote = 0;
            } else if (c == '/' && next == '*') {
                inComment_ = true;
                code_ += ' ';
                ++i;
            } else if (c == '/' && next == '/') {
                break;
            } else {
                if (c == '"' || c == '\'') quote = c;
                code_ += c;
            }
        }
        code = code_;
    }
    if (const std::string_view trimmed = Trimmed(code); trimmed.starts_with('#')) {
        const bool wasSkipping = skipping_;
        Directive(trimmed);
        return wasSkipping && skipping_ ? std::string_view() : code;
    }
    return skipping_ ? std::string_view() : code;
}

void CompiledLines::Directive(std::string_view code) {
    const auto [name, condition] = DirectiveParts(code);
    const bool opens = name == "if" || name == "ifdef" || name == "ifndef";
    if (skipping_) {
        if (opens) {
            ++inner_;
        } else if (name == "endif") {
            if (inner_ > 0)
                --inner_;
            else
                skipping_ = false;
        } else if (inner_ == 0 && !hadBranch_ && (name == "else" || (name == "elif" && condition != "0"))) {
            skipping_ = false;
            ++taken_;
        }
        return;
    }
    if (opens) {
        if (name == "if" && condition == "0") {
            skipping_ = true;
            hadBranch_ = false;
            inner_ = 0;
        } else {
            ++taken_;
        }
    } else if ((name == "else" || name == "elif") && taken_ > 0) {
        // The branch before was taken: the rest are skipped.
        --taken_;
        skipping_ = true;
        hadBranch_ = true;
        inner_ = 0;
    } else if (name == "endif" && taken_ > 0) {
        --taken_;
    }
}

std::optional<std::string_view> SetLineFilter::Next(std::string_view line, bool first) {
    if (first && Trimmed(line).starts_with(Trimmed(c_header::kOpening))) part_ = Part::Opening;
    const std::string_view code = compiled_.Next(line);
    if (part_ == Part::Opening && Trimmed(code) == c_header::kArrayStart) {
        part_ = Part::Array;
    } else if (part_ == Part::Array && Trimmed(code) == c_header::kArrayEnd) {
        part_ = Part::End;
    } else if (part_ == Part::Sets || part_ == Part::Array) {
        return code;
    }
    return std::nullopt;
}

}  // namespace kestrova::plan
