// The text table, for a terminal: a line of what it was made from, then a
// row per channel of the columns that have a heading, each right-aligned
// under it, the whole within 99 columns. A channel that faulted gives its
// fault after the wanted frequency, wrapped at the table's width.
#include <memory>

#include "plan/channel/columns.h"
#include "plan/channel/text_escapes.h"
#include "plan/formats/channel_writer.h"

namespace kestrova::plan {
namespace {

constexpr std::string_view kGap = kTextTableGap;
constexpr std::size_t kWidth = kTextTableWidth;
constexpr std::size_t kFirstWidth = InfoOf(Column::Wanted).width;

class TextWriter final : public ChannelWriter {
public:
    ColumnSet Columns() const override {
        return ColumnBit(Column::Fault) |
               ColumnsWhere([](const ColumnInfo& column) { return !column.heading.empty(); });
    }
    void Begin(const Provenance& provenance, std::string& out) const override {
        AppendWrapped(out, Visible(MadeFrom(provenance)), 0, 0, kWidth);
        bool first = true;
        for (const ColumnInfo& column : kColumns) {
            if (column.heading.empty()) continue;
            if (!first) out += kGap;
            first = false;
            AppendPadded(out, column.heading, column.width);
        }
        out += '\n';
    }
    void Row(const ChannelResult& c, const Cells& cells, bool, std::string& out) const override {
        AppendPadded(out, Visible(cells[Column::Wanted]), kFirstWidth);
        if (c.fault) {
            out += kGap;
            AppendWrapped(out, Visible(cells[Column::Fault]), kFirstWidth + kGap.size(),
                          kFirstWidth + kGap.size(), kWidth, false);
            return;
        }
        for (const ColumnInfo& column : kColumns) {
            if (column.heading.empty() || column.column == Column::Wanted) continue;
            out += kGap;
            const std::string_view text = cells[column.column];
            if (!cells.Has(column.column))
                AppendPadded(out, "-", column.width);
            else if (column.kind == CellKind::Flag)
                AppendPadded(out, text == kYes ? "pink" : "ok", column.width);
            else if (column.kind == CellKind::Text)
                AppendPadded(out, Visible(text), column.width);
            else
                AppendPadded(out, text, column.width);
        }
        out += '\n';
    }
    void End(long long, long long, std::string&) const override {}
};

}  // namespace

std::unique_ptr<ChannelWriter> MakeTextWriter() {
    return std::make_unique<TextWriter>();
}

}  // namespace kestrova::plan
