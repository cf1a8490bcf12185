// The fixed texts of a JSON plan that its writer writes and its reader
// recognises.
#pragma once

#include <string_view>

namespace kestrova::plan {

// What follows a key: its closing quote, the colon and one blank.
inline constexpr std::string_view kJsonKeyEnd = "\": ";

}  // namespace kestrova::plan
