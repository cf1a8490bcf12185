// Splitting a plan file into records (in one pass, so the records can be read
// on several threads) and reading each.
#include "plan/plan_reader.h"

#include <algorithm>

#include "plan/channel.h"
#include "plan/json_record.h"

namespace kestrova::plan {
namespace {

constexpr std::array<std::string_view, 9> kCsvColumns = {"wanted", "achieved", "fault", "Rt",      "St",
                                                         "Pt",     "Ct",       "Gt",    "mismatch"};

std::string_view WithoutCr(std::string_view line) {
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    return line;
}

std::vector<std::string> CsvFields(std::string_view line, std::size_t number) {
    std::vector<std::string> fields(1);
    bool quoted = false;
    for (std::size_t i = 0; i < line.size(); ++i) {
        const char c = line[i];
        if (quoted) {
            if (c == '"' && i + 1 < line.size() && line[i + 1] == '"')
                fields.back() += line[++i];
            else if (c == '"')
                quoted = false;
            else
                fields.back() += c;
        } else if (c == '"') {
            quoted = true;
        } else if (c == ',') {
            fields.emplace_back();
        } else {
            fields.back() += c;
        }
    }
    if (quoted) FailAtLine(number, "a quoted field that does not end");
    return fields;
}

// RFC 4180 fields of one record (no line break inside a field). A record
// without quotes, as most are, is cut into views of itself.
void CsvFields(std::string_view line, std::size_t number, std::vector<std::string_view>& views,
               std::vector<std::string>& unquoted) {
    views.clear();
    if (line.find('"') == std::string_view::npos) {
        for (std::size_t at = 0;;) {
            const std::size_t comma = line.find(',', at);
            views.push_back(line.substr(at, comma - at));
            if (comma == std::string_view::npos) return;
            at = comma + 1;
        }
    }
    unquoted = CsvFields(line, number);
    for (const std::string& field : unquoted) views.emplace_back(field);
}

// Counts the lines up to a position, from a known earlier one.
std::size_t LineAt(std::string_view content, std::size_t from, std::size_t fromLine, std::size_t at) {
    return fromLine +
           static_cast<std::size_t>(std::count(content.begin() + static_cast<std::ptrdiff_t>(from),
                                               content.begin() + static_cast<std::ptrdiff_t>(at), '\n'));
}

const std::array<Field, 7> kRecorded = {Field::Fl,   Field::Fh,   Field::Fstep,  Field::Fo,
                                        Field::Fref, Field::Fosc, Field::DacGain};

}  // namespace

void FailAtLine(std::size_t line, const std::string& what) {
    throw PlanFormatError("line " + std::to_string(line) + ": " + what);
}

PlanFile::PlanFile(std::string_view content) {
    std::size_t start = 0;
    while (start < content.size() && (content[start] == ' ' || content[start] == '\n' ||
                                      content[start] == '\r' || content[start] == '\t'))
        ++start;
    const std::string_view body = content.substr(start);
    if (body.starts_with("wanted,")) {
        kind_ = Kind::Csv;
    } else if (body.starts_with("[")) {
        kind_ = Kind::Json;
    } else if (body.starts_with("/* Channel registers computed by")) {
        kind_ = Kind::CHeader;
    } else {
        FailAtLine(LineAt(content, 0, 1, start), "not a plan of kestrova-plan (CSV, JSON or C header)");
    }

    if (kind_ == Kind::Json) {
        // Objects of the top-level array; none holds another.
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
                records_.push_back(content.substr(open, i + 1 - open));
                lines_.push_back(line);
                open = std::string_view::npos;
            }
        }
        if (open != std::string_view::npos || inString) FailAtLine(line, "an object that does not end");
        return;
    }

    // CSV and the C header go a line at a time.
    std::size_t number = 0;
    bool header = true;
    std::string_view pendingComment;
    std::size_t pendingLine = 0;
    for (std::size_t at = 0; at < content.size();) {
        const std::size_t end = std::min(content.find('\n', at), content.size());
        const std::string_view line = WithoutCr(content.substr(at, end - at));
        at = end + 1;
        ++number;
        if (kind_ == Kind::Csv) {
            if (header) {
                if (line.empty()) continue;
                const std::vector<std::string> names = CsvFields(line, number);
                fieldCount_ = names.size();
                for (std::size_t k = 0; k < kCsvColumns.size(); ++k) {
                    const auto found = std::find(names.begin(), names.end(), kCsvColumns[k]);
                    if (found == names.end())
                        FailAtLine(number, "no \"" + std::string(kCsvColumns[k]) + "\" column");
                    columns_[k] = static_cast<int>(found - names.begin());
                }
                header = false;
            } else if (!line.empty()) {
                records_.push_back(line);
                lines_.push_back(number);
            }
            continue;
        }
        // The C header: its opening comment records the parameters; each
        // channel is a comment line, and an entry line unless it faulted.
        if (header) {
            if (line.starts_with(" */")) header = false;
            if (!line.starts_with(" *   ")) continue;
            const std::string_view rest = line.substr(5);
            for (const Field field : kRecorded) {
                const std::string_view term = Info(field).term;
                if (rest.starts_with(term) && rest.size() > term.size() && rest[term.size()] == ' ')
                    parameters_.emplace_back(field, std::string(Trimmed(rest.substr(term.size()))));
            }
            continue;
        }
        const std::string_view trimmed = Trimmed(line);
        if (trimmed.starts_with("/* wanted ")) {
            if (!pendingComment.empty())
                FailAtLine(pendingLine, "a channel's comment with no entry after it");
            if (trimmed.find(": no entry. ") != std::string_view::npos) {
                records_.push_back(trimmed);
                lines_.push_back(number);
            } else {
                pendingComment = trimmed;
                pendingLine = number;
            }
        } else if (trimmed.starts_with("{ 0x") && !pendingComment.empty()) {
            // The comment and its entry, as one record: they are side by side in the content.
            const char* first = pendingComment.data();
            records_.emplace_back(first, static_cast<std::size_t>(trimmed.data() + trimmed.size() - first));
            lines_.push_back(pendingLine);
            pendingComment = {};
        }
    }
    if (kind_ == Kind::Csv && header) FailAtLine(1, "no header line");
    if (!pendingComment.empty()) FailAtLine(pendingLine, "a channel's comment with no entry after it");
}

