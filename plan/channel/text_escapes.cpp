// Escapes for terminals, CSV, JSON and C comments, and word wrapping.
#include "plan/channel/text_escapes.h"

#include "files/text_encoding.h"

namespace kestrova::plan {

std::string Visible(std::string_view text) {
    static constexpr char kHex[] = "0123456789abcdef";
    std::string shown;
    shown.reserve(text.size());
    const auto escape = [&](const char* prefix, unsigned code) {
        shown += prefix;
        shown += kHex[code >> 4];
        shown += kHex[code & 15];
    };
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto byte = static_cast<unsigned char>(text[i]);
        if (byte < 0x20 || byte == 0x7F) {
            escape("\\x", byte);
        } else if (byte < 0x80) {
            shown += text[i];
        } else if (const std::size_t length = files::Utf8Length(text, i); length == 0) {
            escape("\\x", byte);  // no UTF-8: the byte itself, never raw (0x9B is a terminal's CSI)
        } else if (byte == 0xC2 && static_cast<unsigned char>(text[i + 1]) < 0xA0) {
            escape("\\u00", static_cast<unsigned char>(text[++i]));  // a C1 control, U+0080 to U+009F
        } else {
            shown.append(text.substr(i, length));
            i += length - 1;
        }
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
    std::string oneLine(text);
    for (char& ch : oneLine)
        if (ch == '\r' || ch == '\n') ch = ' ';
    char previous = ' ';
    // Other control characters as visible escapes: a header is read on terminals too.
    for (const char ch : Visible(oneLine)) {
        if ((previous == '*' && ch == '/') || (previous == '/' && ch == '*')) out += ' ';
        out += ch;
        previous = ch;
    }
}

void AppendXmlText(std::string& out, std::string_view text) {
    // Text that is not UTF-8 is taken as Latin-1, as the settings file's lines are.
    const std::string shown = Visible(files::TextFromFileLine(text));
    for (std::size_t i = 0; i < shown.size(); ++i) {
        const char ch = shown[i];
        // U+FFFE and U+FFFF (EF BF BE, EF BF BF) are no XML 1.0 characters:
        // shown as escapes.
        if (ch == '\xEF' && shown.compare(i + 1, 1, "\xBF") == 0 && i + 2 < shown.size() &&
            (shown[i + 2] == '\xBE' || shown[i + 2] == '\xBF')) {
            out += shown[i + 2] == '\xBE' ? "\\ufffe" : "\\uffff";
            i += 2;
            continue;
        }
        switch (ch) {
            case '&':
                out += "&amp;";
                break;
            case '<':
                out += "&lt;";
                break;
            case '>':
                out += "&gt;";
                break;
            case '"':
                out += "&quot;";
                break;
            case '\'':
                out += "&apos;";
                break;
            default:
                out += ch;
        }
    }
}

std::string Shortened(std::string_view text, std::size_t columns) {
    const std::string utf8 = files::TextFromFileLine(text);
    if (columns == 0 || DisplayColumns(utf8) <= columns) return utf8;
    // The first columns - 1 characters, each a lead byte and its continuations.
    std::size_t end = 0;
    for (std::size_t kept = 0; kept + 1 < columns; ++kept) end += files::Utf8Length(utf8, end);
    return utf8.substr(0, end) + "\u2026";
}

std::size_t DisplayColumns(std::string_view text) {
    std::size_t columns = 0;
    for (const char ch : text) columns += (static_cast<unsigned char>(ch) & 0xC0) != 0x80 ? 1 : 0;
    return columns;
}

void AppendPadded(std::string& out, std::string_view text, std::size_t width) {
    if (const std::size_t columns = DisplayColumns(text); columns < width) out.append(width - columns, ' ');
    out.append(text);
}

void AppendWrapped(std::string& out, std::string_view text, std::size_t column, std::size_t indent,
                   std::size_t width, bool keepEmpty) {
    bool lineStart = true;
    while (!text.empty()) {
        const std::size_t space = text.find(' ');
        const std::string_view word = text.substr(0, space);
        text = space == std::string_view::npos ? std::string_view() : text.substr(space + 1);
        if (word.empty() && !keepEmpty) continue;
        const std::size_t columns = DisplayColumns(word);
        if (!lineStart && column + 1 + columns > width) {
            out += '\n';
            out.append(indent, ' ');
            column = indent;
            lineStart = true;
        }
        if (!lineStart) {
            out += ' ';
            ++column;
        }
        out += word;
        column += columns;
        lineStart = false;
    }
    out += '\n';
}

}  // namespace kestrova::plan
