// A C header of the register values.
#include <cstdint>
#include <string>

#include "core/numeric_text.h"
#include "plan/format_parts.h"

namespace kestrova::plan {
namespace {

// A static const array of the register values, a comment line per channel.
// A faulted channel has its comment and no entry.
class CHeaderWriter final : public ChannelWriter {
public:
    void Begin(const Provenance& provenance, std::string& out) const override {
        out += "/* Channel registers computed by ";
        AppendCommentText(out, provenance.program);
        out += " from\n";
        for (const auto& [field, text] : provenance.parameters) {
            out += " *   ";
            out += Info(field).term;
            out.append(kParameterColumn - Info(field).term.size(), ' ');
            AppendCommentText(out, text);
            out += '\n';
        }
        out +=
            " */\n"
            "#ifndef KESTROVA_CHANNELS_H\n"
            "#define KESTROVA_CHANNELS_H\n\n"
            "#include <stdint.h>\n\n"
            "struct kestrova_channel {\n"
            "    uint32_t r, s, p, c, g;\n"
            "};\n\n"
            "static const struct kestrova_channel kestrova_channels[] = {\n";
    }
    void Row(const ChannelResult& c, bool, std::string& out) const override {
        out += "    /* wanted ";
        AppendCommentText(out, WantedText(c));
        if (c.fault) {
            out += ": no entry. ";
            AppendCommentText(out, c.faultText);
            out += " */\n";
            return;
        }
        out += ", achieved ";
        out += Trimmed(c.achievedText);
        out += c.values.mismatch ? " (mismatch) */\n" : " */\n";
        out += "    { 0x";
        out += c.rt;
        out += ", 0x";
        out += c.st;
        out += ", 0x";
        out += c.pt;
        out += ", 0x";
        out += c.ct;
        out += ", 0x";
        out += c.gt;
        out += " },\n";
    }
    void End(long long computed, bool, std::string& out) const override {
        // C has no empty initialiser list.
        if (computed == 0) out += "    { 0, 0, 0, 0, 0 } /* no channel could be computed */\n";
        out += "};\n\n";
        out += "#define KESTROVA_CHANNEL_COUNT " + std::to_string(computed) + "\n\n";
        out += "#endif /* KESTROVA_CHANNELS_H */\n";
    }

private:
    static constexpr std::size_t kParameterColumn = 10;
};

}  // namespace

std::unique_ptr<ChannelWriter> MakeCHeaderWriter() {
    return std::make_unique<CHeaderWriter>();
}

}  // namespace kestrova::plan
