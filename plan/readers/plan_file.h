// Reading back a plan that kestrova-plan wrote, possibly edited by hand
// since: a file split into its channels' records in one pass (so the
// records can be read on several threads), each read into the columns it
// holds by the reader of its format.
#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/calc_panel.h"
#include "plan/channel/columns.h"

namespace kestrova::plan {

// A file that is no plan, or a row of it that cannot be read: what() names
// the line.
struct PlanFormatError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// Raises PlanFormatError "line N: what".
[[noreturn]] void FailAtLine(std::size_t line, const std::string& what);

// The line of content[at], counting on from a known earlier position.
std::size_t LineAt(std::string_view content, std::size_t from, std::size_t fromLine, std::size_t at);

// Where a file's content begins, past blanks and empty lines.
std::size_t ContentStart(std::string_view content);

// One channel as the file holds it: the text of each column it has.
class PlanRow {
public:
    void Clear() { present_.fill(false); }
    void Set(Column column, std::string_view text);
    bool Has(Column column) const { return present_[Index(column)]; }
    const std::string& operator[](Column column) const { return text_[Index(column)]; }

private:
    static constexpr std::size_t Index(Column column) { return static_cast<std::size_t>(column); }
    std::array<std::string, kColumnCount> text_;
    std::array<bool, kColumnCount> present_{};
};

// What reading rows needs from one row to the next, kept by the reader's
// thread so that its memory is kept too.
struct RowScratch {
    std::vector<std::string_view> fields;
    std::vector<std::string> unquoted;
};

// What a reader split a file into.
struct PlanRecords {
    std::vector<std::string_view> records;                  // views of the content
    std::vector<std::size_t> lines;                         // where each record starts
    std::vector<std::pair<Field, std::string>> parameters;  // those the file records, as text
    std::array<int, kColumnCount> fieldOf{};                // CSV: each column's field, -1 for none
    std::size_t fieldCount = 0;                             // CSV: the fields of the header
    // Where the file ends before its own end (a table cut short), in words.
    std::optional<std::string> truncation;
    // What the file says that no channel's record shows: a count that
    // disagrees, for example.
    std::vector<std::string> otherProblems;
};

// The reading of one format.
class PlanReader {
public:
    virtual ~PlanReader() = default;
    // Whether a file beginning so (blanks skipped) is of this format.
    virtual bool Recognises(std::string_view start) const = 0;
    // Raises PlanFormatError.
    virtual void Split(std::string_view content, PlanRecords& records) const = 0;
    // Record i; raises PlanFormatError.
    virtual void Read(const PlanRecords& records, std::size_t i, RowScratch& scratch, PlanRow& row) const = 0;
    // The columns the format has, which verify compares.
    virtual ColumnSet Holds(const PlanRecords& records) const = 0;
    // A fault's words as this format writes them.
    virtual std::string AsWritten(std::string_view fault) const { return std::string(fault); }
};

const PlanReader& CsvPlanReader();
const PlanReader& JsonPlanReader();
const PlanReader& CHeaderPlanReader();

class PlanFile {
public:
    // Splits the content into its channels' records; raises PlanFormatError.
    PlanFile(std::string_view content, const PlanReader& reader) : reader_(&reader) {
        reader.Split(content, records_);
    }

    const PlanReader& Reader() const { return *reader_; }
    // The parameters the file records (a C header's opening comment), as text.
    const std::vector<std::pair<Field, std::string>>& Parameters() const { return records_.parameters; }
    std::size_t Count() const { return records_.records.size(); }
    // Channel i, read from its record; raises PlanFormatError.
    void Row(std::size_t i, RowScratch& scratch, PlanRow& row) const {
        reader_->Read(records_, i, scratch, row);
    }
    std::size_t Line(std::size_t i) const { return records_.lines[i]; }
    ColumnSet Holds() const { return reader_->Holds(records_); }
    const std::optional<std::string>& Truncation() const { return records_.truncation; }
    const std::vector<std::string>& OtherProblems() const { return records_.otherProblems; }

private:
    const PlanReader* reader_;
    PlanRecords records_;
};

}  // namespace kestrova::plan
