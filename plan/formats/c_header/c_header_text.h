// The fixed texts of a C header plan, shared by its writer and its reader
// so that the two cannot drift apart.
#pragma once

#include <cstddef>
#include <string_view>

#include "plan/channel/columns.h"

namespace kestrova::plan::c_header {

// The columns a C header holds: in each channel's comment and its entry.
inline constexpr ColumnSet kHeld = ColumnBit(Column::Wanted) | ColumnBit(Column::Achieved) |
                                   ColumnBit(Column::Mismatch) | ColumnBit(Column::Rt) |
                                   ColumnBit(Column::St) | ColumnBit(Column::Pt) | ColumnBit(Column::Ct) |
                                   ColumnBit(Column::Gt) | ColumnBit(Column::Fault);

// The opening comment: this line, the program, then a line per parameter:
// the parameter line's start, its term padded to the column, its text.
inline constexpr std::string_view kOpening = "/* Channel registers computed by ";
inline constexpr std::string_view kParameterLine = " *   ";
inline constexpr std::size_t kParameterColumn = 10;
inline constexpr std::string_view kOpeningEnd = " */";

// A channel's comment before its entry: "/* wanted W, achieved A
// (mismatch) */", or "/* wanted W: no registers. FAULT */" before the entry
// of a channel without registers, so that every channel keeps its index.
inline constexpr std::string_view kWanted = "/* wanted ";
inline constexpr std::string_view kAchieved = ", achieved ";
inline constexpr std::string_view kMismatch = " (mismatch)";
inline constexpr std::string_view kNoRegisters = ": no registers. ";
inline constexpr std::string_view kCommentEnd = " */";
inline constexpr std::string_view kEntryStart = "{ 0x";
// The entry of a channel without registers: R = 0, which the calculation
// never gives, named by a define.
inline constexpr std::string_view kNoRegistersName = "KESTROVA_NO_REGISTERS";
inline constexpr std::string_view kNoRegistersDefine = "#define KESTROVA_NO_REGISTERS { 0, 0, 0, 0, 0 }";

// A band's first frequency and step, for firmware that computes an index.
inline constexpr std::string_view kFirstDefine = "#define KESTROVA_FIRST_FREQUENCY ";
inline constexpr std::string_view kStepDefine = "#define KESTROVA_CHANNEL_STEP ";

// The entry of a plan with no channel: C has no empty initialiser list.
inline constexpr std::string_view kNoChannelEntry = "{ 0, 0, 0, 0, 0 } /* no channel could be computed */";

// The array's first line, after the struct's definition.
inline constexpr std::string_view kArrayStart =
    "static const struct kestrova_channel kestrova_channels[] = {";

// The end: the array's, the count of its entries, the include guard's.
inline constexpr std::string_view kArrayEnd = "};";
inline constexpr std::string_view kCountDefine = "#define KESTROVA_CHANNEL_COUNT ";
inline constexpr std::string_view kGuardEnd = "#endif /* KESTROVA_CHANNELS_H */";

}  // namespace kestrova::plan::c_header
