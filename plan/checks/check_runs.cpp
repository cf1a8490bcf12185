// Decoding register sets and verifying plan files, from the command line.
#include "plan/checks/check_runs.h"

#include <stdexcept>
#include <vector>

#include "plan/channel/text_escapes.h"
#include "plan/checks/decode.h"
#include "plan/checks/verify.h"
#include "plan/checks/whole_file.h"
#include "plan/formats/format_registry.h"
#include "plan/readers/plan_file.h"
#include "plan/run/channels.h"
#include "plan/run/progress.h"
#include "settings/settings_file.h"

namespace kestrova::plan {
namespace {

std::string Counted(long long count, const char* one, const char* many) {
    return std::to_string(count) + " " + (count == 1 ? one : many);
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
    const auto take = [&](const std::string& text, const std::string& where, bool fromArgument) {
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
        std::size_t number = 0;
        for (std::string line; std::getline(*io.input, line);)
            take(line, "line " + std::to_string(++number), false);
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
    const WholeFile file(options.verified, io.input);
    std::optional<PlanFile> plan;
    try {
        plan.emplace(OpenPlan(file.Content()));
    } catch (const PlanFormatError& wrong) {
        throw PlanFormatError(name + " " + wrong.what());
    }
    // A file with no channel is no plan, whatever it begins with.
    if (plan->Count() == 0)
        throw PlanFormatError(name + " line " +
                              std::to_string(LineAt(file.Content(), 0, 1, file.Content().size())) +
                              ": no channel: not a plan");
    // A band's channels are checked too: those of --band, or of a header made
    // with --band (it records FL); any other file is checked as a list.
    bool recordsBand = false;
    for (const auto& parameter : plan->Parameters())
        recordsBand = recordsBand || parameter.first == Field::Fl;
    std::optional<Channels> band;
    if (options.band || recordsBand) {
        Options asBand = options;
        asBand.band = true;
        band.emplace(ChannelsFor(asBand, parameters));
    }
    Progress progress(io.progress, static_cast<long long>(plan->Count()), "channels");
    VerifyResult result;
    try {
        result = VerifyPlan(*plan, parameters, band ? &*band : nullptr, threads, io.write, progress);
    } catch (const PlanFormatError& wrong) {
        throw PlanFormatError(name + " " + wrong.what());
    }
    if (result.parametersDiffer) {
        error = "the parameters the plan records are not those in use; no channel was checked";
        return kSomeFaulted;
    }
    // What the file says beyond its channels: where it was cut, counts that disagree.
    std::vector<std::string> problems = plan->OtherProblems();
    if (plan->Truncation()) problems.insert(problems.begin(), *plan->Truncation());
    for (const std::string& problem : problems) io.write(name + ": " + problem + "\n");
    // A file that records no parameters was checked against those in use:
    // say which, and where they came from, when anything differs.
    if (plan->Parameters().empty() &&
        (result.differing > 0 || !problems.empty() || result.bandProblems > 0)) {
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
    if (result.differing == 0 && problems.empty() && result.bandProblems == 0) {
        io.write("all " + Counted(result.channels, "channel agrees", "channels agree") +
                 " with the calculation" +
                 (band ? ", and they are the band's channels, once each, in order\n"
                       : "; checked as a list (with --band, also that they are the band's channels)\n"));
        return kAllComputed;
    }
    error = std::to_string(result.differing) + " of " + Counted(result.channels, "channel", "channels") +
            (result.differing == 1 ? " differs" : " differ") + " from the calculation";
    if (result.bandProblems > 0)
        error += "; " + Counted(result.bandProblems, "channel of the band is", "channels of the band are") +
                 " missing, extra, twice or out of order";
    if (plan->Truncation()) error += "; " + *plan->Truncation();
    if (!plan->OtherProblems().empty())
        error += "; " + Counted(static_cast<long long>(plan->OtherProblems().size()), "other problem",
                                "other problems");
    return kSomeFaulted;
}

}  // namespace kestrova::plan
