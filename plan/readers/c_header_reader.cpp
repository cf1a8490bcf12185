// Reading a C header plan: the parameters of its opening comment, and each
// channel's comment with its entry, or the comment that stands in for the
// entry of a channel that faulted.
#include <algorithm>

#include "plan/channel/c_header_text.h"
#include "plan/channel/channel.h"
#include "plan/channel/text_escapes.h"
#include "plan/readers/plan_file.h"

namespace kestrova::plan {
namespace {

using namespace c_header;

class CHeaderReader final : public PlanReader {
public:
    bool Recognises(std::string_view start) const override { return start.starts_with(Trimmed(kOpening)); }

    void Split(std::string_view content, PlanRecords& out) const override {
        std::size_t number = 0;
        bool opening = true;
        std::string_view pendingComment;
        std::size_t pendingLine = 0, entries = 0, arrayEnd = 0, countLine = 0, guardEnd = 0;
        std::string count;
        bool inArray = false;
        for (std::size_t at = 0; at < content.size();) {
            const std::size_t end = std::min(content.find('\n', at), content.size());
            std::string_view line = content.substr(at, end - at);
            if (line.ends_with('\r')) line.remove_suffix(1);
            at = end + 1;
            ++number;
            if (opening) {
                if (line.starts_with(kOpeningEnd)) opening = false;
                if (line.starts_with(kParameterLine)) Parameter(line.substr(kParameterLine.size()), out);
                continue;
            }
            const std::string_view trimmed = Trimmed(line);
            if (arrayEnd != 0) {
                if (trimmed.starts_with(kCountDefine))
                    count = Trimmed(trimmed.substr(kCountDefine.size())), countLine = number;
                if (trimmed == kGuardEnd) guardEnd = number;
                continue;
            }
            if (!inArray) {
                inArray = trimmed == kArrayStart;
                continue;
            }
            if (trimmed == kArrayEnd) {
                arrayEnd = number;
            } else if (trimmed.starts_with(kWanted)) {
                if (!pendingComment.empty())
                    FailAtLine(pendingLine, "a channel's comment with no entry after it");
                if (trimmed.find(kNoEntry) != std::string_view::npos) {
                    out.records.push_back(trimmed);
                    out.lines.push_back(number);
                } else {
                    pendingComment = trimmed;
                    pendingLine = number;
                }
            } else if ((trimmed.starts_with(kEntryStart) || trimmed.starts_with(kNoRegistersName)) &&
                       !pendingComment.empty()) {
                // The comment and its entry, as one record: they are side by side in the content.
                const char* first = pendingComment.data();
                out.records.emplace_back(first,
                                         static_cast<std::size_t>(trimmed.data() + trimmed.size() - first));
                out.lines.push_back(pendingLine);
                pendingComment = {};
                ++entries;
            } else if ((trimmed.starts_with("{") && trimmed != kNoChannelEntry) ||
                       trimmed.starts_with(kNoRegistersName)) {
                out.otherProblems.push_back("line " + std::to_string(number) +
                                            ": an entry with no channel's comment before it");
            }
        }
        if (!pendingComment.empty()) FailAtLine(pendingLine, "a channel's comment with no entry after it");
        const auto cut = [&](std::string_view before) {
            out.truncation =
                "the file ends at line " + std::to_string(number) + " before " + std::string(before);
        };
        if (arrayEnd == 0)
            cut("the array's closing \"};\"");
        else if (countLine == 0)
            cut("KESTROVA_CHANNEL_COUNT");
        else if (guardEnd == 0)
            cut("the closing #endif");
        if (countLine != 0 && count != std::to_string(entries))
            out.otherProblems.push_back("line " + std::to_string(countLine) + ": KESTROVA_CHANNEL_COUNT is " +
                                        count + ", but the array has " + std::to_string(entries) +
                                        " entries");
    }

    ColumnSet Holds(const PlanRecords&) const override { return kHeld; }

