// The fixed texts of a C header plan, shared by its writer and its reader
// so that the two cannot drift apart.
#pragma once

#include <cstddef>
#include <string_view>

namespace kestrova::plan::c_header {

// The opening comment: this line, the program, then a line per parameter:
// the parameter line's start, its term padded to the column, its text.
inline constexpr std::string_view kOpening = "/* Channel registers computed by ";
inline constexpr std::string_view kParameterLine = " *   ";
inline constexpr std::size_t kParameterColumn = 10;
inline constexpr std::string_view kOpeningEnd = " */";

// A channel's comment: "/* wanted W, achieved A (mismatch) */" before its
// entry, or "/* wanted W: no entry. FAULT */" in place of one.
inline constexpr std::string_view kWanted = "/* wanted ";
inline constexpr std::string_view kAchieved = ", achieved ";
inline constexpr std::string_view kMismatch = " (mismatch)";
inline constexpr std::string_view kNoEntry = ": no entry. ";
inline constexpr std::string_view kCommentEnd = " */";
inline constexpr std::string_view kEntryStart = "{ 0x";

}  // namespace kestrova::plan::c_header
