// A C header of the register values: a static const array of one entry per
// channel, each after a comment with its wanted and achieved frequency. A
// channel that faulted has its comment and the entry KESTROVA_NO_REGISTERS.
#include <cctype>
#include <charconv>
#include <memory>

#include "plan/channel/columns.h"
#include "plan/channel/text_escapes.h"
#include "plan/formats/c_header/c_header_text.h"
#include "plan/formats/channel_writer.h"

namespace kestrova::plan {
namespace {

using namespace c_header;

// A double as a C floating constant, its shortest exact digits.
std::string Literal(double value) {
    char text[32];
    const char* end = std::to_chars(text, text + sizeof text, value).ptr;
    std::string literal(text, static_cast<std::size_t>(end - text));
    if (literal.find_first_of(".e") == std::string::npos) literal += ".0";
    return literal;
}

class CHeaderWriter final : public ChannelWriter {
public:
    ColumnSet Columns() const override { return kHeld; }
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
        out += ";\n};\n\n/* The entry of a channel without registers (its calculation faults). */\n";
        (out += kNoRegistersDefine) += "\n\n";
        if (provenance.band) {
            // Channel k of the array is at KESTROVA_FIRST_FREQUENCY + k * KESTROVA_CHANNEL_STEP.
            out += "/* Channel k is wanted at KESTROVA_FIRST_FREQUENCY + k * KESTROVA_CHANNEL_STEP. */\n";
            ((out += kFirstDefine) += Literal(provenance.band->first)) += '\n';
            ((out += kStepDefine) += Literal(provenance.band->step)) += "\n\n";
        }
        (out += kArrayStart) += '\n';
    }
    void Row(const ChannelResult& c, const Cells& cells, bool, std::string& out) const override {
        out += "    ";
        out += kWanted;
        AppendCommentText(out, cells[Column::Wanted]);
        if (c.fault) {
            out += kNoRegisters;
            AppendCommentText(out, cells[Column::Fault]);
            out += kCommentEnd;
            ((out += "\n    ") += kNoRegistersName) += ",\n";
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
    void End(long long channels, long long, std::string& out) const override {
        if (channels == 0) ((out += "    ") += kNoChannelEntry) += '\n';  // C has no empty initialiser list
        (out += kArrayEnd) += "\n\n";
        ((out += kCountDefine) += std::to_string(channels)) += "\n\n";
        (out += kGuardEnd) += '\n';
    }
};

}  // namespace

std::unique_ptr<ChannelWriter> MakeCHeaderWriter() {
    return std::make_unique<CHeaderWriter>();
}

}  // namespace kestrova::plan
