// The output formats by name, and text made safe for a terminal.
#include "plan/formats.h"

#include "plan/format_parts.h"

namespace kestrova::plan {

std::string Visible(std::string_view text) {
    static constexpr char kHex[] = "0123456789abcdef";
    std::string shown;
    shown.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto byte = static_cast<unsigned char>(text[i]);
        // C1 controls are U+0080 to U+009F, in UTF-8 0xC2 0x80 to 0xC2 0x9F.
        const bool c1 =
            byte == 0xC2 && i + 1 < text.size() && (static_cast<unsigned char>(text[i + 1]) & 0xE0) == 0x80;
        if (byte >= 0x20 && byte != 0x7F && !c1) {
            shown += text[i];
            continue;
        }
        const unsigned code = c1 ? static_cast<unsigned char>(text[++i]) : byte;
        shown += c1 ? "\\u00" : "\\x";
        shown += kHex[code >> 4];
        shown += kHex[code & 15];
    }
    return shown;
}

void AppendCsvField(std::string& out, std::string_view text) {
    bool plain = true;
    for (const char ch : text) plain = plain && ch != ',' && ch != '"' && ch != '\r' && ch != '\n';
    if (plain) {
        out.append(text);
        return;
    }
    out += '"';
    for (const char ch : text) {
        if (ch == '"') out += '"';
        out += ch;
    }
    out += '"';
}

void AppendJsonString(std::string& out, std::string_view text) {
    static constexpr char kHex[] = "0123456789abcdef";
    out += '"';
    for (const char ch : text) {
        const auto byte = static_cast<unsigned char>(ch);
        if (ch == '"' || ch == '\\') {
            out += '\\';
            out += ch;
        } else if (byte < 0x20) {
            out += "\\u00";
            out += kHex[byte >> 4];
            out += kHex[byte & 15];
        } else {
            out += ch;
        }
    }
    out += '"';
}

void AppendCommentText(std::string& out, std::string_view text) {
    char previous = ' ';
    for (char ch : text) {
        if (ch == '\r' || ch == '\n') ch = ' ';
        if ((previous == '*' && ch == '/') || (previous == '/' && ch == '*')) out += ' ';
        out += ch;
        previous = ch;
    }
}

std::optional<Format> FormatFromName(std::string_view name) {
    if (name == "text") return Format::Text;
    if (name == "csv") return Format::Csv;
    if (name == "json") return Format::Json;
    if (name == "c-header") return Format::CHeader;
    return std::nullopt;
}

std::unique_ptr<ChannelWriter> MakeWriter(Format format) {
    switch (format) {
        case Format::Text:
            return MakeTextWriter();
        case Format::Csv:
            return MakeCsvWriter();
        case Format::Json:
            return MakeJsonWriter();
        case Format::CHeader:
            return MakeCHeaderWriter();
    }
    return nullptr;
}

}  // namespace kestrova::plan
