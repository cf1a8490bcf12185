// Reading a JSON plan: an array of one object per channel, each key the JSON
// name of a column, in any layout another tool may give it (whitespace, key
// order, number forms, escapes). The array is split into its objects in one
// pass; each object is parsed by a JSON library.
#include <nlohmann/json.hpp>

#include <string>

#include "plan/channel/channel.h"
#include "plan/readers/plan_file.h"

namespace kestrova::plan {
namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\n' || c == '\r' || c == '\t';
}

// The column of a JSON key, or none.
const ColumnInfo* ColumnOfKey(std::string_view key) {
    for (const ColumnInfo& column : kColumns)
        if (column.json == key) return &column;
    return nullptr;
}

// One channel's object, read from the JSON parser's events: each key of a
// column takes its value's text (a number as it is written, a flag as "1" or
// "0"), without a document being built.
class RecordEvents final : public nlohmann::json_sax<nlohmann::json> {
public:
    RecordEvents(std::size_t line, PlanRow& row) : line_(line), row_(row) {}

    bool start_object(std::size_t) override {
        if (++depth_ > 1) column_ = nullptr;  // an object inside: no column's value
        return true;
    }
    bool end_object() override {
        --depth_;
        return true;
    }
    bool start_array(std::size_t) override {
        if (depth_ == 0) FailAtLine(line_, "an array where a channel's object should be");
        ++depth_;
        column_ = nullptr;
        return true;
    }
    bool end_array() override {
        --depth_;
        return true;
    }
    bool key(string_t& key) override {
        column_ = depth_ == 1 ? ColumnOfKey(key) : nullptr;
        return true;
    }
    bool string(string_t& text) override { return Take(text); }
    bool boolean(bool value) override { return Take(value ? kYes : kNo); }
    bool number_integer(number_integer_t value) override { return Take(std::to_string(value)); }
    bool number_unsigned(number_unsigned_t value) override { return Take(std::to_string(value)); }
    bool number_float(number_float_t, const string_t& written) override { return Take(written); }
    bool null() override {
        column_ = nullptr;  // a column without a value
        return true;
    }
    bool binary(binary_t&) override { return true; }
    bool parse_error(std::size_t, const std::string&, const nlohmann::detail::exception& wrong) override {
        // The parser's words without its "[json.exception.parse_error.101] " tag.
        std::string_view words = wrong.what();
        if (const std::size_t tag = words.find("] "); tag != std::string_view::npos)
            words.remove_prefix(tag + 2);
        FailAtLine(line_, "a channel that is not valid JSON: " + std::string(words));
    }

private:
    bool Take(std::string_view text) {
        if (column_ != nullptr && depth_ == 1) row_.Set(column_->column, text);
        column_ = nullptr;
        return true;
    }
    std::size_t line_;
    PlanRow& row_;
    const ColumnInfo* column_ = nullptr;
    int depth_ = 0;
};

// Reads one channel's object; raises PlanFormatError naming the line.
void ReadRecord(std::string_view record, std::size_t line, PlanRow& row) {
    row.Clear();
    RecordEvents events(line, row);
    nlohmann::json::sax_parse(record.begin(), record.end(), &events);
    if (!row.Has(Column::Wanted)) FailAtLine(line, "a channel with no \"wanted\"");
}

class JsonReader final : public PlanReader {
public:
    bool Recognises(std::string_view start) const override { return start.starts_with("["); }

    // The objects of the top-level array, with nothing but commas and blanks
    // between them; a file that ends before the array does is reported.
    void Split(std::string_view content, PlanRecords& out) const override {
        const std::size_t start = ContentStart(content);
        std::size_t line = LineAt(content, 0, 1, start), counted = start;
        const auto lineOf = [&](std::size_t at) {
            line = LineAt(content, counted, line, at);
            counted = at;
            return line;
        };
        bool expectValue = true;  // after "[" or ","
        for (std::size_t i = start + 1; i < content.size(); ++i) {
            const char c = content[i];
            if (IsBlank(c)) continue;
            if (c == ']' && (!expectValue || out.records.empty())) {
                for (std::size_t after = i + 1; after < content.size(); ++after)
                    if (!IsBlank(content[after])) FailAtLine(lineOf(after), "something after the array");
                return;
            }
            if (c == ',' && !expectValue) {
                expectValue = true;
                continue;
            }
            if (c != '{' || !expectValue) FailAtLine(lineOf(i), "not an array of channel objects");
            // The object, to its matching brace outside strings.
            const std::size_t open = i, openLine = lineOf(i);
            int depth = 0;
            bool inString = false;
            for (; i < content.size(); ++i) {
                const char d = content[i];
                if (inString) {
                    if (d == '\\')
                        ++i;
                    else if (d == '"')
                        inString = false;
                } else if (d == '"') {
                    inString = true;
                } else if (d == '{') {
                    ++depth;
                } else if (d == '}' && --depth == 0) {
                    break;
                }
            }
            if (i >= content.size()) break;  // cut inside the object
            out.records.push_back(content.substr(open, i + 1 - open));
            out.lines.push_back(openLine);
            expectValue = false;
        }
        out.truncation = "the file ends at line " + std::to_string(lineOf(content.size())) +
                         " before the array's closing \"]\"";
    }

    void Read(const PlanRecords& in, std::size_t i, RowScratch&, PlanRow& row) const override {
        ReadRecord(in.records[i], in.lines[i], row);
    }

    ColumnSet Holds(const PlanRecords&) const override {
        return ColumnsWhere([](const ColumnInfo& column) { return !column.json.empty(); });
    }
};

}  // namespace

const PlanReader& JsonPlanReader() {
    static const JsonReader reader;
    return reader;
}

}  // namespace kestrova::plan
