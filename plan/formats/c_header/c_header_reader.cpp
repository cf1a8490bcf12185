// Reading a C header plan: the parameters of its opening comment, and each
// channel's comment with its entry, or the comment that stands in for the
// entry of a channel that faulted.
#include <algorithm>

#include "plan/channel/channel.h"
#include "plan/channel/text_escapes.h"
#include "plan/formats/c_header/c_header_text.h"
#include "plan/formats/c_header/compiled_lines.h"
#include "plan/formats/plan_file.h"

namespace kestrova::plan {
namespace {

using namespace c_header;

// Line after line: the opening comment's parameters, then the array, in
// which each channel's comment and its entry are one record, then the count
// and the include guard's end. The array holds nothing else that the
// compiler sees: any other line in it is reported.
class CHeaderSplitter final : public RecordSplitter {
public:
    explicit CHeaderSplitter(std::size_t firstLine) : line_(firstLine) {}

    std::size_t Split(std::string_view text, bool atEnd, PlanRecords& out) override {
        std::size_t at = 0;
        std::string_view line;
        // The next line from at, and where the one after it begins; false
        // when text ends before the line does.
        const auto lineFrom = [&](std::size_t from, std::string_view& found, std::size_t& next) {
            if (from >= text.size()) return false;
            std::size_t end = text.find('\n', from);
            if (end == std::string_view::npos && !atEnd) return false;
            end = std::min(end, text.size());
            found = text.substr(from, end - from);
            if (found.ends_with('\r')) found.remove_suffix(1);
            next = end + 1;
            return true;
        };
        for (std::size_t next = 0; lineFrom(at, line, next); at = std::min(next, text.size())) {
            const std::size_t number = line_;
            const std::string_view trimmed = Trimmed(line);
            if (!inArray_ || arrayEnd_ != 0) {
                ++line_;
                Line(line, trimmed, number, out);
                continue;
            }
            // In the array, each line as the compiler sees it.
            const CompiledLines before = compiled_;
            const std::string_view code = Trimmed(compiled_.Next(line));
            if (!ChannelComment(trimmed, code)) {
                ++line_;
                ArrayLine(trimmed, code, number, out);
                continue;
            }
            // The channel's comment, and on a later line the entry the compiler sees.
            std::size_t entryNumber = number, after = next;
            std::string_view entry;
            std::vector<std::string> between;
            bool cut = false;
            for (;;) {
                if (!lineFrom(std::min(after, text.size()), entry, after)) {
                    if (!atEnd) {
                        compiled_ = before;
                        return at;  // the entry comes with the next piece
                    }
                    cut = true;  // the file ends after the comment: cut short
                    break;
                }
                ++entryNumber;
                const std::string_view entryCode = Trimmed(compiled_.Next(entry));
                entry = Trimmed(entry);
                if (IsEntry(entryCode)) break;
                if (ChannelComment(entry, entryCode) || entryCode == kArrayEnd)
                    FailAtLine(number, "a channel's comment with no entry after it");
                if (!entry.empty()) between.push_back(NoEntry(entryNumber, entry, entryCode));
            }
            out.otherProblems.insert(out.otherProblems.end(), between.begin(), between.end());
            if (cut) {
                out.otherProblems.push_back("line " + std::to_string(number) +
                                            ": a channel's comment with no entry after it");
                line_ = entryNumber + 1;
                at = text.size();
                break;
            }
            // The comment and its entry, as one record: they are side by side in the text.
            out.records.emplace_back(trimmed.data(),
                                     static_cast<std::size_t>(entry.data() + entry.size() - trimmed.data()));
            out.lines.push_back(number);
            ++entries_;
            line_ = entryNumber + 1;
            next = after;
        }
        if (!atEnd) return at;
        const std::size_t last = line_ - 1;
        const auto cut = [&](std::string_view before) {
            out.truncation =
                "the file ends at line " + std::to_string(last) + " before " + std::string(before);
        };
        if (arrayEnd_ == 0)
            cut("the array's closing \"};\"");
        else if (countLine_ == 0)
            cut("KESTROVA_CHANNEL_COUNT");
        else if (guardEnd_ == 0)
            cut("the closing #endif");
        if (countLine_ != 0 && count_ != std::to_string(entries_))
            out.otherProblems.push_back("line " + std::to_string(countLine_) +
                                        ": KESTROVA_CHANNEL_COUNT is " + Visible(count_) +
                                        ", but the array has " + std::to_string(entries_) + " entries");
        return text.size();
    }

    std::size_t Line() const override { return line_; }

private:
    // Any line but a channel's comment with its entry.
    void Line(std::string_view line, std::string_view trimmed, std::size_t number, PlanRecords& out) {
        if (opening_) {
            if (line.starts_with(kOpeningEnd)) opening_ = false;
            if (line.starts_with(kParameterLine)) Parameter(line.substr(kParameterLine.size()), out);
        } else if (arrayEnd_ != 0) {
            if (trimmed.starts_with(kCountDefine))
                count_ = Trimmed(trimmed.substr(kCountDefine.size())), countLine_ = number;
            if (trimmed == kGuardEnd) guardEnd_ = number;
        } else if (!inArray_) {
            inArray_ = trimmed == kArrayStart;
        }
    }

