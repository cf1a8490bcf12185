// What is made from the option table for people and shells: --help and the
// bash completion.
#include <string>

#include "plan/channel/text_escapes.h"
#include "plan/command_line/option_table.h"
#include "plan/command_line/options.h"

namespace kestrova::plan {
namespace {

using detail::Option;
using detail::Takes;

constexpr std::size_t kWidth = 79;

void Wrapped(std::string& out, std::string_view text, std::size_t column, std::size_t indent) {
    AppendWrapped(out, text, column, indent, kWidth);
}

}  // namespace

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
    for (const Option& option : detail::OptionTable()) {
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

std::string BashCompletion() {
    std::string files, numbers, choices, all;
    for (const Option& option : detail::OptionTable()) {
        std::string spellings = std::string(option.name);
        if (!option.alias.empty()) spellings = std::string(option.alias) + " | " + spellings;
        std::string& group = option.takes == Takes::File     ? files
                             : option.takes == Takes::Choice ? choices
                                                             : numbers;
        if (option.takes != Takes::Nothing) group += (group.empty() ? "" : " | ") + spellings;
    }
    for (const std::string& spelling : OptionSpellings()) all += (all.empty() ? "" : " ") + spelling;
    std::string formats;
    for (const FormatEntry& format : Formats()) {
        if (!formats.empty()) formats += ' ';
        formats += format.name;
    }
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
           formats +
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
