// Verifying a plan: the records of each piece read, recomputed and compared
// in blocks on every thread, the reports written in the file's order.
#include "plan/checks/verify.h"

#include <algorithm>
#include <charconv>
#include <limits>
#include <memory>
#include <vector>

#include "core/calculation.h"
#include "core/numeric_text.h"
#include "plan/channel/channel.h"
#include "plan/channel/columns.h"
#include "plan/channel/text_escapes.h"
#include "plan/checks/band_check.h"
#include "plan/formats/format_registry.h"
#include "plan/run/block_pipeline.h"

namespace kestrova::plan {
namespace {

constexpr std::size_t kBlockRows = 512;

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
    std::unique_ptr<ChannelWriter> writer;  // of the file's format
    std::string written;                    // its row for a channel
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
    if (a == b) return true;
    double x = 0, y = 0;
    return number(a, x) && number(b, y) ? x == y : a == b;
}

// The report lines for one channel, a line for each column of the file
// that differs from the calculation's; whether any does. Every text from the
// file is shown with its control characters escaped.
bool Compare(const PlanRow& row, const ChannelResult& c, const Cells& cells, const PlanReader& reader,
             ColumnSet held, std::string& out) {
    const std::string prefix = Visible(row[Column::Wanted]) + ": ";
    if (c.fault) {
        // The fault, and nothing in any column a channel without registers lacks.
        bool differs = false;
        const std::string fault = reader.AsWritten(c.faultText);
        if (!row.Has(Column::Fault) || row[Column::Fault] != fault) {
            out += prefix +
                   (row.Has(Column::Fault) ? "the file has the fault \"" + Visible(row[Column::Fault]) + "\""
                                           : "the file has no fault") +
                   ", but the calculation stops: " + Visible(fault) + "\n";
            differs = true;
        }
        for (const ColumnInfo& column : kColumns) {
            if (column.ofFault || !row.Has(column.column)) continue;
            out += prefix + std::string(column.json) + " is " + Visible(row[column.column]) +
                   " in the file, but the calculation stops and gives none\n";
            differs = true;
        }
        return differs;
    }
    if (row.Has(Column::Fault)) {
        out += prefix + "the file has the fault \"" + Visible(row[Column::Fault]) +
               "\", but the calculation gives registers\n";
        return true;
    }
    bool differs = false;
    for (const ColumnInfo& column : kColumns) {
        if ((held & ColumnBit(column.column)) == 0) continue;
        if (column.check == Check::Input || column.check == Check::Fault || column.check == Check::None)
            continue;
        const bool inFile = row.Has(column.column), computed = cells.Has(column.column);
        if (!inFile && (!computed || column.olderPlansLack)) continue;
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

// The parameters the file records against those in use: a line for each
// that differs or is missing; whether all agree.
bool SameParameters(const PlanRecords& records, const PlanReader& reader, const MemoryPanel& parameters,
                    const std::function<void(std::string_view)>& write) {
    bool same = true;
    for (const auto& [field, recorded] : records.parameters) {
        // The text in use as the file would have recorded it (a C comment cannot hold "*/").
        const std::string inUse = reader.AsWritten(parameters.Text(field));
        if (SameParameter(recorded, inUse)) continue;
        const std::string term(Info(field).term);
        write("this plan was made with " + term + " " + Visible(recorded) + "; the parameters in use have " +
              term + " " + Visible(Trimmed(inUse)) + "\n");
        same = false;
    }
    // A file that records parameters records every one a channel reads.
    for (const Field field : kParameterFields) {
        if (records.parameters.empty()) break;
        if (field == Field::Fl) continue;  // recorded for a band only
        bool recorded = false;
        for (const auto& parameter : records.parameters) recorded = recorded || parameter.first == field;
        if (recorded) continue;
        write("this plan does not record " + std::string(Info(field).term) + "\n");
        same = false;
    }
    return same;
}

}  // namespace

VerifyResult VerifyPlan(PlanStream& plan, const MemoryPanel& parameters,
                        const std::function<std::optional<Channels>(bool recordsBand)>& bandFor,
                        unsigned threads, const std::function<void(std::string_view)>& write,
                        Progress& progress) {
    VerifyResult result;
    const auto problems = [&] {
        for (const std::string& problem : plan.Records().otherProblems) {
            progress.Finish();
            write(problem + "\n");
        }
        result.otherProblems += static_cast<long long>(plan.Records().otherProblems.size());
    };
    const PlanReader& reader = plan.Reader();
    const FormatEntry& format = FormatOf(reader);
    const ColumnSet written = format.makeWriter()->Columns();
    ColumnSet held = 0;
    std::optional<Channels> band;
    std::optional<BandCheck> bandCheck;
    bool begun = false;
    for (bool more = plan.Next(); more; more = plan.Next()) {
        const PlanRecords& records = plan.Records();
        // The parameters a file records come before its first channel.
        if (!begun && !records.records.empty()) {
            begun = true;
            result.recordsParameters = !records.parameters.empty();
            if (!SameParameters(records, reader, parameters, write)) {
                result.parametersDiffer = true;
                return result;
            }
            // A band's channels are checked too: those of --band, or of a
            // header made with --band (it records FL).
            bool recordsBand = false;
            for (const auto& parameter : records.parameters)
                recordsBand = recordsBand || parameter.first == Field::Fl;
            band = bandFor(recordsBand);
            if (band) bandCheck.emplace(*band, write);
            result.asBand = band.has_value();
            result.endMarked = reader.MarksItsEnd();
            held = reader.Holds(records);
        }
        const std::size_t count = records.records.size();
        const auto blocks = static_cast<long long>((count + kBlockRows - 1) / kBlockRows);
        long long block = 0;
        RunInOrder<Block>(
            blocks, threads, [&] { return Worker{parameters, {}, {}, {}, {}, {}, format.makeWriter(), {}}; },
            [&](Worker& worker, long long index, Block& out) {
                out.text.clear();
                out.differing = 0;
                out.wanted.clear();
                const std::size_t first = static_cast<std::size_t>(index) * kBlockRows;
                const std::size_t last = std::min(count, first + kBlockRows);
                for (std::size_t i = first; i < last; ++i) {
                    // A record as the planner writes it agrees, byte for byte, with
                    // the planner's own text for its channel; any other is read and
                    // compared column by column.
                    // A wanted frequency is wholly a number, as the planner takes
                    // one, or reported: its prefix is not read for it.
                    if (const auto quick = reader.QuickWanted(records, i); quick && IsWholeNumber(*quick)) {
                        ComputeChannel(worker.panel, worker.memo, *quick, worker.channel);
                        worker.cells.Fill(worker.channel, written);
                        worker.written.clear();
                        worker.writer->Row(worker.channel, worker.cells, i == 0, worker.written);
                        if (reader.RecordOf(worker.written) == records.records[i]) {
                            if (bandCheck) out.wanted.push_back(WantedNumber(worker.channel));
                            continue;
                        }
                    }
                    reader.Read(records, i, worker.scratch, worker.row);
                    if (!IsWholeNumber(worker.row[Column::Wanted])) {
                        out.text += "line " + std::to_string(records.lines[i]) + ": the wanted frequency \"" +
                                    Visible(worker.row[Column::Wanted]) + "\" is not a number\n";
                        ++out.differing;
                        if (bandCheck) out.wanted.push_back(std::numeric_limits<double>::quiet_NaN());
                        continue;
                    }
                    ComputeChannel(worker.panel, worker.memo, worker.row[Column::Wanted], worker.channel);
                    worker.cells.Fill(worker.channel, kChecked);
                    out.differing +=
                        Compare(worker.row, worker.channel, worker.cells, reader, held, out.text) ? 1 : 0;
                    if (bandCheck) out.wanted.push_back(WantedNumber(worker.channel));
                }
            },
            [&](const Block& out) {
                if (!out.text.empty()) {
                    progress.Finish();  // the report goes on a line of its own
                    write(out.text);
                }
                result.differing += out.differing;
                const std::size_t first = static_cast<std::size_t>(block++) * kBlockRows;
                for (std::size_t i = 0; i < out.wanted.size(); ++i)
                    bandCheck->Next(out.wanted[i], records.lines[first + i]);
            });
        result.channels += static_cast<long long>(count);
        problems();
        progress.Advance(plan.Done());
    }
    progress.Finish();
    if (result.channels == 0) FailAtLine(plan.Line(), "no channel: not a plan");
    result.truncation = plan.Records().truncation;
    if (bandCheck) result.bandProblems = bandCheck->Finish();
    return result;
}

}  // namespace kestrova::plan
