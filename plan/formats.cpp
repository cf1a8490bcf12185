// The four formats. Numbers are written as the window writes them (15
// significant digits, "." as separator, whatever the locale); the error in
// parts per million with three decimals.
#include "plan/formats.h"

#include <array>
#include <charconv>
#include <cmath>

#include "core/numeric_text.h"
#include "settings/text_encoding.h"

namespace kestrova::plan {
namespace {

std::string Number(double value) { return std::string(Trimmed(TextFromNumber(value))); }
std::string Number(std::int32_t value) { return std::string(Trimmed(TextFromNumber(value))); }

// achieved - wanted, when both are finite and the difference is too.
std::optional<double> Error(const ChannelResult& c) {
    const double error = c.achieved - c.wanted;
    return std::isfinite(error) ? std::optional(error) : std::nullopt;
}

std::optional<std::string> ErrorText(const ChannelResult& c) {
    const auto error = Error(c);
    return error ? std::optional(Number(*error)) : std::nullopt;
}

std::optional<std::string> PpmText(const ChannelResult& c) {
    const auto error = Error(c);
    if (!error || c.wanted == 0) return std::nullopt;
    const double ppm = *error / c.wanted * 1e6;
    if (!std::isfinite(ppm)) return std::nullopt;
    std::array<char, 400> buffer{};
    const auto end = std::to_chars(buffer.data(), buffer.data() + buffer.size(), ppm, std::chars_format::fixed, 3).ptr;
    std::string text(buffer.data(), end);
    return text == "-0.000" ? "0.000" : text;
}

// The wanted text as the user wrote it, as valid UTF-8.
std::string WantedText(const ChannelResult& c) { return TextFromFileLine(Trimmed(c.wantedText)); }

const std::string& FaultText(const ChannelResult& c) { return c.faultText; }

void Pad(std::string& out, std::string_view text, std::size_t width, bool right) {
    if (!right) out.append(text);
    if (text.size() < width) out.append(width - text.size(), ' ');
    if (right) out.append(text);
}

// Right-aligned columns, a header naming them; a faulted channel's row
// names the fault after the wanted frequency.
class TextWriter final : public ChannelWriter {
public:
    void Begin(std::string& out) override {
        std::array<std::string, kColumns.size()> names;
        for (std::size_t i = 0; i < kColumns.size(); ++i) names[i] = kColumns[i].name;
        Line(out, names);
    }
    void Row(const ChannelResult& c, std::string& out) override {
        if (c.fault) {
            Pad(out, WantedText(c), kColumns[0].width, true);
            out += "  " + FaultText(c) + "\n";
            return;
        }
        Line(out, {WantedText(c), std::string(Trimmed(c.achievedText)), ErrorText(c).value_or("-"),
                   PpmText(c).value_or("-"), c.mismatch ? "pink" : "ok", Number(c.r), Number(c.n), Number(c.p),
                   Number(c.s), Number(c.c), Number(c.g), c.rt, c.st, c.pt, c.ct, c.gt});
    }
    void End(std::string&) override {}

private:
    struct Column {
        const char* name;
        std::size_t width;
    };
    static constexpr std::array<Column, 16> kColumns = {{
        {"wanted", 12}, {"achieved", 16}, {"error", 18}, {"error ppm", 14}, {"miss", 4}, {"R", 11},
        {"N", 10}, {"P", 8}, {"S", 2}, {"C", 11}, {"G", 11}, {"Rt", 8}, {"St", 8}, {"Pt", 8}, {"Ct", 8}, {"Gt", 8},
    }};
    static void Line(std::string& out, const std::array<std::string, kColumns.size()>& cells) {
        for (std::size_t i = 0; i < cells.size(); ++i) {
            if (i > 0) out += "  ";
            Pad(out, cells[i], kColumns[i].width, true);
        }
        out += '\n';
    }
};

// RFC 4180: CR LF records; a field with a comma, quote or line break quoted,
// its quotes doubled.
class CsvWriter final : public ChannelWriter {
public:
    void Begin(std::string& out) override {
        out += "wanted,achieved,error,error_ppm,mismatch,R,N,P,S,C,G,Rt,St,Pt,Ct,Gt,fault\r\n";
    }
    void Row(const ChannelResult& c, std::string& out) override {
        Field(out, WantedText(c));
        if (c.fault) {
            out += ",,,,,,,,,,,,,,,,";
            Field(out, FaultText(c));
        } else {
            for (const std::string& value :
                 {Number(c.achieved), ErrorText(c).value_or(""), PpmText(c).value_or(""),
                  std::string(c.mismatch ? "1" : "0"), Number(c.r), Number(c.n), Number(c.p), Number(c.s),
                  Number(c.c), Number(c.g), c.rt, c.st, c.pt, c.ct, c.gt, std::string()}) {
                out += ',';
                out += value;
            }
        }
        out += "\r\n";
    }
    void End(std::string&) override {}

private:
    static void Field(std::string& out, std::string_view text) {
        if (text.find_first_of(",\"\r\n") == std::string_view::npos) {
            out.append(text);
            return;
        }
        out += '"';
        for (char ch : text) {
            if (ch == '"') out += '"';
            out += ch;
        }
        out += '"';
    }
};

class JsonWriter final : public ChannelWriter {
public:
    void Begin(std::string& out) override { out += "["; }
    void Row(const ChannelResult& c, std::string& out) override {
        out += first_ ? "\n  {" : ",\n  {";
        first_ = false;
        out += "\"wanted\": ";
        String(out, WantedText(c));
        if (c.fault) {
            out += ", \"fault\": ";
            String(out, FaultText(c));
            out += '}';
            return;
        }
        out += ", \"wanted_value\": " + Number(c.wanted);
        out += ", \"achieved\": " + Number(c.achieved);
        out += ", \"error\": " + ErrorText(c).value_or("null");
        out += ", \"error_ppm\": " + PpmText(c).value_or("null");
        out += c.mismatch ? ", \"mismatch\": true" : ", \"mismatch\": false";
        for (const auto& [name, value] :
             {std::pair{"R", c.r}, {"N", c.n}, {"P", c.p}, {"S", c.s}, {"C", c.c}, {"G", c.g}}) {
            out += ", \"";
            out += name;
            out += "\": " + Number(value);
        }
        for (const auto& [name, text] :
             {std::pair{"Rt", &c.rt}, {"St", &c.st}, {"Pt", &c.pt}, {"Ct", &c.ct}, {"Gt", &c.gt}}) {
            out += ", \"";
            out += name;
            out += "\": \"" + *text + "\"";
        }
        out += ", \"fault\": null}";
    }
    void End(std::string& out) override { out += first_ ? "]\n" : "\n]\n"; }

private:
    static void String(std::string& out, std::string_view text) {
        out += '"';
        for (const char ch : text) {
            const auto byte = static_cast<unsigned char>(ch);
            if (ch == '"' || ch == '\\') {
                out += '\\';
                out += ch;
            } else if (byte < 0x20) {
                static constexpr char kHex[] = "0123456789abcdef";
                out += "\\u00";
                out += kHex[byte >> 4];
                out += kHex[byte & 15];
            } else {
                out += ch;
            }
        }
        out += '"';
    }
    bool first_ = true;
};

// A static const array of the register values, a comment line per channel.
// A faulted channel has its comment and no entry.
class CHeaderWriter final : public ChannelWriter {
public:
    void Begin(std::string& out) override {
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
    void Row(const ChannelResult& c, std::string& out) override {
        out += "    /* wanted ";
        Comment(out, WantedText(c));
        if (c.fault) {
            out += ": no entry. ";
            Comment(out, FaultText(c));
            out += " */\n";
            return;
        }
        out += ", achieved " + Number(c.achieved) + (c.mismatch ? " (mismatch) */\n" : " */\n");
        out += "    { 0x" + c.rt + ", 0x" + c.st + ", 0x" + c.pt + ", 0x" + c.ct + ", 0x" + c.gt + " },\n";
        ++entries_;
    }
    void End(std::string& out) override {
        // C has no empty initialiser list.
        if (entries_ == 0) out += "    { 0, 0, 0, 0, 0 } /* no channel could be computed */\n";
        out += "};\n\n";
        out += "#define KESTROVA_CHANNEL_COUNT " + std::to_string(entries_) + "\n\n";
        out += "#endif /* KESTROVA_CHANNELS_H */\n";
    }

private:
    // The text, with nothing that could end the comment or the line.
    static void Comment(std::string& out, std::string_view text) {
        for (std::size_t i = 0; i < text.size(); ++i) {
            const char ch = text[i];
            if (ch == '\r' || ch == '\n') out += ' ';
            else if (ch == '*' && i + 1 < text.size() && text[i + 1] == '/') out += "* ";
            else out += ch;
        }
    }
    long long entries_ = 0;
};

}  // namespace

std::optional<Format> FormatFromName(std::string_view name) {
    if (name == "text") return Format::Text;
    if (name == "csv") return Format::Csv;
    if (name == "json") return Format::Json;
    if (name == "c-header") return Format::CHeader;
    return std::nullopt;
}

std::unique_ptr<ChannelWriter> MakeWriter(Format format) {
    switch (format) {
    case Format::Text: return std::make_unique<TextWriter>();
    case Format::Csv: return std::make_unique<CsvWriter>();
    case Format::Json: return std::make_unique<JsonWriter>();
    case Format::CHeader: return std::make_unique<CHeaderWriter>();
    }
    return nullptr;
}

}  // namespace kestrova::plan