    void Read(const PlanRecords& in, std::size_t i, RowScratch&, PlanRow& row) const override {
        const std::size_t line = in.lines[i];
        std::string_view text = in.records[i].substr(kWanted.size());
        row.Clear();
        // A channel without registers: its fault in the comment, and the
        // entry KESTROVA_NO_REGISTERS (or, in a file made before, no entry).
        const std::string_view comment = text.substr(0, text.find('\n'));
        for (const std::string_view marker : {kNoRegisters, kNoEntry}) {
            const std::size_t at = comment.find(marker);
            if (at == std::string_view::npos) continue;
            row.Set(Column::Wanted, comment.substr(0, at));
            std::string_view fault = comment.substr(at + marker.size());
            if (fault.ends_with(kCommentEnd)) fault.remove_suffix(kCommentEnd.size());
            row.Set(Column::Fault, fault);
            if (marker == kNoRegisters && !Trimmed(text.substr(std::min(text.size(), comment.size() + 1)))
                                               .starts_with(kNoRegistersName))
                FailAtLine(line + 1,
                           "a channel without registers whose entry is not " + std::string(kNoRegistersName));
            return;
        }
        const std::size_t comma = text.find(kAchieved);
        const std::size_t close = text.find(kCommentEnd);
        // The entry is the record's last line: what stands between the comment
        // and it (a line commented out, say) is no part of it.
        const std::size_t entryLine = text.rfind('\n');
        const std::size_t open = entryLine == std::string_view::npos ? entryLine : text.find('{', entryLine);
        if (comma == std::string_view::npos || close == std::string_view::npos ||
            open == std::string_view::npos || close < comma)
            FailAtLine(line, "not a channel's comment and entry");
        row.Set(Column::Wanted, text.substr(0, comma));
        std::string_view achieved = text.substr(comma + kAchieved.size(), close - comma - kAchieved.size());
        const bool mismatch = achieved.ends_with(kMismatch);
        if (mismatch) achieved.remove_suffix(kMismatch.size());
        row.Set(Column::Achieved, achieved);
        row.Set(Column::Mismatch, mismatch ? kYes : kNo);
        const std::size_t entryNumber =
            line + static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n'));
        std::string_view entry = text.substr(open + 1);
        const std::size_t closing = entry.find('}');
        // What the compiler sees: one entry of five values, and nothing after it but its comma.
        if (closing == std::string_view::npos || Trimmed(entry.substr(closing + 1)) != ",")
            FailAtLine(entryNumber, "not one entry and its comma");
        entry = entry.substr(0, closing);
        std::size_t r = 0;
        for (std::size_t at = 0; at <= entry.size(); ++r) {
            const std::size_t end = std::min(entry.find(',', at), entry.size());
            std::string_view value = Trimmed(entry.substr(at, end - at));
            if (value.starts_with("0x") || value.starts_with("0X")) value.remove_prefix(2);
            if (r < kRegisterColumns.size()) row.Set(kRegisterColumns[r], value);
            at = end + 1;
        }
        if (r != kRegisterColumns.size())
            FailAtLine(entryNumber, "an entry of " + std::to_string(r) + " values, not the five registers");
    }

    std::string AsWritten(std::string_view fault) const override {
        std::string written;
        AppendCommentText(written, fault);
        return written;
    }

private:
    // "TERM   TEXT": a parameter the plan was made with.
    static void Parameter(std::string_view rest, PlanRecords& out) {
        for (const Field field : kParameterFields) {
            const std::string_view term = Info(field).term;
            if (rest.starts_with(term) && rest.size() > term.size() && rest[term.size()] == ' ')
                out.parameters.emplace_back(field, std::string(Trimmed(rest.substr(term.size()))));
        }
    }
};

}  // namespace

const PlanReader& CHeaderPlanReader() {
    static const CHeaderReader reader;
    return reader;
}

}  // namespace kestrova::plan
