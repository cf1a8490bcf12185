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
    void Begin(std::string& out) const override {
        out +=
            "/* Channel registers computed by kestrova-plan. */\n"
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
        Comment(out, WantedText(c));
        if (c.fault) {
            out += ": no entry. ";
            Comment(out, c.faultText);
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
    // The text inside a comment: a blank goes between "/" and "*" either
    // way round, so it can neither end the comment nor open a nested one,
    // and a line break becomes a blank.
    static void Comment(std::string& out, std::string_view text) {
        char previous = ' ';
        for (char ch : text) {
            if (ch == '\r' || ch == '\n') ch = ' ';
            if ((previous == '*' && ch == '/') || (previous == '/' && ch == '*')) out += ' ';
            out += ch;
            previous = ch;
        }
    }
};

}  // namespace

std::unique_ptr<ChannelWriter> MakeCHeaderWriter() {
    return std::make_unique<CHeaderWriter>();
}

}  // namespace kestrova::plan
