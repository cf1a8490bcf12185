// The option table and what is made from it.
#include "plan/options.h"

#include <charconv>
#include <cstdint>
#include <span>

#include "core/numeric_text.h"

namespace kestrova::plan {
namespace {

enum class Id { Ini, Value, Band, Decode, Verify, Format, Output, MaxChannels, Threads, Help, Version };
enum class Takes { Nothing, Number, Count, File, Choice };

struct Option {
    Id id;
    std::string_view name;   // "--ini"
    std::string_view alias;  // "-o", or none
    Takes takes;
    std::string_view placeholder;  // "FILE", "X", ...
    std::string_view help;
    Field field = Field::Fl;  // for Id::Value
};

constexpr std::string_view kFormatNames = "text csv json c-header";

// In the order --help shows them. The parameters' options come from the
// field table, after --ini.
std::vector<Option> Table() {
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
    for (std::size_t i = 0; i < std::size(kValueHelp); ++i)
        options.push_back({Id::Value, Info(kInputFields[i]).option, "", Takes::Number, "X", kValueHelp[i],
                           kInputFields[i]});
    const std::vector<Option> rest = {
        {Id::Band, "--band", "", Takes::Nothing, "", "every channel FL, FL + Step, ... up to FH inclusive"},
        {Id::Decode, "--decode", "", Takes::Nothing, "",
         "turn each register SET (R S P, or R S P C G, in hexadecimal) back into its frequency and check it "
         "against the parameters; with no SET, one set a line from standard input"},
        {Id::Verify, "--verify", "", Takes::File, "FILE",
         "check a plan this program wrote (CSV, JSON or C header; - for standard input) against the "
         "calculation, channel by channel"},
        {Id::Format, "--format", "", Takes::Choice, "FORMAT",
         "text (a table), csv, json or c-header; the default is text on a terminal and csv otherwise"},
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
            options.mode = Mode::Decode;
            break;
        case Id::Verify:
            options.mode = Mode::Verify;
            options.verified = value;
            break;
        case Id::Format:
            options.format = FormatFromName(value);
            if (!options.format)
                throw UsageError("unknown format '" + value + "' (text, csv, json or c-header)");
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

// Words wrapped to the width, every line after the first indented.
void Wrapped(std::string& out, std::string_view text, std::size_t column, std::size_t indent) {
    constexpr std::size_t kWidth = 79;
    bool lineStart = true;
    while (!text.empty()) {
        const std::size_t space = text.find(' ');
        const std::string_view word = text.substr(0, space);
        text = space == std::string_view::npos ? std::string_view() : text.substr(space + 1);
        if (!lineStart && column + 1 + word.size() > kWidth) {
            out += '\n';
            out.append(indent, ' ');
            column = indent;
            lineStart = true;
        }
        if (!lineStart) {
            out += ' ';
            ++column;
        }
        out += word;
        column += word.size();
        lineStart = false;
    }
    out += '\n';
}

}  // namespace

Options ParseOptions(const std::vector<std::string>& args) {
    const std::vector<Option> table = Table();
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
        if (options.format == Format::CHeader) throw UsageError("--decode writes text, csv or json");
        return options;
    }
    if (options.mode == Mode::Verify) {
        if (options.band || !options.frequencies.empty())
            throw UsageError("--verify takes a plan file, not --band or frequencies");
        if (options.output || options.format) throw UsageError("--verify reports on standard output only");
        return options;
    }
    for (const std::string& frequency : options.frequencies)
        if (!IsWholeNumber(frequency)) throw UsageError("\"" + frequency + "\": not a number");
    if (options.band && !options.frequencies.empty())
        throw UsageError("give either --band or frequencies, not both");
    if (!options.band && options.frequencies.empty()) throw UsageError("no frequency given (or --band)");
    return options;
}

std::string HelpText() {
    std::string help =
        "Usage: kestrova-plan [OPTION]... FREQ...\n"
        "       kestrova-plan [OPTION]... --band\n"
        "       kestrova-plan [OPTION]... --decode [SET]...\n"
        "       kestrova-plan [OPTION]... --verify FILE\n";
    Wrapped(help,
            "Compute the synthesiser registers for each wanted frequency FREQ, or for every channel from FL "
            "to FH "
            "at the channel step, exactly as the Kestrova window does.",
            0, 0);
    help += '\n';
    Wrapped(
        help,
        "The parameters come from Kestrova.INI in the current directory, the file the window keeps, and each "
        "option below replaces one of them; with --fh, --step, --f0, --fref, --fosc and --dac-gain all "
        "given, "
        "no settings file is needed. Values are read as the window reads them: \".\" is the decimal point, "
        "whatever the locale. A FREQ or a value given as an option must be a number and nothing else (blanks "
        "aside): \"10 MHz\", \"1,5\" or \"abc\" is refused.",
        0, 0);
    help += '\n';
    constexpr std::size_t kTextColumn = 24;
    for (const Option& option : Table()) {
        std::string left = "  ";
        left += option.alias.empty() ? "    " : std::string(option.alias) + ", ";
        left += option.name;
        if (!option.placeholder.empty()) {
            left += ' ';
            left += option.placeholder;
        }
        help += left;
        if (left.size() + 2 > kTextColumn) {
            help += '\n';
            help.append(kTextColumn, ' ');
        } else {
            help.append(kTextColumn - left.size(), ' ');
        }
        Wrapped(help, option.help, kTextColumn, kTextColumn);
    }
    help += '\n';
    Wrapped(
        help,
        "A channel whose calculation faults shows the fault in its row and the others go on. Exit status: 0 "
        "when every channel was computed, 1 when any faulted, 2 for bad usage or a settings or output file "
        "that cannot be used.",
        0, 0);
    return help;
}

std::vector<std::string> OptionSpellings() {
    std::vector<std::string> spellings;
    for (const Option& option : Table()) {
        if (!option.alias.empty()) spellings.emplace_back(option.alias);
        spellings.emplace_back(option.name);
    }
    return spellings;
}

std::string BashCompletion() {
    std::string files, numbers, choices, all;
    for (const Option& option : Table()) {
        std::string spellings = std::string(option.name);
        if (!option.alias.empty()) spellings = std::string(option.alias) + " | " + spellings;
        std::string& group = option.takes == Takes::File     ? files
                             : option.takes == Takes::Choice ? choices
                                                             : numbers;
        if (option.takes != Takes::Nothing) group += (group.empty() ? "" : " | ") + spellings;
    }
    for (const std::string& spelling : OptionSpellings()) all += (all.empty() ? "" : " ") + spelling;
    return "# bash completion for kestrova-plan, made from its table of options\n"
           "_kestrova_plan() {\n"
           "    local cur prev\n"
           "    cur=${COMP_WORDS[COMP_CWORD]}\n"
           "    prev=${COMP_WORDS[COMP_CWORD - 1]}\n"
           "    case $prev in\n"
           "        " +
           choices +
           ")\n"
           "            mapfile -t COMPREPLY < <(compgen -W '" +
           std::string(kFormatNames) +
           "' -- \"$cur\")\n"
           "            return ;;\n"
           "        " +
           files +
           ")\n"
           "            mapfile -t COMPREPLY < <(compgen -f -- \"$cur\")\n"
           "            compopt -o filenames 2>/dev/null\n"
           "            return ;;\n"
           "        " +
           numbers +
           ")\n"
           "            return ;;  # a number\n"
           "    esac\n"
           "    if [[ $cur == -* ]]; then\n"
           "        mapfile -t COMPREPLY < <(compgen -W '" +
           all +
           "' -- \"$cur\")\n"
           "    fi\n"
           "}\n"
           "complete -F _kestrova_plan kestrova-plan\n";
}

}  // namespace kestrova::plan
