// Verifying a plan: its records read, recomputed and compared in blocks on
// every thread, the reports written in the file's order.
#include "plan/checks/verify.h"

#include <algorithm>
#include <charconv>
#include <limits>
#include <vector>

#include "core/calculation.h"
#include "core/numeric_text.h"
#include "plan/channel/channel.h"
#include "plan/channel/columns.h"
#include "plan/channel/text_escapes.h"
#include "plan/checks/band_check.h"
#include "plan/run/block_pipeline.h"

namespace kestrova::plan {
namespace {

constexpr std::size_t kBlockRows = 2048;

struct Block {
    std::string text;
    long long differing = 0;
    std::vector<double> wanted;  // each channel's, for a band's check
};

struct Worker {
    MemoryPanel panel;
    CalculationMemo memo;
    ChannelResult channel;
    Cells cells;
    RowScratch scratch;
    PlanRow row;
};

// The columns verify compares.
constexpr ColumnSet kChecked =
    ColumnsWhere([](const ColumnInfo& column) { return column.check != Check::None; });

// A channel's wanted frequency as a number; NaN for a text that is none.
double WantedNumber(const ChannelResult& channel) {
    if (!channel.fault) return channel.wanted;
    try {
        return NumberFromText(channel.wantedText);
    } catch (const CalcFault&) {
        return std::numeric_limits<double>::quiet_NaN();
    }
}

bool SameRegister(std::string_view a, std::string_view b) {
    const auto upper = [](char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; };
    return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                      [&upper](char x, char y) { return upper(x) == upper(y); });
}

// The same number, however written; a text that is no number only as itself.
bool SameNumber(std::string_view a, std::string_view b) {
    const auto number = [](std::string_view text, double& value) {
        text = Trimmed(text);
        if (text.starts_with('+')) text.remove_prefix(1);
        const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
        return error == std::errc() && end == text.data() + text.size();
    };
    double x = 0, y = 0;
    return number(a, x) && number(b, y) ? x == y : a == b;
}

// The report lines for one channel, a line for each column of the file
// that differs from the calculation's; whether any does. Every text from the
// file is shown with its control characters escaped.
bool Compare(const PlanRow& row, const ChannelResult& c, const Cells& cells, const PlanFile& plan,
             std::string& out) {
    const std::string prefix = Visible(row[Column::Wanted]) + ": ";
    if (c.fault) {
        const std::string fault = plan.Reader().AsWritten(c.faultText);
        if (row.Has(Column::Fault) && row[Column::Fault] == fault) return false;
        out += prefix +
               (row.Has(Column::Fault) ? "the file has the fault \"" + Visible(row[Column::Fault]) + "\""
                                       : "the file has no fault") +
               ", but the calculation stops: " + Visible(fault) + "\n";
        return true;
    }
    if (row.Has(Column::Fault)) {
        out += prefix + "the file has the fault \"" + Visible(row[Column::Fault]) +
               "\", but the calculation gives registers\n";
        return true;
    }
    bool differs = false;
    const ColumnSet held = plan.Holds();
    for (const ColumnInfo& column : kColumns) {
        if ((held & ColumnBit(column.column)) == 0) continue;
        if (column.check == Check::Input || column.check == Check::Fault || column.check == Check::None)
            continue;
        const bool inFile = row.Has(column.column), computed = cells.Has(column.column);
        if (!inFile && !computed) continue;
        const std::string_view file = inFile ? std::string_view(row[column.column]) : "";
        const std::string_view calculated = cells[column.column];
        if (inFile && computed) {
            const bool same = column.check == Check::Register ? SameRegister(file, calculated)
                              : column.check == Check::Number ? SameNumber(file, calculated)
                                                              : file == calculated;
            if (same) continue;
        }
        out += prefix + std::string(column.json) +
               (inFile ? " is " + Visible(file) + " in the file" : " is missing in the file") +
               (computed ? ", but the calculation gives " + std::string(calculated)
                         : ", but the calculation gives none") +
               "\n";
        differs = true;
    }
    return differs;
}

// A recorded parameter against the one in use: the same number (or, for a
// text that is no number, the same text).
bool SameParameter(const std::string& recorded, const std::string& inUse) {
    if (IsWholeNumber(recorded) && IsWholeNumber(inUse)) {
        try {
            return NumberFromText(recorded) == NumberFromText(inUse);
        } catch (const CalcFault&) {
        }
    }
    return Trimmed(recorded) == Trimmed(inUse);
}

}  // namespace

VerifyResult VerifyPlan(const PlanFile& plan, const MemoryPanel& parameters, const Channels* band,
                        unsigned threads, const std::function<void(std::string_view)>& write,
                        Progress& progress) {
    VerifyResult result;
    result.channels = static_cast<long long>(plan.Count());
    for (const auto& [field, recorded] : plan.Parameters()) {
        // The text in use as the file would have recorded it (a C comment cannot hold "*/").
        const std::string inUse = plan.Reader().AsWritten(parameters.Text(field));
        if (SameParameter(recorded, inUse)) continue;
        const std::string term(Info(field).term);
        write("this plan was made with " + term + " " + Visible(recorded) + "; the parameters in use have " +
              term + " " + Visible(Trimmed(inUse)) + "\n");
        result.parametersDiffer = true;
    }
    // A file that records parameters records every one a channel reads.
    for (const Field field : kParameterFields) {
        if (plan.Parameters().empty()) break;
        if (field == Field::Fl) continue;  // recorded for a band only
        bool recorded = false;
        for (const auto& parameter : plan.Parameters()) recorded = recorded || parameter.first == field;
        if (recorded) continue;
        write("this plan does not record " + std::string(Info(field).term) + "\n");
        result.parametersDiffer = true;
    }
    if (result.parametersDiffer) return result;

    const auto blocks = static_cast<long long>((plan.Count() + kBlockRows - 1) / kBlockRows);
    long long done = 0;
    std::vector<double> wanted;
    RunInOrder<Block>(
        blocks, threads, [&parameters] { return Worker{parameters, {}, {}, {}, {}, {}}; },
        [&](Worker& worker, long long index, Block& block) {
            block.text.clear();
            block.differing = 0;
            block.wanted.clear();
            const std::size_t first = static_cast<std::size_t>(index) * kBlockRows;
            const std::size_t last = std::min(plan.Count(), first + kBlockRows);
            for (std::size_t i = first; i < last; ++i) {
                plan.Row(i, worker.scratch, worker.row);
                ComputeChannel(worker.panel, worker.memo, worker.row[Column::Wanted], worker.channel);
                worker.cells.Fill(worker.channel, kChecked);
                block.differing +=
                    Compare(worker.row, worker.channel, worker.cells, plan, block.text) ? 1 : 0;
                if (band != nullptr) block.wanted.push_back(WantedNumber(worker.channel));
            }
        },
        [&](const Block& block) {
            if (!block.text.empty()) {
                progress.Finish();  // the report goes on a line of its own
                write(block.text);
            }
            result.differing += block.differing;
            wanted.insert(wanted.end(), block.wanted.begin(), block.wanted.end());
            done += static_cast<long long>(kBlockRows);
            progress.Advance(std::min(done, result.channels));
        });
    progress.Finish();
    if (band != nullptr) {
        std::vector<std::size_t> lines(plan.Count());
        for (std::size_t i = 0; i < lines.size(); ++i) lines[i] = plan.Line(i);
        result.bandProblems = CheckBand(*band, wanted, lines, write);
    }
    return result;
}

}  // namespace kestrova::plan
