// Verifying a plan: its records read, recomputed and compared in blocks on
// every thread, the reports written in the file's order.
#include "plan/verify.h"

#include <algorithm>

#include "core/calculation.h"
#include "core/numeric_text.h"
#include "plan/block_pipeline.h"
#include "plan/channel.h"
#include "plan/format_parts.h"

namespace kestrova::plan {
namespace {

constexpr std::size_t kBlockRows = 2048;

struct Block {
    std::string text;
    long long differing = 0;
};

struct Worker {
    MemoryPanel panel;
    CalculationMemo memo;
    ChannelResult channel;
    RowScratch scratch;
    PlanRow row;
};

bool SameRegister(std::string_view a, std::string_view b) {
    const auto upper = [](char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; };
    return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                      [&upper](char x, char y) { return upper(x) == upper(y); });
}

// The calculation's words for a fault as this kind of file writes them.
std::string AsWritten(const std::string& fault, PlanFile::Kind kind) {
    if (kind != PlanFile::Kind::CHeader) return fault;
    std::string written;
    AppendCommentText(written, fault);
    return written;
}

// The report lines for one channel; whether it differs.
bool Compare(const PlanRow& row, const ChannelResult& c, PlanFile::Kind kind, std::string& out) {
    const std::string prefix = row.wanted + ": ";
    if (c.fault) {
        const std::string fault = AsWritten(c.faultText, kind);
        if (row.fault == fault) return false;
        out += prefix +
               (row.fault ? "the file has the fault \"" + *row.fault + "\"" : "the file has no fault") +
               ", but the calculation stops: " + fault + "\n";
        return true;
    }
    if (row.fault) {
        out +=
            prefix + "the file has the fault \"" + *row.fault + "\", but the calculation gives registers\n";
        return true;
    }
    bool differs = false;
    const std::string_view achieved = Trimmed(c.achievedText);
    if (row.achieved != achieved) {
        out += prefix + "achieved is " + row.achieved + " in the file, but the calculation gives " +
               std::string(achieved) + "\n";
        differs = true;
    }
    static constexpr const char* kNames[] = {"Rt", "St", "Pt", "Ct", "Gt"};
    const std::string_view computed[] = {c.rt, c.st, c.pt, c.ct, c.gt};
    for (std::size_t i = 0; i < 5; ++i) {
        if (SameRegister(row.registers[i], computed[i])) continue;
        out += prefix + kNames[i] + " is " + row.registers[i] + " in the file, but the calculation gives " +
               std::string(computed[i]) + "\n";
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

VerifyResult VerifyPlan(const PlanFile& plan, const MemoryPanel& parameters, unsigned threads,
                        const std::function<void(std::string_view)>& write, Progress& progress) {
    VerifyResult result;
    result.channels = static_cast<long long>(plan.Count());
    for (const auto& [field, recorded] : plan.Parameters()) {
        const std::string inUse = parameters.Text(field);
        if (SameParameter(recorded, inUse)) continue;
        const std::string term(Info(field).term);
        write("this plan was made with " + term + " " + recorded + "; the parameters in use have " + term +
              " " + std::string(Trimmed(inUse)) + "\n");
        result.parametersDiffer = true;
    }
    if (result.parametersDiffer) return result;

    const auto blocks = static_cast<long long>((plan.Count() + kBlockRows - 1) / kBlockRows);
    long long done = 0;
    RunInOrder<Block>(
        blocks, threads,
        [&parameters] {
            return Worker{parameters, {}, {}, {}, {}};
        },
        [&](Worker& worker, long long index, Block& block) {
            block.text.clear();
            block.differing = 0;
            const std::size_t first = static_cast<std::size_t>(index) * kBlockRows;
            const std::size_t last = std::min(plan.Count(), first + kBlockRows);
            for (std::size_t i = first; i < last; ++i) {
                plan.Row(i, worker.scratch, worker.row);
                ComputeChannel(worker.panel, worker.memo, worker.row.wanted, worker.channel);
                block.differing += Compare(worker.row, worker.channel, plan.FileKind(), block.text) ? 1 : 0;
            }
        },
        [&](const Block& block) {
            write(block.text);
            result.differing += block.differing;
            done += static_cast<long long>(kBlockRows);
            progress.Advance(std::min(done, result.channels));
        });
    progress.Finish();
    return result;
}

}  // namespace kestrova::plan
