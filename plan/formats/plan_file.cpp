// What every plan reader shares.
#include "plan/formats/plan_file.h"

namespace kestrova::plan {

void FailAtLine(std::size_t line, const std::string& what) {
    throw PlanFormatError("line " + std::to_string(line) + ": " + what);
}

// Out of line: GCC 12 inlines the assignment of a short literal into a
// false -Wrestrict warning.
void PlanRow::Set(Column column, std::string_view text) {
    text_[Index(column)].assign(text);
    present_[Index(column)] = true;
}

}  // namespace kestrova::plan
