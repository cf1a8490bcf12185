// The four formats. Numbers are written as the window writes them (15
// significant digits, "." as separator, whatever the locale); the error in
// parts per million with three decimals. Rows are appended straight into the
// caller's buffer.
#include "plan/formats.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdint>

#include "core/numeric_text.h"
#include "files/text_encoding.h"

namespace kestrova::plan {
namespace {

void AppendNumber(std::string& out, std::int32_t value) { AppendInteger(out, value); }

void AppendNumber(std::string& out, double value) { out += Trimmed(TextFromNumber(value)); }

using Decimal = Digits15;

// a - b, both taken with 15 significant digits, exactly; through binary
// only when the two are so far apart in scale that the exact difference does
// not fit 64 bits (and then the binary one has the same 15 digits).
std::optional<Decimal> DecimalDifference(double a, Decimal x, Decimal y) {
    const auto binary = [&]() -> std::optional<Decimal> {
        const double difference = a - NumberFromDigits(y);
        if (!std::isfinite(difference)) return std::nullopt;
        return DecimalDigits15(difference);
    };
    if (x.mantissa == 0) x.exponent = y.exponent;
    if (y.mantissa == 0) y.exponent = x.exponent;
    Decimal& larger = x.exponent > y.exponent ? x : y;
    const int lower = std::min(x.exponent, y.exponent);
    for (; larger.exponent > lower; --larger.exponent)
        if (__builtin_mul_overflow(larger.mantissa, std::int64_t{10}, &larger.mantissa)) return binary();
    Decimal difference{0, lower};
    if (__builtin_sub_overflow(x.mantissa, y.mantissa, &difference.mantissa)) return binary();
    return difference;
}

// The error and the error in ppm of a channel, worked out once for its row.
struct ErrorColumns {
    std::optional<std::string> error;
    std::optional<std::string> ppm;
};

ErrorColumns Errors(const ChannelResult& c);
ErrorColumns ErrorsOf(const ChannelResult& c);

// The wanted text as the user wrote it, as valid UTF-8.
std::string WantedText(const ChannelResult& c) { return files::TextFromFileLine(Trimmed(c.wantedText)); }

// Display columns of UTF-8 text: its characters.
std::size_t Columns(std::string_view text) {
    std::size_t columns = 0;
    for (const char ch : text) columns += (static_cast<unsigned char>(ch) & 0xC0) != 0x80 ? 1 : 0;
    return columns;
}

void Pad(std::string& out, std::string_view text, std::size_t width) {
    if (const std::size_t columns = Columns(text); columns < width) out.append(width - columns, ' ');
    out.append(text);
}

// A readable table that fits a terminal of 100 columns: the frequencies,
// the error, the mismatch and the five register fields, each right-aligned
// under its heading. A faulted channel's row gives the fault's description
// after the wanted frequency, wrapped at the table's width.
class TextWriter final : public ChannelWriter {
public:
    void Begin(std::string& out) const override {
        for (std::size_t i = 0; i < kColumns.size(); ++i) {
            if (i > 0) out += kGap;
            Pad(out, kColumns[i].name, kColumns[i].width);
        }
        out += '\n';
    }
    void Row(const ChannelResult& c, bool, std::string& out) const override {
        Pad(out, Visible(WantedText(c)), kColumns[0].width);
        if (c.fault) {
            Wrapped(out, Visible(c.faultText));
            return;
        }
        const auto cell = [&out](std::size_t column, std::string_view text) {
            out += kGap;
            Pad(out, text, kColumns[column].width);
        };
        cell(1, Trimmed(c.achievedText));
        const ErrorColumns errors = Errors(c);
        cell(2, errors.error.value_or("-"));
        cell(3, errors.ppm.value_or("-"));
        cell(4, c.values.mismatch ? "pink" : "ok");
        cell(5, c.rt);
        cell(6, c.st);
        cell(7, c.pt);
        cell(8, c.ct);
        cell(9, c.gt);
        out += '\n';
    }
    void End(long long, bool, std::string&) const override {}

private:
    struct Column {
        const char* name;
        std::size_t width;
    };
    static constexpr std::string_view kGap = "  ";
    static constexpr std::size_t kWidth = 99;  // a 100-column terminal, without its last column
    static constexpr std::array<Column, 10> kColumns = {{
        {"wanted", 12}, {"achieved", 15}, {"error", 10}, {"error ppm", 10}, {"miss", 4},
        {"Rt", 6}, {"St", 6}, {"Pt", 6}, {"Ct", 6}, {"Gt", 6},
    }};

