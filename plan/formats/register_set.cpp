// Reading register sets.
#include "plan/formats/register_set.h"

#include <stdexcept>
#include <vector>

#include "core/numeric_text.h"
#include "plan/channel/text_escapes.h"
#include "plan/formats/c_header/c_header_text.h"

namespace kestrova::plan {
namespace {

bool IsSeparator(char c) {
    return c == ' ' || c == '\t' || c == ',' || c == '\r' || c == '\n';
}

RegisterText Register(std::string_view word) {
    std::string_view digits = word;
    if (digits.size() > 2 && digits[0] == '0' && (digits[1] == 'x' || digits[1] == 'X'))
        digits.remove_prefix(2);
    std::uint32_t value = 0;
    for (const char c : digits) {
        const int digit = HexDigitValue(c);
        if (digit < 0) throw std::invalid_argument("\"" + Visible(word) + "\" is not hexadecimal");
        value = value << 4 | static_cast<std::uint32_t>(digit);
    }
    if (digits.size() > 8)
        throw std::invalid_argument("\"" + Visible(word) + "\" has more than eight hexadecimal digits");
    return {std::string(digits), static_cast<std::int32_t>(value)};
}

}  // namespace

std::optional<RegisterSet> ReadRegisterSet(std::string_view text) {
    // The entry of a C header's channel without registers holds no set.
    std::size_t start = 0;
    while (start < text.size() && IsSeparator(text[start])) ++start;
    // Nor does a line the compiler skips as a comment.
    const std::string_view rest = text.substr(start);
    if (rest.starts_with(c_header::kNoRegistersName) || rest.starts_with("//") || rest.starts_with("/*"))
        return std::nullopt;
    // A C header entry: what stands between the braces.
    if (const std::size_t open = text.find('{'); open != std::string_view::npos) {
        const std::size_t close = text.find('}', open);
        if (close == std::string_view::npos) throw std::invalid_argument("a \"{\" without its \"}\"");
        text = text.substr(open + 1, close - open - 1);
    }
    std::size_t first = 0;
    while (first < text.size() && IsSeparator(text[first])) ++first;
    if (first == text.size() || text[first] == '#') return std::nullopt;

    std::vector<RegisterText> registers;
    for (std::size_t i = first; i < text.size();) {
        if (IsSeparator(text[i])) {
            ++i;
            continue;
        }
        std::size_t end = i;
        while (end < text.size() && !IsSeparator(text[end])) ++end;
        registers.push_back(Register(text.substr(i, end - i)));
        i = end;
    }
    if (registers.size() != 3 && registers.size() != 5)
        throw std::invalid_argument(registers.size() < 3 ? "fewer than three registers (R S P)"
                                                         : "not three registers (R S P) or five (R S P C G)");
    RegisterSet set{registers[0], registers[1], registers[2], std::nullopt, std::nullopt};
    if (registers.size() == 5) {
        set.c = registers[3];
        set.g = registers[4];
    }
    return set;
}

}  // namespace kestrova::plan
