// Reading a JSON plan: an array of one object per channel, each key the JSON
// name of a column, in any layout another tool may give it (whitespace, key
// order, number forms, escapes). The array is split into its objects in one
// pass; each object is parsed, and checked whole, by simdjson.
#include <simdjson.h>

#include <algorithm>
#include <array>
#include <memory>
#include <optional>
#include <string>

#include "plan/channel/channel.h"
#include "plan/formats/json/json_text.h"
#include "plan/formats/plan_file.h"

namespace kestrova::plan {
namespace {

// The column of a JSON key, or none.
const ColumnInfo* ColumnOfKey(std::string_view key) {
    for (const ColumnInfo& column : kColumns)
        if (column.json == key) return &column;
    return nullptr;
}

// What reading a channel's object keeps on its thread: the parser, and the
// object with the padding the parser reads past its end.
struct JsonScratch final : ReaderScratch {
    simdjson::ondemand::parser parser;
    std::string padded;
};

[[noreturn]] void NotJson(std::size_t line, simdjson::error_code error) {
    FailAtLine(line, "a channel that is not valid JSON: " + std::string(simdjson::error_message(error)));
}

// The text of a value, each checked whole (an object's or array's values
// too): a number as it is written, a flag as "1" or "0"; none for null, an
// object or an array.
// A channel's values nest no deeper than this: deeper is no plan, refused
// alike by every build (the parser's own limit asserts in a debug build).
constexpr int kDeepest = 32;

std::optional<std::string_view> ValueText(simdjson::ondemand::value value, std::size_t line, int depth = 0) {
    if (depth > kDeepest)
        FailAtLine(line, "a channel nested more than " + std::to_string(kDeepest) + " deep");
    simdjson::ondemand::json_type type{};
    if (const auto error = value.type().get(type)) NotJson(line, error);
    switch (type) {
        case simdjson::ondemand::json_type::string: {
            std::string_view text;
            if (const auto error = value.get_string().get(text)) NotJson(line, error);
            return text;
        }
        case simdjson::ondemand::json_type::number: {
            std::string_view written = value.raw_json_token();
            while (!written.empty() && IsBlank(written.back())) written.remove_suffix(1);
            double number = 0;
            if (const auto error = value.get_double().get(number)) NotJson(line, error);
            return written;
        }
        case simdjson::ondemand::json_type::boolean: {
            bool flag = false;
            if (const auto error = value.get_bool().get(flag)) NotJson(line, error);
            return flag ? kYes : kNo;
        }
        case simdjson::ondemand::json_type::null: {
            bool null = false;
            if (const auto error = value.is_null().get(null)) NotJson(line, error);
            if (!null) NotJson(line, simdjson::N_ATOM_ERROR);
            return std::nullopt;
        }
        case simdjson::ondemand::json_type::object: {
            simdjson::ondemand::object object;
            if (const auto error = value.get_object().get(object)) NotJson(line, error);
            for (auto field : object) {
                simdjson::ondemand::value inner;
                if (const auto error = field.value().get(inner)) NotJson(line, error);
                ValueText(inner, line, depth + 1);
            }
            return std::nullopt;
        }
        case simdjson::ondemand::json_type::array: {
            simdjson::ondemand::array array;
            if (const auto error = value.get_array().get(array)) NotJson(line, error);
            for (auto element : array) {
                simdjson::ondemand::value inner;
                if (const auto error = element.get(inner)) NotJson(line, error);
                ValueText(inner, line, depth + 1);
            }
            return std::nullopt;
        }
    }
    return std::nullopt;
}

// Reads one channel's object: each key of a column takes its value's text.
// Raises PlanFormatError naming the line.
void ReadRecord(std::string_view record, std::size_t line, JsonScratch& scratch, PlanRow& row) {
    row.Clear();
    scratch.padded.assign(record);
    scratch.padded.append(simdjson::SIMDJSON_PADDING, ' ');
    simdjson::ondemand::document document;
    if (const auto error =
            scratch.parser.iterate(scratch.padded.data(), record.size(), scratch.padded.size()).get(document))
        NotJson(line, error);
    simdjson::ondemand::object object;
    if (const auto error = document.get_object().get(object)) NotJson(line, error);
    for (auto field : object) {
        std::string_view key;
        if (const auto error = field.unescaped_key().get(key)) NotJson(line, error);
        const ColumnInfo* column = ColumnOfKey(key);
        simdjson::ondemand::value value;
        if (const auto error = field.value().get(value)) NotJson(line, error);
        const std::optional<std::string_view> text = ValueText(value, line);
        // Readers of JSON differ on which of two values of a key they take.
        if (column != nullptr && row.Has(column->column))
            FailAtLine(line, "a channel with the key \"" + std::string(column->json) + "\" twice");
        if (column != nullptr && text) row.Set(column->column, *text);
    }
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

    void Read(const PlanRecords& in, std::size_t i, RowScratch& scratch, PlanRow& row) const override {
        if (!scratch.reader) scratch.reader = std::make_unique<JsonScratch>();
        ReadRecord(in.records[i], in.lines[i], static_cast<JsonScratch&>(*scratch.reader), row);
    }

    std::optional<std::string_view> QuickWanted(const PlanRecords& in, std::size_t i) const override {
        // The planner's object begins with its first column, the wanted
        // text, a string: {"wanted": "...
        constexpr std::string_view kFirst = kColumns[0].json;
        static_assert(kColumns[0].column == Column::Wanted && kColumns[0].kind == CellKind::Text);
        std::string_view record = in.records[i];
        if (!record.starts_with("{\"") || !record.substr(2).starts_with(kFirst)) return std::nullopt;
        record.remove_prefix(2 + kFirst.size());
        if (!record.starts_with(kJsonKeyEnd) || record.substr(kJsonKeyEnd.size(), 1) != "\"")
            return std::nullopt;
        record.remove_prefix(kJsonKeyEnd.size() + 1);
        const std::string_view wanted = record.substr(0, record.find('"'));
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