    // Words after the wanted column, lines broken between words.
    static void Wrapped(std::string& out, std::string_view text) {
        const std::size_t indent = kColumns[0].width + kGap.size();
        std::size_t column = kColumns[0].width;
        bool lineStart = true;
        while (!text.empty()) {
            const std::size_t space = text.find(' ');
            const std::string_view word = text.substr(0, space);
            text = space == std::string_view::npos ? std::string_view() : text.substr(space + 1);
            if (word.empty()) continue;
            const std::size_t width = Columns(word);
            if (!lineStart && column + 1 + width > kWidth) {
                out += '\n';
                out.append(indent, ' ');
                column = indent;
                lineStart = true;
            }
            if (lineStart && column == kColumns[0].width) {
                out += kGap;
                column += kGap.size();
            } else if (!lineStart) {
                out += ' ';
                ++column;
            }
            out += word;
            column += width;
            lineStart = false;
        }
        out += '\n';
    }
};

// RFC 4180: CR LF records; a field with a comma, quote or line break quoted,
// its quotes doubled.
class CsvWriter final : public ChannelWriter {
public:
    void Begin(std::string& out) const override {
        out += "wanted,achieved,error,error_ppm,mismatch,R,N,P,S,C,G,Rt,St,Pt,Ct,Gt,fault\r\n";
    }
    void Row(const ChannelResult& c, bool, std::string& out) const override {
        out.reserve(out.size() + 160 + c.wantedText.size() + c.faultText.size());
        Field(out, WantedText(c));
        if (c.fault) {
            out += ",,,,,,,,,,,,,,,,";
            Field(out, c.faultText);
            out += "\r\n";
            return;
        }
        out += ',';
        out += Trimmed(c.achievedText);
        const ErrorColumns errors = Errors(c);
        out += ',';
        out += errors.error.value_or("");
        out += ',';
        out += errors.ppm.value_or("");
        out += c.values.mismatch ? ",1" : ",0";
        for (const std::int32_t value : {c.values.r, c.values.n, c.values.p, c.values.s, c.values.c, c.values.g}) {
            out += ',';
            AppendNumber(out, value);
        }
        for (const std::string_view text : {c.rt, c.st, c.pt, c.ct, c.gt}) {
            out += ',';
            out += text;
        }
        out += ",\r\n";
    }
    void End(long long, bool, std::string&) const override {}

private:
    static void Field(std::string& out, std::string_view text) {
        bool plain = true;
        for (const char ch : text) plain = plain && ch != ',' && ch != '"' && ch != '\r' && ch != '\n';
        if (plain) {
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
    void Begin(std::string& out) const override { out += "["; }
    void Row(const ChannelResult& c, bool first, std::string& out) const override {
        out += first ? "\n  {\"wanted\": " : ",\n  {\"wanted\": ";
        String(out, WantedText(c));
        if (c.fault) {
            out += ", \"fault\": ";
            String(out, c.faultText);
            out += '}';
            return;
        }
        out += ", \"wanted_value\": ";
        AppendNumber(out, c.wanted);
        out += ", \"achieved\": ";
        out += Trimmed(c.achievedText);
        const ErrorColumns errors = Errors(c);
        out += ", \"error\": ";
        out += errors.error.value_or("null");
        out += ", \"error_ppm\": ";
        out += errors.ppm.value_or("null");
        out += c.values.mismatch ? ", \"mismatch\": true" : ", \"mismatch\": false";
        for (const auto& [name, value] : {std::pair{"R", c.values.r}, {"N", c.values.n}, {"P", c.values.p},
                                          {"S", c.values.s}, {"C", c.values.c}, {"G", c.values.g}}) {
            out += ", \"";
            out += name;
            out += "\": ";
            AppendNumber(out, value);
        }
        for (const auto& [name, text] :
             {std::pair{"Rt", c.rt}, {"St", c.st}, {"Pt", c.pt}, {"Ct", c.ct}, {"Gt", c.gt}}) {
            out += ", \"";
            out += name;
            out += "\": \"";
            out += text;
            out += '"';
        }
        out += ", \"fault\": null}";
    }
    void End(long long, bool any, std::string& out) const override { out += any ? "\n]\n" : "]\n"; }

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
};

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

namespace {

ErrorColumns Errors(const ChannelResult& c) {
    try {
        return ErrorsOf(c);
    } catch (const CalcFault&) {
        return {};  // a difference beyond the double range: no error to show
    }
}

ErrorColumns ErrorsOf(const ChannelResult& c) {
    ErrorColumns columns;
    const Decimal wanted = c.wantedDigits;
    const std::optional<Decimal> error = DecimalDifference(c.values.achieved, c.values.achievedDigits, wanted);
    if (!error) return columns;
    columns.error = std::string(Trimmed(TextFromDigits(*error)));
    const double ppm = NumberFromDigits(*error) / NumberFromDigits(wanted) * 1e6;
    if (wanted.mantissa == 0 || !std::isfinite(ppm)) return columns;
    std::array<char, 400> buffer{};
    const auto end = std::to_chars(buffer.data(), buffer.data() + buffer.size(), ppm, std::chars_format::fixed, 3).ptr;
    columns.ppm.emplace(buffer.data(), end);
    if (columns.ppm == "-0.000") columns.ppm = "0.000";
    return columns;
}

}  // namespace

std::optional<std::string> ErrorText(const ChannelResult& c) { return Errors(c).error; }

std::optional<std::string> PpmText(const ChannelResult& c) { return Errors(c).ppm; }

std::string Visible(std::string_view text) {
    static constexpr char kHex[] = "0123456789abcdef";
    std::string shown;
    shown.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto byte = static_cast<unsigned char>(text[i]);
        // C1 controls are U+0080 to U+009F, in UTF-8 0xC2 0x80 to 0xC2 0x9F.
        const bool c1 = byte == 0xC2 && i + 1 < text.size() && (static_cast<unsigned char>(text[i + 1]) & 0xE0) == 0x80;
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
