// Decoding register sets and verifying plan files, from the command line.
#include "plan/checks/check_runs.h"

#include <istream>
#include <stdexcept>
#include <vector>

#include "plan/channel/c_header_text.h"
#include "plan/channel/channel.h"
#include "plan/channel/text_escapes.h"
#include "plan/checks/decode.h"
#include "plan/checks/plan_stream.h"
#include "plan/checks/verify.h"
#include "plan/formats/format_registry.h"
#include "plan/readers/compiled_lines.h"
#include "plan/readers/plan_file.h"
#include "plan/run/channels.h"
#include "plan/run/progress.h"
#include "settings/settings_file.h"

namespace kestrova::plan {
namespace {

std::string Counted(long long count, const char* one, const char* many) {
    return std::to_string(count) + " " + (count == 1 ? one : many);
}

// The next line of input into line, read through buffer: false at the
// end; raises UsageError for a line longer than any register set's.
bool NextLine(std::istream& input, std::vector<char>& buffer, std::string& line, std::size_t number) {
    buffer.resize(kLongestRecord + 1);
    input.getline(buffer.data(), static_cast<std::streamsize>(buffer.size()));
    const auto got = static_cast<std::size_t>(input.gcount());
    if (got == 0 && input.eof()) return false;
    if (input.fail() && !input.eof())
        throw UsageError("line " + std::to_string(number) + ": longer than " +
                         std::to_string(kLongestRecord / 1024) + " KiB: no register set");
    line.assign(buffer.data(), input.eof() ? got : got - 1);  // without its line end
    return true;
}

}  // namespace

int RunDecode(const Options& options, const MemoryPanel& parameters, const PlanIo& io, std::string& error) {
    const Decoder decoder(parameters);
    const FormatEntry& format =
        options.format != nullptr ? *options.format : DefaultFormat(io.outputIsTerminal);
    const std::unique_ptr<SetWriter> writer = format.makeSetWriter();
    Progress progress(io.progress, static_cast<long long>(options.frequencies.size()), "sets");
    std::string out;
    writer->Begin(out);
    long long sets = 0, problems = 0;
    const auto take = [&](std::string_view text, const std::string& where, bool fromArgument) {
        std::optional<RegisterSet> set;
        try {
            set = ReadRegisterSet(text);
        } catch (const std::invalid_argument& wrong) {
            throw UsageError(where + ": " + wrong.what());
        }
        if (!set) {
            if (fromArgument) throw UsageError(where + ": no register set");
            return;
        }
        const DecodedSet decoded = decoder.Decode(*set);
        writer->Row(decoded, sets == 0, out);
        ++sets;
        problems += decoded.problems.empty() ? 0 : 1;
        if (out.size() > (1 << 16)) {
            progress.Finish();  // the report goes on a line of its own
            io.write(out);
            out.clear();
        }
        progress.Advance(sets);
    };
    for (std::size_t i = 0; i < options.frequencies.size(); ++i)
        take(options.frequencies[i], "set \"" + options.frequencies[i] + "\"", true);
    if (options.frequencies.empty() && io.input != nullptr) {
        // The entries as the compiler sees them; of a whole C header that
        // this program wrote, those of its array only.
        CompiledLines compiled;
        std::vector<char> buffer;
        std::string line;
        enum class Part { Sets, Opening, Array, End } part = Part::Sets;
        for (std::size_t number = 1; NextLine(*io.input, buffer, line, number); ++number) {
            if (number == 1 && Trimmed(line).starts_with(Trimmed(c_header::kOpening))) part = Part::Opening;
            const std::string_view code = compiled.Next(line);
            if (part == Part::Opening && Trimmed(code) == c_header::kArrayStart)
                part = Part::Array;
            else if (part == Part::Array && Trimmed(code) == c_header::kArrayEnd)
                part = Part::End;
            else if (part == Part::Sets || part == Part::Array)
                take(code, "line " + std::to_string(number), false);
        }
    }
    progress.Finish();
    writer->End(sets > 0, out);
    io.write(out);
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
        io.write(
            "all " + Counted(result.channels, "channel agrees", "channels agree") + " with the calculation" +
            (result.asBand ? ", and they are the band's channels, once each, in order\n"
                           : "; checked as a list (with --band, also that they are the band's channels)\n"));
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
