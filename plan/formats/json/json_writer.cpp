// A JSON array of one object per channel, a key per column: a channel that
// faulted has only its wanted frequency and its fault; any other has every
// column, null for a value it lacks.
#include <memory>

#include "plan/channel/columns.h"
#include "plan/channel/text_escapes.h"
#include "plan/formats/channel_writer.h"
#include "plan/formats/json/json_text.h"

namespace kestrova::plan {
namespace {

class JsonWriter final : public ChannelWriter {
public:
    ColumnSet Columns() const override { return kAllColumns; }
    void Begin(const Provenance&, std::string& out) const override { out += "["; }
    void Row(const ChannelResult& c, const Cells& cells, bool first, std::string& out) const override {
        out += first ? "\n  {" : ",\n  {";
        bool firstKey = true;
        for (const ColumnInfo& column : kColumns) {
            if (c.fault && !column.ofFault) continue;
            out += firstKey ? "\"" : ", \"";
            firstKey = false;
            out += column.json;
            out += kJsonKeyEnd;
            if (!cells.Has(column.column)) {
                out += "null";
                continue;
            }
            const std::string_view text = cells[column.column];
            switch (column.kind) {
                case CellKind::Text:
                case CellKind::Register:
                    AppendJsonString(out, text);
                    break;
                case CellKind::Number:
                    out += text;
                    break;
                case CellKind::Flag:
                    out += text == kYes ? "true" : "false";
                    break;
            }
        }
        out += '}';
    }
    void End(long long channels, long long, std::string& out) const override {
        out += channels > 0 ? "\n]\n" : "]\n";
    }
};

}  // namespace

std::unique_ptr<ChannelWriter> MakeJsonWriter() {
    return std::make_unique<JsonWriter>();
}

}  // namespace kestrova::plan
