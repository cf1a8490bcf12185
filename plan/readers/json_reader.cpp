// Reading a JSON plan: the objects of its top-level array, one a channel,
// each key the JSON name of a column; strings with their escapes, the raw
// text of numbers and literals.
#include <string>

#include "core/numeric_text.h"
#include "plan/channel/channel.h"
#include "plan/readers/plan_file.h"

namespace kestrova::plan {
namespace {

// A JSON string starting at text[i] (its opening quote); i ends past it.
std::string JsonString(std::string_view text, std::size_t& i, std::size_t line) {
    std::string value;
    for (++i; i < text.size() && text[i] != '"'; ++i) {
        if (text[i] != '\\') {
            value += text[i];
            continue;
        }
        if (++i == text.size()) break;
        switch (text[i]) {
            case 'n':
                value += '\n';
                break;
            case 't':
                value += '\t';
                break;
            case 'r':
                value += '\r';
                break;
            case 'b':
                value += '\b';
                break;
            case 'f':
                value += '\f';
                break;
            case 'u': {
                if (i + 4 >= text.size()) FailAtLine(line, "a \\u escape cut short");
                unsigned code = 0;
                for (const char digit : text.substr(i + 1, 4)) {
                    const int nibble = HexDigitValue(digit);
                    if (nibble < 0) FailAtLine(line, "a \\u escape that is not four hexadecimal digits");
                    code = code << 4 | static_cast<unsigned>(nibble);
                }
                i += 4;
                if (code < 0x80) {
                    value += static_cast<char>(code);
                } else if (code < 0x800) {
                    value += static_cast<char>(0xC0 | (code >> 6));
                    value += static_cast<char>(0x80 | (code & 0x3F));
                } else {
                    value += static_cast<char>(0xE0 | (code >> 12));
                    value += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
                    value += static_cast<char>(0x80 | (code & 0x3F));
                }
                break;
            }
            default:
                value += text[i];
        }
    }
    if (i >= text.size()) FailAtLine(line, "a string that does not end");
    ++i;
    return value;
}

// The column of a JSON key, or none.
const ColumnInfo* ColumnOfKey(std::string_view key) {
    for (const ColumnInfo& column : kColumns)
        if (column.json == key) return &column;
    return nullptr;
}

// Reads one channel's object; raises PlanFormatError naming the line.
void ReadRecord(std::string_view record, std::size_t line, PlanRow& row) {
    row.Clear();
    for (std::size_t k = 1; k < record.size();) {
        const char c = record[k];
        if (c != '"') {
            ++k;
            continue;
        }
        const std::string key = JsonString(record, k, line);
        while (k < record.size() && (record[k] == ' ' || record[k] == ':' || record[k] == '\n' ||
                                     record[k] == '\r' || record[k] == '\t'))
            ++k;
        if (k >= record.size()) FailAtLine(line, "\"" + key + "\" has no value");
        std::string value;
        bool isNull = false;
        if (record[k] == '"') {
            value = JsonString(record, k, line);
        } else {
            const std::size_t end = record.find_first_of(",}", k);
            value = std::string(Trimmed(record.substr(k, end - k)));
            isNull = value == "null";
            k = end;
        }
        const ColumnInfo* column = ColumnOfKey(key);
        if (column == nullptr || isNull) continue;
        // A flag is true or false in JSON, and "1" or "0" in a cell.
        if (column->kind == CellKind::Flag && (value == "true" || value == "false"))
            row.Set(column->column, value == "true" ? kYes : kNo);
        else
            row.Set(column->column, value);
    }
    if (!row.Has(Column::Wanted)) FailAtLine(line, "a channel with no \"wanted\"");
}

class JsonReader final : public PlanReader {
public:
    bool Recognises(std::string_view start) const override { return start.starts_with("["); }

    // The objects of the top-level array; none holds another.
    void Split(std::string_view content, PlanRecords& out) const override {
        const std::size_t start = ContentStart(content);
        std::size_t line = LineAt(content, 0, 1, start), counted = start;
        bool inString = false;
        std::size_t open = std::string_view::npos;
        for (std::size_t i = start + 1; i < content.size(); ++i) {
            const char c = content[i];
            if (inString) {
                if (c == '\\')
                    ++i;
                else if (c == '"')
                    inString = false;
            } else if (c == '"') {
                inString = true;
            } else if (c == '{') {
                line = LineAt(content, counted, line, i);
                counted = i;
                if (open != std::string_view::npos) FailAtLine(line, "an object inside an object");
                open = i;
            } else if (c == '}') {
                if (open == std::string_view::npos)
                    FailAtLine(LineAt(content, counted, line, i), "a \"}\" with no \"{\"");
                out.records.push_back(content.substr(open, i + 1 - open));
                out.lines.push_back(line);
                open = std::string_view::npos;
            }
        }
        if (open != std::string_view::npos || inString) FailAtLine(line, "an object that does not end");
    }

    void Read(const PlanRecords& in, std::size_t i, RowScratch&, PlanRow& row) const override {
        ReadRecord(in.records[i], in.lines[i], row);
    }
};

}  // namespace

const PlanReader& JsonPlanReader() {
    static const JsonReader reader;
    return reader;
}

}  // namespace kestrova::plan