    // A line of the array other than a channel's comment and its entry.
    void ArrayLine(std::string_view trimmed, std::string_view code, std::size_t number, PlanRecords& out) {
        if (code == kArrayEnd) {
            arrayEnd_ = number;
        } else if (!trimmed.empty() && !(trimmed == kNoChannelEntry && !compiled_.Skipped())) {
            out.otherProblems.push_back(NoEntry(number, trimmed, code));
        }
    }

    // A channel's comment that the compiler passes over as a comment, not
    // one in a region it skips.
    bool ChannelComment(std::string_view trimmed, std::string_view code) const {
        return trimmed.starts_with(kWanted) && code.empty() && !compiled_.Skipped();
    }

    static bool IsEntry(std::string_view code) {
        return code.starts_with(kEntryStart) || code.starts_with(kNoRegistersName);
    }

    // What the compiler sees in the array that is no entry of a channel.
    static std::string NoEntry(std::size_t number, std::string_view trimmed, std::string_view code) {
        std::string said = "line " + std::to_string(number) + ": ";
        if (code.starts_with("{") || code.starts_with(kNoRegistersName))
            return said += "an entry with no channel's comment before it";
        if (code.empty() && (trimmed.find(kEntryStart) != std::string_view::npos ||
                             trimmed.find(kNoRegistersName) != std::string_view::npos))
            return said += "an entry that the compiler does not see (in a comment or a skipped #if)";
        (said += '"') += Visible(trimmed.substr(0, 60));
        if (trimmed.size() > 60) said += "...";
        return said += "\" in the array, which is no channel's comment or entry";
    }

    // "TERM   TEXT": a parameter the plan was made with (the last, if twice).
    static void Parameter(std::string_view rest, PlanRecords& out) {
        for (const Field field : kParameterFields) {
            const std::string_view term = Info(field).term;
            if (!rest.starts_with(term) || rest.size() <= term.size() || rest[term.size()] != ' ') continue;
            std::erase_if(out.parameters, [field](const auto& recorded) { return recorded.first == field; });
            out.parameters.emplace_back(field, std::string(Trimmed(rest.substr(term.size()))));
        }
    }

    std::size_t line_;
    CompiledLines compiled_;  // of the array
    bool opening_ = true, inArray_ = false;
    std::size_t entries_ = 0, arrayEnd_ = 0, countLine_ = 0, guardEnd_ = 0;
    std::string count_;
};

class CHeaderReader final : public PlanReader {
public:
    bool Recognises(std::string_view start) const override { return start.starts_with(Trimmed(kOpening)); }

    std::unique_ptr<RecordSplitter> Splitter(std::size_t firstLine) const override {
        return std::make_unique<CHeaderSplitter>(firstLine);
    }

    ColumnSet Holds(const PlanRecords&) const override { return kHeld; }

    std::optional<std::string_view> QuickWanted(const PlanRecords& in, std::size_t i) const override {
        // As Read finds it: before the mark of a channel without registers, or the achieved frequency.
        const std::string_view text = in.records[i].substr(kWanted.size());
        const std::string_view comment = text.substr(0, text.find('\n'));
        for (const std::string_view marker : {kNoRegisters, kAchieved})
            if (const std::size_t at = comment.find(marker); at != std::string_view::npos)
                return comment.substr(0, at);
        return std::nullopt;
    }

    std::string_view RecordOf(std::string_view row) const override {
        if (row.ends_with('\n')) row.remove_suffix(1);
        return Trimmed(row);
    }

    void Read(const PlanRecords& in, std::size_t i, RowScratch&, PlanRow& row) const override {
        const std::size_t line = in.lines[i];
        std::string_view text = in.records[i].substr(kWanted.size());
        row.Clear();
        // A channel without registers: its fault in the comment, and the
        // entry KESTROVA_NO_REGISTERS.
        const std::string_view comment = text.substr(0, text.find('\n'));
        if (const std::size_t at = comment.find(kNoRegisters); at != std::string_view::npos) {
            row.Set(Column::Wanted, comment.substr(0, at));
            std::string_view fault = comment.substr(at + kNoRegisters.size());
            if (fault.ends_with(kCommentEnd)) fault.remove_suffix(kCommentEnd.size());
            row.Set(Column::Fault, fault);
            if (!Trimmed(text.substr(std::min(text.size(), comment.size() + 1)))
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
};

}  // namespace

const PlanReader& CHeaderPlanReader() {
    static const CHeaderReader reader;
    return reader;
}

}  // namespace kestrova::plan
