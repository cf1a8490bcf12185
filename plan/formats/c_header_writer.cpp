// A C header of the register values: a static const array of one entry per
// channel, each after a comment with its wanted and achieved frequency. A
// channel that faulted has its comment and no entry.
#include <cctype>
#include <memory>

#include "plan/channel/c_header_text.h"
#include "plan/channel/columns.h"
#include "plan/channel/text_escapes.h"
#include "plan/formats/channel_writer.h"

namespace kestrova::plan {
namespace {

using namespace c_header;

class CHeaderWriter final : public ChannelWriter {
public:
    ColumnSet Columns() const override {
        ColumnSet columns = ColumnBit(Column::Wanted) | ColumnBit(Column::Achieved) |
                            ColumnBit(Column::Mismatch) | ColumnBit(Column::Fault);
        for (const Column column : kRegisterColumns) columns |= ColumnBit(column);
        return columns;
    }
    void Begin(const Provenance& provenance, std::string& out) const override {
        out += kOpening;
        AppendCommentText(out, provenance.program);
        out += " from\n";
        for (const auto& [field, text] : provenance.parameters) {
            out += kParameterLine;
            out += Info(field).term;
            out.append(kParameterColumn - Info(field).term.size(), ' ');
            AppendCommentText(out, text);
            out += '\n';
        }
        out += kOpeningEnd;
        out +=
            "\n"
            "#ifndef KESTROVA_CHANNELS_H\n"
            "#define KESTROVA_CHANNELS_H\n\n"
            "#include <stdint.h>\n\n"
            "struct kestrova_channel {\n"
            "    uint32_t ";
        // The members are the registers' letters, in lower case.
        for (std::size_t i = 0; i < kRegisters.size(); ++i) {
            if (i > 0) out += ", ";
            for (const char letter : kRegisters[i].letter)
                out += static_cast<char>(std::tolower(static_cast<unsigned char>(letter)));
        }
        out +=
            ";\n"
            "};\n\n"
            "static const struct kestrova_channel kestrova_channels[] = {\n";
    }
    void Row(const ChannelResult& c, const Cells& cells, bool, std::string& out) const override {
        out += "    ";
        out += kWanted;
        AppendCommentText(out, cells[Column::Wanted]);
        if (c.fault) {
            out += kNoEntry;
            AppendCommentText(out, cells[Column::Fault]);
            out += kCommentEnd;
            out += '\n';
            return;
        }
        out += kAchieved;
        out += cells[Column::Achieved];
        if (cells[Column::Mismatch] == kYes) out += kMismatch;
        out += kCommentEnd;
        out += "\n    ";
        out += kEntryStart;
        for (std::size_t i = 0; i < kRegisterColumns.size(); ++i) {
            if (i > 0) out += ", 0x";
            out += cells[kRegisterColumns[i]];
        }
        out += " },\n";
    }
    void End(long long computed, bool, std::string& out) const override {
        // C has no empty initialiser list.
        if (computed == 0) out += "    { 0, 0, 0, 0, 0 } /* no channel could be computed */\n";
        out += "};\n\n";
        out += "#define KESTROVA_CHANNEL_COUNT " + std::to_string(computed) + "\n\n";
        out += "#endif /* KESTROVA_CHANNELS_H */\n";
    }
};

}  // namespace

std::unique_ptr<ChannelWriter> MakeCHeaderWriter() {
    return std::make_unique<CHeaderWriter>();
}

}  // namespace kestrova::plan
