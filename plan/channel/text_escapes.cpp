// Escapes for terminals, CSV, JSON and C comments, and word wrapping.
#include "plan/channel/text_escapes.h"

#include "files/text_encoding.h"

namespace kestrova::plan {

namespace {

// The length of the UTF-8 sequence at text[i], or 0 where the bytes there
// are no character's (a stray continuation byte, a sequence cut short, an
// overlong form, a surrogate or a code beyond U+10FFFF).
std::size_t Utf8Length(std::string_view text, std::size_t i) {
    const auto at = [&](std::size_t k) { return static_cast<unsigned char>(text[i + k]); };
    const unsigned char lead = at(0);
    const std::size_t length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 0;
    if (length == 0 || lead > 0xF4 || i + length > text.size()) return 0;
    for (std::size_t k = 1; k < length; ++k)
        if ((at(k) & 0xC0) != 0x80) return 0;
    if (length == 2 && lead < 0xC2) return 0;                    // overlong
    if (length == 3 && lead == 0xE0 && at(1) < 0xA0) return 0;   // overlong
    if (length == 3 && lead == 0xED && at(1) >= 0xA0) return 0;  // a surrogate
    if (length == 4 && lead == 0xF0 && at(1) < 0x90) return 0;   // overlong
    if (length == 4 && lead == 0xF4 && at(1) >= 0x90) return 0;  // beyond U+10FFFF
    return length;
}

}  // namespace

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
        } else if (const std::size_t length = Utf8Length(text, i); length == 0) {
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
        // U+FFFE and U+FFFF are no XML 1.0 characters: shown as escapes.
        if (ch == '\xEF' && shown.compare(i + 1, 2, "\xBF\xBE") == 0) {
            out += "\\ufffe";
            i += 2;
            continue;
        }
        if (ch == '\xEF' && shown.compare(i + 1, 2, "\xBF\xBF") == 0) {
            out += "\\uffff";
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
    std::size_t end = 0;
    for (std::size_t kept = 0; kept + 1 < columns && end < utf8.size(); ++kept) do
            ++end;
        while (end < utf8.size() && (static_cast<unsigned char>(utf8[end]) & 0xC0) == 0x80);
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
