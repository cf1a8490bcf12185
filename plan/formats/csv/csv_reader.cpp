// Reading a CSV plan (RFC 4180, no line break inside a field): its header
// names the columns, found wherever they stand.
#include <algorithm>
#include <array>
#include <memory>

#include "plan/channel/channel.h"
#include "plan/formats/plan_file.h"

namespace kestrova::plan {
namespace {

// What the header says: where each column stands.
struct CsvHeader final : FileState {
    std::array<int, kColumnCount> fieldOf{};  // each column's field, -1 for none
    std::size_t fieldCount = 0;               // the fields of the header
    bool asWritten = false;                   // the header is the planner's own, column for column
};

// The header the splitter read; before it, one of no columns.
const CsvHeader& HeaderOf(const PlanRecords& in) {
    static const CsvHeader none = [] {
        CsvHeader header;
        header.fieldOf.fill(-1);
        return header;
    }();
    return in.file ? static_cast<const CsvHeader&>(*in.file) : none;
}

std::string_view WithoutCr(std::string_view line) {
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    return line;
}

std::string_view WithoutLf(std::string_view line) {
    if (!line.empty() && line.back() == '\n') line.remove_suffix(1);
    return line;
}

std::vector<std::string> QuotedFields(std::string_view line, std::size_t number) {
    std::vector<std::string> fields(1);
    bool quoted = false;
    for (std::size_t i = 0; i < line.size(); ++i) {
        const char c = line[i];
        if (quoted) {
            if (c == '"' && i + 1 < line.size() && line[i + 1] == '"')
                fields.back() += line[++i];
            else if (c == '"')
                quoted = false;
            else
                fields.back() += c;
        } else if (c == '"') {
            quoted = true;
        } else if (c == ',') {
            fields.emplace_back();
        } else {
            fields.back() += c;
        }
    }
    if (quoted) FailAtLine(number, "a quoted field that does not end");
    return fields;
}

// The fields of one record. A record without quotes, as most are, is cut
// into views of itself.
void Fields(std::string_view line, std::size_t number, std::vector<std::string_view>& views,
            std::vector<std::string>& unquoted) {
    views.clear();
    if (line.find('"') == std::string_view::npos) {
        for (std::size_t at = 0;;) {
            const std::size_t comma = line.find(',', at);
            views.push_back(line.substr(at, comma - at));
            if (comma == std::string_view::npos) return;
            at = comma + 1;
        }
    }
    unquoted = QuotedFields(line, number);
    for (const std::string& field : unquoted) views.emplace_back(field);
}

// Line after line: the header, then a record on each line.
class CsvSplitter final : public RecordSplitter {
public:
    explicit CsvSplitter(std::size_t firstLine) : line_(firstLine) {}

    std::size_t Split(std::string_view text, bool atEnd, PlanRecords& out) override {
        std::size_t at = 0;
        while (at < text.size()) {
            const std::size_t end = text.find('\n', at);
            if (end == std::string_view::npos) {
                if (!atEnd) break;
                // Every record ends with its line: one that does not was cut,
                // and is no channel.
                if (header_) Header(WithoutCr(text.substr(at)), line_, out);
                out.truncation = "the file ends in the middle of line " + std::to_string(line_);
                at = text.size();
                break;
            }
            const std::string_view line = WithoutCr(text.substr(at, end - at));
            const std::size_t number = line_++;
            at = end + 1;
            if (line.empty()) continue;
            if (header_) {
                Header(line, number, out);
                continue;
            }
            out.records.push_back(line);
            out.lines.push_back(number);
        }
        if (atEnd && header_) FailAtLine(1, "no header line");
        return at;
    }

    std::size_t Line() const override { return line_; }

private:
    // Every column that verify reads must be there, but for those that
    // plans made before it lack.
    void Header(std::string_view line, std::size_t number, PlanRecords& out) {
        const std::vector<std::string> names = QuotedFields(line, number);
        auto header = std::make_shared<CsvHeader>();
        header->fieldCount = names.size();
        for (const ColumnInfo& column : kColumns) {
            int& field = header->fieldOf[static_cast<std::size_t>(column.column)];
            const auto found = std::find(names.begin(), names.end(), column.csv);
            field = column.csv.empty() || found == names.end() ? -1 : static_cast<int>(found - names.begin());
            if (field < 0 && !column.csv.empty() && column.check != Check::None && !column.olderPlansLack)
                FailAtLine(number, "no \"" + std::string(column.csv) + "\" column");
            // Readers of CSV differ on which of two columns of a name they take.
            if (field >= 0 && std::find(found + 1, names.end(), column.csv) != names.end())
                FailAtLine(number, "the \"" + std::string(column.csv) + "\" column is there twice");
        }
        header->asWritten =
            std::equal(names.begin(), names.end(), kCsvColumns.begin(), kCsvColumns.end(),
                       [](const std::string& name, const ColumnInfo& column) { return name == column.csv; });
        out.file = std::move(header);
        header_ = false;
    }

    std::size_t line_;
    bool header_ = true;
};

class CsvReader final : public PlanReader {
public:
    bool Recognises(std::string_view start) const override {
        return start.starts_with(kColumns[0].csv) && start.substr(kColumns[0].csv.size()).starts_with(",");
    }

    std::unique_ptr<RecordSplitter> Splitter(std::size_t firstLine) const override {
        return std::make_unique<CsvSplitter>(firstLine);
    }

    std::optional<std::string_view> QuickWanted(const PlanRecords& in, std::size_t i) const override {
        if (!HeaderOf(in).asWritten) return std::nullopt;
        const std::string_view record = in.records[i];
        const std::string_view wanted = record.substr(0, record.find(','));  // the first column's
        if (wanted.find('"') != std::string_view::npos) return std::nullopt;
        return wanted;
    }

    std::string_view RecordOf(std::string_view row) const override { return WithoutCr(WithoutLf(row)); }

    bool MarksItsEnd() const override { return false; }

    ColumnSet Holds(const PlanRecords& in) const override {
        const CsvHeader& header = HeaderOf(in);
        return ColumnsWhere([&header](const ColumnInfo& column) {
            return header.fieldOf[static_cast<std::size_t>(column.column)] >= 0;
        });
    }

    void Read(const PlanRecords& in, std::size_t i, RowScratch& scratch, PlanRow& row) const override {
        const std::size_t line = in.lines[i];
        const CsvHeader& header = HeaderOf(in);
        Fields(in.records[i], line, scratch.fields, scratch.unquoted);
        if (scratch.fields.size() != header.fieldCount)
            FailAtLine(line, std::to_string(scratch.fields.size()) + " fields where the header has " +
                                 std::to_string(header.fieldCount));
        row.Clear();
        const auto field = [&](Column column) {
            return scratch.fields[static_cast<std::size_t>(header.fieldOf[static_cast<std::size_t>(column)])];
        };
        // An empty cell holds nothing: no fault, no value. What a row with a
        // fault holds besides it is verify's to report.
        for (const ColumnInfo& column : kColumns) {
            if (header.fieldOf[static_cast<std::size_t>(column.column)] < 0) continue;
            if (const std::string_view cell = field(column.column);
                !cell.empty() || column.column == Column::Wanted)
                row.Set(column.column, cell);
        }
    }
};

}  // namespace

const PlanReader& CsvPlanReader() {
    static const CsvReader reader;
    return reader;
}

}  // namespace kestrova::plan
