// Reading a JSON plan: an array of one object per channel, each key the JSON
// name of a column, in any layout another tool may give it (whitespace, key
// order, number forms, escapes). The array is split into its objects in one
// pass; each object is parsed by a JSON library.
#include <nlohmann/json.hpp>

#include <algorithm>
#include <array>
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

// The objects of the top-level array, with nothing but commas and blanks
// between them; a file that ends before the array does is reported.
class JsonSplitter final : public RecordSplitter {
public:
    explicit JsonSplitter(std::size_t firstLine) : line_(firstLine) {}

    std::size_t Split(std::string_view text, bool atEnd, PlanRecords& out) override {
        std::size_t line = line_;          // of text[i]
        std::size_t i = started_ ? 0 : 1;  // past the "[" that made the file JSON
        started_ = true;
        for (; i < text.size(); ++i) {
            const char c = text[i];
            if (c == '\n') ++line;
            if (IsBlank(c)) continue;
            if (ended_) FailAtLine(line, "something after the array");
            if (c == ']' && (!expectValue_ || channels_ == 0)) {
                ended_ = true;
                continue;
            }
            if (c == ',' && !expectValue_) {
                expectValue_ = true;
                continue;
            }
            if (c != '{' || !expectValue_) FailAtLine(line, "not an array of channel objects");
            std::size_t lines = 0;
            const std::size_t close = ObjectEnd(text, i, lines);
            if (close == std::string_view::npos) {
                if (atEnd) {  // cut inside the object
                    line += lines;
                    break;
                }
                line_ = line;
                return i;  // the rest of the object comes with the next piece
            }
            out.lines.push_back(line);
            out.records.push_back(text.substr(i, close + 1 - i));
            line += lines;
            expectValue_ = false;
            ++channels_;
            i = close;
        }
        line_ = line;
        if (atEnd && !ended_)
            out.truncation =
                "the file ends at line " + std::to_string(line_) + " before the array's closing \"]\"";
        return text.size();
    }

    std::size_t Line() const override { return line_; }

private:
    // The object's closing brace, matching the one at open outside strings,
    // and the line ends on the way; npos when text ends first.
    static std::size_t ObjectEnd(std::string_view text, std::size_t open, std::size_t& lines) {
        // An object with no object inside and no escape, as the planner's
        // are, ends at the first "}" if its quotes pair up before it.
        if (const std::size_t close = text.find('}', open); close != std::string_view::npos) {
            // One pass without a branch, in vector steps.
            unsigned quotes = 0, lineEnds = 0, other = 0;
            const auto* const bytes = reinterpret_cast<const unsigned char*>(text.data());
            for (std::size_t i = open + 1; i < close; ++i) {
                const unsigned char c = bytes[i];
                quotes += static_cast<unsigned>(c == '"');
                lineEnds += static_cast<unsigned>(c == '\n');
                other += static_cast<unsigned>(c == '{') | static_cast<unsigned>(c == '\\');
            }
            if (other == 0 && quotes % 2 == 0) {
                lines += lineEnds;
                return close;
            }
        }
        enum : unsigned char { kOther, kQuote, kOpen, kClose, kLineEnd, kEscape };
        static constexpr std::array<unsigned char, 256> kKind = [] {
            std::array<unsigned char, 256> kind{};
            kind['"'] = kQuote;
            kind['{'] = kOpen;
            kind['}'] = kClose;
            kind['\n'] = kLineEnd;
            kind['\\'] = kEscape;
            return kind;
        }();
        int depth = 0;
        bool inString = false;
        for (std::size_t i = open; i < text.size(); ++i) {
            switch (kKind[static_cast<unsigned char>(text[i])]) {
                case kOther:
                    break;
                case kLineEnd:
                    ++lines;
                    break;
                case kQuote:
                    inString = !inString;
                    break;
                case kEscape:
                    if (inString && i + 1 < text.size() && text[++i] == '\n') ++lines;
                    break;
                case kOpen:
                    depth += inString ? 0 : 1;
                    break;
                case kClose:
                    if (!inString && --depth == 0) return i;
                    break;
                default:
                    break;
            }
        }
        return std::string_view::npos;
    }

    std::size_t line_;
    bool started_ = false, ended_ = false;
    bool expectValue_ = true;  // after "[" or ","
    long long channels_ = 0;
};

class JsonReader final : public PlanReader {
public:
    bool Recognises(std::string_view start) const override { return start.starts_with("["); }

    std::unique_ptr<RecordSplitter> Splitter(std::size_t firstLine) const override {
        return std::make_unique<JsonSplitter>(firstLine);
    }

    void Read(const PlanRecords& in, std::size_t i, RowScratch&, PlanRow& row) const override {
        ReadRecord(in.records[i], in.lines[i], row);
    }

    std::optional<std::string_view> QuickWanted(const PlanRecords& in, std::size_t i) const override {
        // The planner's object begins with its wanted text, a string.
        constexpr std::string_view kStart = "{\"wanted\": \"";
        const std::string_view record = in.records[i];
        if (!record.starts_with(kStart)) return std::nullopt;
        const std::string_view wanted =
            record.substr(kStart.size(), record.find('"', kStart.size()) - kStart.size());
        if (wanted.find('\\') != std::string_view::npos) return std::nullopt;
        return wanted;
    }

    std::string_view RecordOf(std::string_view row) const override {
        return row.substr(row.find('{'), row.rfind('}') + 1 - row.find('{'));
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
