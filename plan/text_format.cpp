// The text table, for a terminal.
#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "core/numeric_text.h"
#include "plan/format_parts.h"

namespace kestrova::plan {
namespace {

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
    void Begin(const Provenance& provenance, std::string& out) const override {
        // What the table was made from, for whoever reads it later.
        std::string made = provenance.program + ":";
        for (std::size_t i = 0; i < provenance.parameters.size(); ++i) {
            made += i == 0 ? " " : ", ";
            made += Info(provenance.parameters[i].first).term;
            made += ' ';
            made += Trimmed(provenance.parameters[i].second);
        }
        WrapLine(out, Visible(made));
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
        {"wanted", 12},
        {"achieved", 15},
        {"error", 10},
        {"error ppm", 10},
        {"miss", 4},
        {"Rt", 6},
        {"St", 6},
        {"Pt", 6},
        {"Ct", 6},
        {"Gt", 6},
    }};

    // A line of words broken between words to the table's width.
    static void WrapLine(std::string& out, std::string_view text) {
        std::size_t column = 0;
        while (!text.empty()) {
            const std::size_t space = text.find(' ');
            const std::string_view word = text.substr(0, space);
            text = space == std::string_view::npos ? std::string_view() : text.substr(space + 1);
            if (column > 0 && column + 1 + Columns(word) > kWidth) {
                out += '\n';
                column = 0;
            } else if (column > 0) {
                out += ' ';
                ++column;
            }
            out += word;
            column += Columns(word);
        }
        out += '\n';
    }

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

}  // namespace

std::unique_ptr<ChannelWriter> MakeTextWriter() {
    return std::make_unique<TextWriter>();
}

}  // namespace kestrova::plan
