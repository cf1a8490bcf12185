// CSV as RFC 4180 has it: CR LF records; a field with a comma, quote or line
// break quoted, its quotes doubled. A channel that faulted has only its
// wanted frequency and its fault.
#include <array>
#include <memory>

#include "plan/channel/columns.h"
#include "plan/channel/text_escapes.h"
#include "plan/formats/channel_writer.h"

namespace kestrova::plan {
namespace {

class CsvWriter final : public ChannelWriter {
public:
    ColumnSet Columns() const override {
        return ColumnsWhere([](const ColumnInfo& column) { return !column.csv.empty(); });
    }
    void Begin(const Provenance&, std::string& out) const override {
        for (std::size_t i = 0; i < kCsvColumns.size(); ++i) {
            if (i > 0) out += ',';
            out += kCsvColumns[i].csv;
        }
        out += "\r\n";
    }
    void Row(const ChannelResult&, const Cells& cells, bool, std::string& out) const override {
        for (std::size_t i = 0; i < kCsvColumns.size(); ++i) {
            const ColumnInfo& column = kCsvColumns[i];
            if (i > 0) out += ',';
            if (!cells.Has(column.column)) continue;
            // Only text can hold a comma, a quote or a line break.
            if (column.kind == CellKind::Text)
                AppendCsvField(out, cells[column.column]);
            else
                out += cells[column.column];
        }
        out += "\r\n";
    }
    void End(long long, long long, std::string&) const override {}
};

}  // namespace

std::unique_ptr<ChannelWriter> MakeCsvWriter() {
    return std::make_unique<CsvWriter>();
}

}  // namespace kestrova::plan
