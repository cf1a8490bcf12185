// The columns of a plan, each described once: its name in every format,
// what its cell holds, and how verify compares it. The writers, the readers
// and verify go through this table; a new column is a new row.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "core/registers.h"
#include "plan/channel/channel.h"

namespace kestrova::plan {

// Each column of kColumns below, in its order.
enum class Column : std::uint8_t {
    Wanted,
    WantedValue,
    Achieved,
    Error,
    ErrorPpm,
    Mismatch,
    R,
    N,
    P,
    S,
    C,
    G,
    Rt,
    St,
    Pt,
    Ct,
    Gt,
    Fault,
};

// What a cell holds, which decides how each format writes it.
enum class CellKind : std::uint8_t {
    Text,      // any text: a JSON string, escaped on a terminal
    Number,    // a decimal number: bare in JSON
    Flag,      // yes or no, "1" or "0" in a cell: true/false in JSON, pink/ok in the table
    Register,  // hexadecimal digits: a JSON string, 0x... in a C header
};

// How verify compares the file's text of a column with the calculation's.
enum class Check : std::uint8_t {
    Input,     // the wanted frequency: recomputed from, not compared
    Exact,     // the same text
    Number,    // the same number, however written (900, 900.0, 9e2)
    Register,  // the same hexadecimal digits, of either case
    Fault,     // the same fault in the same words, as the format writes them
    None,      // not compared
};

// The error of a channel: the achieved frequency minus the wanted one, each
// as written with 15 significant digits, as their exact decimal difference
// (so 900 against 900.2 is -0.2), and that in parts per million of the
// wanted frequency with three decimals. Nothing when not finite, and no ppm
// for a wanted frequency of 0.
struct ErrorColumns {
    std::optional<std::string> error;
    std::optional<std::string> ppm;
};
ErrorColumns Errors(const ChannelResult& channel);

// What the cells of one channel share while they are made: the error and
// its ppm come from one computation.
struct CellScratch {
    ErrorColumns errors;
    bool errorsKnown = false;
};

// Where a cell's text is kept when it is not a view of the channel's own.
struct CellBuffer {
    std::string text;
    std::array<char, 24> digits;
};

// How a column's cell is made from a computed channel: its text, kept in
// buffer where it is not a view of the channel's own; false for none. Called
// only for a channel that faulted when the column is written for one.
using MakeCell = bool (*)(const ChannelResult& channel, CellScratch& scratch, CellBuffer& buffer,
                          std::string_view& text);

struct ColumnInfo {
    Column column;
    std::string_view csv;      // its CSV heading; none: not a CSV column
    std::string_view json;     // its JSON key, and its name in reports
    std::string_view heading;  // its text-table heading; none: not in the table
    std::size_t width;         // its width in the text table
    CellKind kind;
    bool ofFault;  // written for a channel that faulted too
    Check check;
    MakeCell cell;
    // Plans written before the column existed lack it: such a file still
    // verifies, without this column, instead of being refused as no plan.
    bool olderPlansLack = false;
};

namespace cells {
bool Wanted(const ChannelResult&, CellScratch&, CellBuffer&, std::string_view&);
bool WantedValue(const ChannelResult&, CellScratch&, CellBuffer&, std::string_view&);
bool Achieved(const ChannelResult&, CellScratch&, CellBuffer&, std::string_view&);
bool Error(const ChannelResult&, CellScratch&, CellBuffer&, std::string_view&);
bool ErrorPpm(const ChannelResult&, CellScratch&, CellBuffer&, std::string_view&);
bool Mismatch(const ChannelResult&, CellScratch&, CellBuffer&, std::string_view&);
template <std::int32_t RegisterValues::*Value>
bool Integer(const ChannelResult&, CellScratch&, CellBuffer&, std::string_view&);
template <std::size_t Register>
bool RegisterText(const ChannelResult& c, CellScratch&, CellBuffer&, std::string_view& text) {
    text = c.registers[Register];
    return true;
}
bool Fault(const ChannelResult&, CellScratch&, CellBuffer&, std::string_view&);
}  // namespace cells

// In the order of CSV and JSON, and of the enum.
inline constexpr auto kColumns = std::to_array<ColumnInfo>({
    {Column::Wanted, "wanted", "wanted", "wanted", 12, CellKind::Text, true, Check::Input, cells::Wanted},
    {Column::WantedValue, "", "wanted_value", "", 0, CellKind::Number, false, Check::Number,
     cells::WantedValue},
    {Column::Achieved, "achieved", "achieved", "achieved", 15, CellKind::Number, false, Check::Number,
     cells::Achieved},
    {Column::Error, "error", "error", "error", 10, CellKind::Number, false, Check::Number, cells::Error},
    {Column::ErrorPpm, "error_ppm", "error_ppm", "error ppm", 10, CellKind::Number, false, Check::Number,
     cells::ErrorPpm},
    {Column::Mismatch, "mismatch", "mismatch", "miss", 4, CellKind::Flag, false, Check::Exact,
     cells::Mismatch},
    {Column::R, kRegisters[0].letter, kRegisters[0].letter, "", 0, CellKind::Number, false, Check::Number,
     cells::Integer<&RegisterValues::r>},
    {Column::N, "N", "N", "", 0, CellKind::Number, false, Check::Number, cells::Integer<&RegisterValues::n>},
    {Column::P, kRegisters[2].letter, kRegisters[2].letter, "", 0, CellKind::Number, false, Check::Number,
     cells::Integer<&RegisterValues::p>},
    {Column::S, kRegisters[1].letter, kRegisters[1].letter, "", 0, CellKind::Number, false, Check::Number,
     cells::Integer<&RegisterValues::s>},
    {Column::C, kRegisters[3].letter, kRegisters[3].letter, "", 0, CellKind::Number, false, Check::Number,
     cells::Integer<&RegisterValues::c>},
    {Column::G, kRegisters[4].letter, kRegisters[4].letter, "", 0, CellKind::Number, false, Check::Number,
     cells::Integer<&RegisterValues::g>},
    {Column::Rt, Info(Field::Rt).name, Info(Field::Rt).name, Info(Field::Rt).name, 6, CellKind::Register,
     false, Check::Register, cells::RegisterText<0>},
    {Column::St, Info(Field::St).name, Info(Field::St).name, Info(Field::St).name, 6, CellKind::Register,
     false, Check::Register, cells::RegisterText<1>},
    {Column::Pt, Info(Field::Pt).name, Info(Field::Pt).name, Info(Field::Pt).name, 6, CellKind::Register,
     false, Check::Register, cells::RegisterText<2>},
    {Column::Ct, Info(Field::Ct).name, Info(Field::Ct).name, Info(Field::Ct).name, 6, CellKind::Register,
     false, Check::Register, cells::RegisterText<3>},
    {Column::Gt, Info(Field::Gt).name, Info(Field::Gt).name, Info(Field::Gt).name, 6, CellKind::Register,
     false, Check::Register, cells::RegisterText<4>},
    {Column::Fault, "fault", "fault", "", 0, CellKind::Text, true, Check::Fault, cells::Fault},
});
inline constexpr std::size_t kColumnCount = kColumns.size();

// The rows stand in the enum's order, each once, so a column's row is found
// by its value.
static_assert(
    [] {
        for (std::size_t i = 0; i < kColumnCount; ++i)
            if (static_cast<std::size_t>(kColumns[i].column) != i) return false;
        return true;
    }(),
    "kColumns must list the columns in the order of enum Column");

// The text table fits a 100-column terminal, without its last column: the
// columns with a heading, two blanks apart.
inline constexpr std::size_t kTextTableWidth = 99;
inline constexpr std::string_view kTextTableGap = "  ";
static_assert(
    [] {
        std::size_t width = 0, count = 0;
        for (const ColumnInfo& column : kColumns)
            if (!column.heading.empty()) width += column.width, ++count;
        return width + (count - 1) * kTextTableGap.size() <= kTextTableWidth;
    }(),
    "the text table's columns are wider than its 99 characters");

constexpr const ColumnInfo& InfoOf(Column column) {
    return kColumns[static_cast<std::size_t>(column)];
}

// A set of columns, a bit each.
using ColumnSet = std::uint32_t;
constexpr ColumnSet ColumnBit(Column column) {
    return ColumnSet{1} << static_cast<unsigned>(column);
}
static_assert(kColumnCount < 32, "a ColumnSet holds a bit for each column");
inline constexpr ColumnSet kAllColumns = (ColumnSet{1} << kColumnCount) - 1;

// The columns whose description passes the test.
template <class Test>
constexpr ColumnSet ColumnsWhere(Test test) {
    ColumnSet columns = 0;
    for (const ColumnInfo& column : kColumns)
        if (test(column)) columns |= ColumnBit(column.column);
    return columns;
}

// The columns CSV has, in their order: those with a CSV name.
inline constexpr std::size_t kCsvCount = [] {
    std::size_t count = 0;
    for (const ColumnInfo& column : kColumns) count += column.csv.empty() ? 0U : 1U;
    return count;
}();
inline constexpr std::array<ColumnInfo, kCsvCount> kCsvColumns = [] {
    std::array<ColumnInfo, kCsvCount> columns{};
    std::size_t count = 0;
    for (const ColumnInfo& column : kColumns)
        if (!column.csv.empty()) columns[count++] = column;
    return columns;
}();

// A flag's cell.
inline constexpr std::string_view kYes = "1", kNo = "0";

// The register-text column of each of the five registers, in their order.
inline constexpr std::array<Column, 5> kRegisterColumns = {Column::Rt, Column::St, Column::Pt, Column::Ct,
                                                           Column::Gt};

// The text of each column for one channel, as the formats write it (a flag
// as "1" or "0"). A column with no value is absent: all but the wanted
// frequency and the fault for a channel that faulted; the fault for one
// that did not; an error that cannot be shown.
class Cells {
public:
    // Fills the cells from the channel, those of the columns asked for (the
    // others are left absent); they are valid until the next Fill or until
    // the channel changes.
    void Fill(const ChannelResult& channel, ColumnSet wanted = kAllColumns);
    bool Has(Column column) const { return present_[Index(column)]; }
    std::string_view operator[](Column column) const { return text_[Index(column)]; }

private:
    static constexpr std::size_t Index(Column column) { return static_cast<std::size_t>(column); }
    std::array<std::string_view, kColumnCount> text_{};
    std::array<bool, kColumnCount> present_{};
    std::array<CellBuffer, kColumnCount> buffers_{};
    CellScratch scratch_;
};

// The wanted text as the user wrote it, blanks trimmed, as valid UTF-8.
std::string WantedText(const ChannelResult& channel);

}  // namespace kestrova::plan
