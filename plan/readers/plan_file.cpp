// What every plan reader shares.
#include "plan/readers/plan_file.h"

#include <algorithm>

namespace kestrova::plan {

void FailAtLine(std::size_t line, const std::string& what) {
    throw PlanFormatError("line " + std::to_string(line) + ": " + what);
}

std::size_t LineAt(std::string_view content, std::size_t from, std::size_t fromLine, std::size_t at) {
    return fromLine +
           static_cast<std::size_t>(std::count(content.begin() + static_cast<std::ptrdiff_t>(from),
                                               content.begin() + static_cast<std::ptrdiff_t>(at), '\n'));
}

// Out of line: GCC 12 inlines the assignment of a short literal into a
// false -Wrestrict warning.
void PlanRow::Set(Column column, std::string_view text) {
    text_[Index(column)].assign(text);
    present_[Index(column)] = true;
}

std::size_t ContentStart(std::string_view content) {
    std::size_t start = 0;
    while (start < content.size() && (content[start] == ' ' || content[start] == '\n' ||
                                      content[start] == '\r' || content[start] == '\t'))
        ++start;
    return start;
}

}  // namespace kestrova::plan
