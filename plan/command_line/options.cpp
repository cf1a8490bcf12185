// The option table and the parser made from it.
#include "plan/command_line/options.h"

#include <charconv>
#include <cstdint>

#include "core/numeric_text.h"
#include "plan/command_line/option_table.h"

namespace kestrova::plan {
namespace detail {

// "text (a table), csv, ...; the default is text on a terminal and csv otherwise".
std::string FormatChoices() {
    const std::string choices = ListFormats(nullptr, [](const FormatEntry& format) {
        return std::string(format.name) + (format.note.empty() ? "" : " (" + std::string(format.note) + ")");
    });
    return choices + "; the default is " + std::string(DefaultFormat(true).name) + " on a terminal and " +
           std::string(DefaultFormat(false).name) + " otherwise";
}

// In the order --help shows them. The parameters' options come from the
// field table, after --ini.
std::vector<Option> OptionTable() {
    std::vector<Option> options = {
        {Id::Ini, "--ini", "", Takes::File, "FILE", "read the parameters from FILE instead of Kestrova.INI"},
    };
    static constexpr std::string_view kValueHelp[] = {"low frequency (the first channel of --band)",
                                                      "high frequency",
                                                      "channel step",
                                                      "offset frequency",
                                                      "reference frequency",
                                                      "oscillator frequency for the DAC code",
                                                      "DAC codes per unit of frequency"};
    static_assert(std::size(kValueHelp) == kParameterFields.size());
    for (std::size_t i = 0; i < kParameterFields.size(); ++i)
        options.push_back({Id::Value, Info(kParameterFields[i]).option, "", Takes::Number, "X",
                           std::string(kValueHelp[i]), kParameterFields[i]});
    const std::vector<Option> rest = {
        {Id::Band, "--band", "", Takes::Nothing, "", "every channel FL, FL + Step, ... up to FH inclusive"},
        {Id::Decode, "--decode", "", Takes::Nothing, "",
         "turn each register SET (R S P, or R S P C G, in hexadecimal) back into its frequency and check it "
         "against the parameters; with no SET, one set a line from standard input"},
        {Id::Verify, "--verify", "", Takes::File, "FILE",
         "check a plan this program wrote (" + FormatTitles(Readable) +
             "; - for standard input) against the calculation, channel by channel"},
        {Id::Format, "--format", "", Takes::Choice, "FORMAT", FormatChoices()},
        {Id::Output, "--output", "-o", Takes::File, "FILE",
         "write to FILE, replaced in one step when complete; a FIFO, a device or a terminal is written "
         "straight into"},
        {Id::MaxChannels, "--max-channels", "", Takes::Count, "N",
         "refuse a band of more than N channels (100000000)"},
        {Id::Threads, "--threads", "", Takes::Count, "N",
         "compute on N threads (default: one per core, at most 8); the output is the same"},
        {Id::Help, "--help", "-h", Takes::Nothing, "", "show this help"},
        {Id::Version, "--version", "", Takes::Nothing, "", "show the version"},
    };
    options.insert(options.end(), rest.begin(), rest.end());
    return options;
}

}  // namespace detail

namespace {

using detail::Id;
using detail::Option;
using detail::Takes;

// A negative number is a frequency, not an option.
bool LooksLikeNumber(std::string_view arg) {
    return arg.size() > 1 && arg[0] == '-' && ((arg[1] >= '0' && arg[1] <= '9') || arg[1] == '.');
}

long long Count(std::string_view option, const std::string& text, long long most) {
    long long count = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), count);
    if (error != std::errc() || end != text.data() + text.size() || count < 1 || count > most)
        throw UsageError(
            std::string(option) + " \"" + text + "\": not a count" +
            (most < 1'000'000 ? " from 1 to " + std::to_string(most) : std::string(" of 1 or more")));
    return count;
}

