// One object of a JSON plan: the flat object kestrova-plan writes for a
// channel, however it has been laid out since.
#pragma once

#include <cstddef>
#include <string_view>

#include "plan/plan_reader.h"

namespace kestrova::plan {

// Reads "wanted", "fault", "achieved" and "Rt" ... "Gt"; raises
// PlanFormatError naming the line.
void ReadJsonRecord(std::string_view record, std::size_t line, PlanRow& row);

}  // namespace kestrova::plan