void PlanFile::Row(std::size_t i, RowScratch& scratch, PlanRow& row) const {
    const std::string_view record = records_[i];
    const std::size_t line = lines_[i];
    row.fault.reset();
    row.achieved.clear();
    for (std::string& text : row.registers) text.clear();
    if (kind_ == Kind::Csv) {
        std::vector<std::string_view>& fields = scratch.fields;
        CsvFields(record, line, fields, scratch.unquoted);
        if (fields.size() != fieldCount_)
            FailAtLine(line, std::to_string(fields.size()) + " fields where the header has " +
                                 std::to_string(fieldCount_));
        const auto at = [&](std::size_t k) { return fields[static_cast<std::size_t>(columns_[k])]; };
        row.wanted = at(0);
        if (!at(2).empty()) {
            row.fault = std::string(at(2));
            return;
        }
        row.achieved = at(1);
        for (std::size_t k = 0; k < 5; ++k) row.registers[k] = at(3 + k);
        return;
    }
    if (kind_ == Kind::Json) {
        ReadJsonRecord(record, line, row);
        return;
    }
    // "/* wanted W: no entry. FAULT */" or "/* wanted W, achieved A[ (mismatch)] */" and its entry.
    std::string_view text = record.substr(std::string_view("/* wanted ").size());
    if (const std::size_t noEntry = text.find(": no entry. ");
        noEntry != std::string_view::npos && text.find('\n') == std::string_view::npos) {
        row.wanted = std::string(text.substr(0, noEntry));
        std::string_view fault = text.substr(noEntry + 12);
        if (fault.ends_with(" */")) fault.remove_suffix(3);
        row.fault = std::string(fault);
        return;
    }
    const std::size_t comma = text.find(", achieved ");
    const std::size_t close = text.find(" */");
    const std::size_t open = text.find('{');
    if (comma == std::string_view::npos || close == std::string_view::npos || open == std::string_view::npos)
        FailAtLine(line, "not a channel's comment and entry");
    row.wanted = std::string(text.substr(0, comma));
    std::string_view achieved = text.substr(comma + 11, close - comma - 11);
    if (achieved.ends_with(" (mismatch)")) achieved.remove_suffix(11);
    row.achieved = std::string(achieved);
    std::string_view entry = text.substr(open + 1);
    entry = entry.substr(0, entry.find('}'));
    std::size_t r = 0;
    for (std::size_t at = 0; at <= entry.size() && r < 5;) {
        const std::size_t end = std::min(entry.find(',', at), entry.size());
        std::string_view value = Trimmed(entry.substr(at, end - at));
        if (value.starts_with("0x") || value.starts_with("0X")) value.remove_prefix(2);
        row.registers[r++] = std::string(value);
        at = end + 1;
    }
    if (r != 5) FailAtLine(line + 1, "an entry of fewer than five registers");
}

}  // namespace kestrova::plan
