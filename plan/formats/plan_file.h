// Reading back a plan that kestrova-plan wrote, possibly edited by hand
// since: a file split into its channels' records as it is read, piece by
// piece (so that the records can be read on several threads, and no file
// is held whole), each read into the columns it holds by the reader of its
// format.
#pragma once

#include <array>
#include <cstddef>
#include <memory>
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

// A blank between the parts of a plan: space, tab, line end.
constexpr bool IsBlank(char c) {
    return c == ' ' || c == '\n' || c == '\r' || c == '\t';
}

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

// What a format's reader keeps from one row to the next beyond fields.
struct ReaderScratch {
    virtual ~ReaderScratch() = default;
};

// What reading rows needs from one row to the next, kept by the reader's
// thread so that its memory is kept too.
struct RowScratch {
    std::vector<std::string_view> fields;
    std::vector<std::string> unquoted;
    std::unique_ptr<ReaderScratch> reader;
};

// The longest record (a line of CSV or of a C header, a channel's JSON
// object) that any plan holds, with room to spare: a longer one is no plan,
// and is never held whole.
inline constexpr std::size_t kLongestRecord = 64 * 1024;

// What a format's splitter learnt of the whole file (a CSV header, say) that
// its reader needs for every record.
struct FileState {
    virtual ~FileState() = default;
};

// What a reader split a piece of a file into, and what it found in the file
// so far.
struct PlanRecords {
    std::vector<std::string_view> records;                  // views of the piece
    std::vector<std::size_t> lines;                         // where each record starts
    std::vector<std::pair<Field, std::string>> parameters;  // those the file records, as text, once each
    std::shared_ptr<const FileState> file;                  // the format's own; none until it has one
    // Where the file ends before its own end (a table cut short), in words.
    std::optional<std::string> truncation;
    // What the piece says that no channel's record shows: an entry of no
    // channel, a count that disagrees, for example.
    std::vector<std::string> otherProblems;

    // Begins the next piece of the same file: no record or problem yet,
    // what the file showed before it kept.
    void Continue(const PlanRecords& before) {
        records.clear();
        lines.clear();
        otherProblems.clear();
        truncation.reset();
        parameters = before.parameters;
        file = before.file;
    }
};

// Splits one file, piece after piece, into its records.
class RecordSplitter {
public:
    virtual ~RecordSplitter() = default;
    // Takes the whole records at the start of text (the file from where the
    // last call stopped) into out, as views of text, and returns how many
    // bytes it took; what it leaves is given again, with more, next time.
    // atEnd: text runs to the file's end, and everything is taken (the end's
    // problems too). Raises PlanFormatError.
    virtual std::size_t Split(std::string_view text, bool atEnd, PlanRecords& out) = 0;
    // The line where the text not yet taken begins.
    virtual std::size_t Line() const = 0;
};

// The reading of one format.
class PlanReader {
public:
    virtual ~PlanReader() = default;
    // Whether a file beginning so (blanks skipped) is of this format.
    virtual bool Recognises(std::string_view start) const = 0;
    // A splitter for a file whose content (blanks skipped) begins on firstLine.
    virtual std::unique_ptr<RecordSplitter> Splitter(std::size_t firstLine) const = 0;
    // Record i; raises PlanFormatError.
    virtual void Read(const PlanRecords& records, std::size_t i, RowScratch& scratch, PlanRow& row) const = 0;
    // The columns the format has, which verify compares.
    virtual ColumnSet Holds(const PlanRecords& records) const = 0;
    // Verifying a file laid out as kestrova-plan writes it takes one
    // comparison a channel: record i's wanted text, read without the rest,
    // where the file is laid out so that the record can be compared byte for
    // byte with the planner's own text for the channel; none otherwise.
    virtual std::optional<std::string_view> QuickWanted(const PlanRecords&, std::size_t) const {
        return std::nullopt;
    }
    // What a record holds of a row that the format's writer wrote.
    virtual std::string_view RecordOf(std::string_view row) const { return row; }
    // Whether a file of the format says where it ends (JSON's "]", a C
    // header's "};"), so that one cut short shows; a CSV does not: cut at a
    // line's end, it is a shorter list.
    virtual bool MarksItsEnd() const { return true; }
    // A fault's words as this format writes them.
    virtual std::string AsWritten(std::string_view fault) const { return std::string(fault); }
};

const PlanReader& CsvPlanReader();
const PlanReader& JsonPlanReader();
const PlanReader& CHeaderPlanReader();

}  // namespace kestrova::plan