void Apply(const Option& option, std::string_view spelling, const std::string& value, Options& options) {
    switch (option.id) {
        case Id::Ini:
            options.ini = value;
            break;
        case Id::Value:
            if (!IsWholeNumber(value))
                throw UsageError(std::string(spelling) + " \"" + value + "\": not a number");
            options.values.emplace_back(option.field, value);
            break;
        case Id::Band:
            options.band = true;
            break;
        case Id::Decode:
            if (options.mode == Mode::Verify) throw UsageError("give either --decode or --verify, not both");
            options.mode = Mode::Decode;
            break;
        case Id::Verify:
            if (options.mode != Mode::Plan) throw UsageError("give either --decode or --verify, not both");
            options.mode = Mode::Verify;
            options.verified = value;
            break;
        case Id::Format:
            options.format = FormatNamed(value);
            if (options.format == nullptr)
                throw UsageError("unknown format '" + value + "' (" + FormatNames() + ")");
            break;
        case Id::Output:
            options.output = value;
            break;
        case Id::MaxChannels:
            options.maxChannels = Count(spelling, value, INT64_MAX);
            break;
        case Id::Threads:
            options.threads = static_cast<unsigned>(Count(spelling, value, 64));
            break;
        case Id::Help:
            options.help = true;
            break;
        case Id::Version:
            options.version = true;
            break;
    }
}

}  // namespace

Options ParseOptions(const std::vector<std::string>& args) {
    const std::vector<Option> table = detail::OptionTable();
    Options options;
    bool optionsEnded = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        std::string_view arg = args[i];
        if (optionsEnded || arg.empty() || arg[0] != '-' || arg == "-" || LooksLikeNumber(arg)) {
            options.frequencies.emplace_back(arg);
            continue;
        }
        if (arg == "--") {
            optionsEnded = true;
            continue;
        }
        std::optional<std::string> inlineValue;
        if (const std::size_t eq = arg.find('='); arg.starts_with("--") && eq != std::string_view::npos) {
            inlineValue = std::string(arg.substr(eq + 1));
            arg = arg.substr(0, eq);
        }
        const Option* found = nullptr;
        for (const Option& option : table)
            if (arg == option.name || (!option.alias.empty() && arg == option.alias)) found = &option;
        if (found == nullptr) throw UsageError("unknown option '" + std::string(arg) + "'");
        std::string value;
        if (found->takes == Takes::Nothing) {
            if (inlineValue) throw UsageError("option '" + std::string(arg) + "' takes no value");
        } else if (inlineValue) {
            value = *inlineValue;
        } else {
            if (i + 1 >= args.size()) throw UsageError("option '" + std::string(arg) + "' needs a value");
            value = args[++i];
        }
        Apply(*found, arg, value, options);
    }
    if (options.help || options.version) return options;
    if (options.mode == Mode::Decode) {
        if (options.band) throw UsageError("give either --decode or --band, not both");
        if (options.output) throw UsageError("--decode writes to standard output only");
        if (options.format != nullptr && !Decodable(*options.format))
            throw UsageError("--decode writes " + FormatNames(Decodable));
        return options;
    }
    if (options.mode == Mode::Verify) {
        if (!options.frequencies.empty()) throw UsageError("--verify takes a plan file, not frequencies");
        if (options.output || options.format != nullptr)
            throw UsageError("--verify reports on standard output only");
        return options;
    }
    for (const std::string& frequency : options.frequencies)
        if (!IsWholeNumber(frequency)) throw UsageError("\"" + frequency + "\": not a number");
    if (options.band && !options.frequencies.empty())
        throw UsageError("give either --band or frequencies, not both");
    if (!options.band && options.frequencies.empty()) throw UsageError("no frequency given (or --band)");
    return options;
}

std::vector<std::string> OptionSpellings() {
    std::vector<std::string> spellings;
    for (const Option& option : detail::OptionTable()) {
        if (!option.alias.empty()) spellings.emplace_back(option.alias);
        spellings.emplace_back(option.name);
    }
    return spellings;
}

}  // namespace kestrova::plan
