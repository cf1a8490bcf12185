// Decoding register sets and verifying plan files, from the command line.
#include "plan/checks/check_runs.h"

#include <istream>
#include <stdexcept>
#include <vector>

#include "plan/channel/channel.h"
#include "plan/channel/text_escapes.h"
#include "plan/checks/decode.h"
#include "plan/checks/plan_stream.h"
#include "plan/checks/verify.h"
#include "plan/formats/c_header/compiled_lines.h"
#include "plan/formats/format_registry.h"
#include "plan/formats/plan_file.h"
#include "plan/run/block_pipeline.h"
#include "plan/run/channels.h"
#include "plan/run/progress.h"
#include "settings/settings_file.h"

namespace kestrova::plan {
namespace {

std::string Counted(long long count, const char* one, const char* many) {
    return std::to_string(count) + " " + (count == 1 ? one : many);
}

// The next line of input into line, without its LF or CR LF, read through
// buffer: false at the end; raises UsageError for a line longer than any
// register set's.
bool NextLine(std::istream& input, std::vector<char>& buffer, std::string& line, std::size_t number) {
    buffer.resize(kLongestRecord + 1);
    input.getline(buffer.data(), static_cast<std::streamsize>(buffer.size()));
    const auto got = static_cast<std::size_t>(input.gcount());
    if (got == 0 && input.eof()) return false;
    if (input.fail() && !input.eof())
        throw UsageError("line " + std::to_string(number) + ": longer than " +
                         std::to_string(kLongestRecord / 1024) + " KiB: no register set");
    line.assign(buffer.data(), input.eof() ? got : got - 1);  // without its line end
    if (line.ends_with('\r')) line.pop_back();                // LF or CR LF
    return true;
}

// Input lines that may hold register sets, a batch at a time, their texts
// side by side.
struct SetLines {
    std::string texts;
    std::vector<std::size_t> ends;     // of each line's text
    std::vector<std::size_t> numbers;  // each line's number in the input
    std::string_view operator[](std::size_t i) const {
        const std::size_t start = i == 0 ? 0 : ends[i - 1];
        return std::string_view(texts).substr(start, ends[i] - start);
    }
};

// The rows of a block of lines; its first set too, which opens the rows of
// all when no set came before it (JSON's array begins so).
struct SetBlock {
    std::string text;
    long long sets = 0, problems = 0;
    std::optional<DecodedSet> first;
    std::size_t firstLength = 0;
    std::optional<std::string> failure;  // a line that is no register set
};

constexpr std::size_t kBlockLines = 1024, kBatchLines = 64 * kBlockLines, kBatchBytes = std::size_t{1} << 20;

// Reads the next batch of lines; false when there are none. The entries
// as the compiler sees them; of a whole C header this program wrote, those
// of its array only.
class SetLineReader {
public:
    explicit SetLineReader(std::istream& input) : input_(input) {}
    bool Next(SetLines& lines) {
        lines.texts.clear();
        lines.ends.clear();
        lines.numbers.clear();
        while (lines.ends.size() < kBatchLines && lines.texts.size() < kBatchBytes &&
               NextLine(input_, buffer_, line_, number_ + 1)) {
            ++number_;
            if (const auto code = filter_.Next(line_, number_ == 1)) {
                lines.texts += *code;
                lines.ends.push_back(lines.texts.size());
                lines.numbers.push_back(number_);
            }
        }
        return !lines.ends.empty();
    }

private:
    std::istream& input_;
    SetLineFilter filter_;
    std::vector<char> buffer_;
    std::string line_;
    std::size_t number_ = 0;
};

}  // namespace

int RunDecode(const Options& options, const MemoryPanel& parameters, unsigned threads, const PlanIo& io,
              std::string& error) {
    const Decoder decoder(parameters);
    const FormatEntry& format =
        options.format != nullptr ? *options.format : DefaultFormat(io.outputIsTerminal);
    const std::unique_ptr<SetWriter> writer = format.makeSetWriter();
    Progress progress(io.progress, static_cast<long long>(options.frequencies.size()), "sets");
    std::string out;
    writer->Begin(out);
    long long sets = 0, problems = 0;
    // The sets on the command line, each of which must be one.
    for (const std::string& given : options.frequencies) {
        std::optional<RegisterSet> set;
        try {
            set = ReadRegisterSet(given);
        } catch (const std::invalid_argument& wrong) {
            throw UsageError("set \"" + given + "\": " + wrong.what());
        }
        if (!set) throw UsageError("set \"" + given + "\": no register set");
        const DecodedSet decoded = decoder.Decode(*set);
        writer->Row(decoded, sets++ == 0, out);
        problems += decoded.problems.empty() ? 0 : 1;
    }
    io.write(out);
    out.clear();
    // Those of the input, one a line, decoded in blocks on every thread.
    SetLines lines;
    if (options.frequencies.empty() && io.input != nullptr) {
        SetLineReader reader(*io.input);
        while (reader.Next(lines)) {
            const auto blocks = static_cast<long long>((lines.ends.size() + kBlockLines - 1) / kBlockLines);
            RunInOrder<SetBlock>(
                blocks, threads, [] { return 0; },
                [&](int, long long index, SetBlock& block) {
                    block = SetBlock{};
                    const std::size_t first = static_cast<std::size_t>(index) * kBlockLines;
                    for (std::size_t i = first; i < std::min(lines.ends.size(), first + kBlockLines); ++i) {
                        std::optional<RegisterSet> set;
                        try {
                            set = ReadRegisterSet(lines[i]);
                        } catch (const std::invalid_argument& wrong) {
                            block.failure = "line " + std::to_string(lines.numbers[i]) + ": " + wrong.what();
                            return;
                        }
                        if (!set) continue;
                        const DecodedSet decoded = decoder.Decode(*set);
                        const std::size_t before = block.text.size();
                        writer->Row(decoded, false, block.text);
                        if (block.sets++ == 0) {
                            block.first = decoded;
                            block.firstLength = block.text.size() - before;
                        }
                        block.problems += decoded.problems.empty() ? 0 : 1;
                    }
                },
                [&](const SetBlock& block) {
                    if (!block.text.empty()) {
                        progress.Finish();  // the rows go on lines of their own
                        std::string_view rows = block.text;
                        if (sets == 0) {  // the first set of all
                            std::string head;
                            writer->Row(*block.first, true, head);
                            io.write(head);
                            rows.remove_prefix(block.firstLength);
                        }
                        io.write(rows);
                    }
                    sets += block.sets;
                    problems += block.problems;
                    progress.Advance(sets);
                    if (block.failure) throw UsageError(*block.failure);
                });
        }
    }
    progress.Finish();
    writer->End(sets > 0, out);
    io.write(out);
    // A pipeline that decoded nothing (an empty file, a grep that matched no
    // line) is no success.
    if (sets == 0) {
        error = options.frequencies.empty() ? "no register set to decode in the input" : "no register set";
        return kBadUsage;
    }
    if (problems == 0) return kAllComputed;
    error = std::to_string(problems) + " of " + Counted(sets, "set", "sets") +
            (problems == 1 ? " disagrees" : " disagree") + " with the calculation";
    return kSomeFaulted;
}

int RunVerify(const Options& options, const MemoryPanel& parameters, unsigned threads, const PlanIo& io,
              std::string& error) {
    const std::string name = options.verified == "-" ? "standard input" : "\"" + options.verified + "\"";
    VerifyResult result;
    try {
        PlanStream plan(options.verified, io.input, PlanStream::kPiece, threads > 1);
        Progress progress(io.progress, plan.Size(), "bytes");
        // Any file is checked as a list, but with --band or made with it.
        const auto bandFor = [&](bool recordsBand) -> std::optional<Channels> {
            if (!options.band && !recordsBand) return std::nullopt;
            Options asBand = options;
            asBand.band = true;
            return ChannelsFor(asBand, parameters);
        };
        result = VerifyPlan(plan, parameters, bandFor, threads, io.write, progress);
    } catch (const PlanFormatError& wrong) {
        throw PlanFormatError(name + " " + wrong.what());
    }
    if (result.parametersDiffer) {
        error = "the parameters the plan records are not those in use; no channel was checked";
        return kSomeFaulted;
    }
    if (result.truncation) io.write(name + ": " + *result.truncation + "\n");
    const bool problems = result.truncation || result.otherProblems > 0 || result.bandProblems > 0;
    // A file that records no parameters was checked against those in use:
    // say which, and where they came from, when anything differs.
    if (!result.recordsParameters && (result.differing > 0 || problems)) {
        std::string used;
        for (const Field field : kParameterFields) {
            if (field == Field::Fl) continue;  // no channel reads it
            std::string from = options.ini ? *options.ini : std::string(kSettingsFileName);
            for (const auto& [given, text] : options.values)
                if (given == field) from = std::string(Info(field).option);
            used += (used.empty() ? "" : ", ") + std::string(Info(field).term) + " " +
                    Visible(Trimmed(parameters.Text(field))) + " (" + Visible(from) + ")";
        }
        io.write("the file records no parameters; it was checked against " + used + "\n");
    }
    if (result.differing == 0 && !problems) {
        io.write("all " + Counted(result.channels, "channel agrees", "channels agree") +
                 " with the calculation" +
                 (result.asBand ? ", and they are the band's channels, once each, in order\n"
                  : result.endMarked
                      ? "; checked as a list (with --band, also that they are the band's channels)\n"
                      : "; checked as a list: a CSV has no end mark, so rows missing after a "
                        "line's end are not found (--band checks that every channel of the band "
                        "is there)\n"));
        return kAllComputed;
    }
    error = std::to_string(result.differing) + " of " + Counted(result.channels, "channel", "channels") +
            (result.differing == 1 ? " differs" : " differ") + " from the calculation";
    if (result.bandProblems > 0)
        error += "; " + Counted(result.bandProblems, "channel of the band is", "channels of the band are") +
                 " missing, extra, twice or out of order";
    if (result.truncation) error += "; " + *result.truncation;
    if (result.otherProblems > 0)
        error += "; " + Counted(result.otherProblems, "other problem", "other problems");
    return kSomeFaulted;
}

}  // namespace kestrova::plan
