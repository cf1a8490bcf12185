// kestrova-plan's command line: one table of options, from which the parser,
// --help and the bash completion are all made.
#pragma once

#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/calc_panel.h"
#include "plan/formats/format_registry.h"

namespace kestrova::plan {

// Bad usage: a message for one line, pointing to --help.
struct UsageError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// What a run does: a plan of channels, registers turned back into
// frequencies, or a plan file checked against the calculation.
enum class Mode { Plan, Decode, Verify };

struct Options {
    Mode mode = Mode::Plan;
    std::optional<std::string> ini;
    std::vector<std::pair<Field, std::string>> values;  // parameters given as options, in order
    bool band = false;
    bool help = false;
    bool version = false;
    std::vector<std::string> frequencies;  // the plan's FREQs, or the register SETs of --decode
    std::string verified;                  // the file of --verify ("-": standard input)
    const FormatEntry* format = nullptr;   // none: the default
    std::optional<std::string> output;
    long long maxChannels = 100'000'000;
    unsigned threads = 0;  // 0: one per core, at most kMostDefaultThreads
};

// The threads a run uses when --threads does not say: one per core, up to this.
inline constexpr unsigned kMostDefaultThreads = 8;

// Raises UsageError. A negative number is a frequency, not an option; "--"
// ends the options; "--name=value" and "--name value" are the same.
Options ParseOptions(const std::vector<std::string>& args);

// The text of --help, at most 79 columns wide.
std::string HelpText();

// A bash completion script for kestrova-plan.
std::string BashCompletion();

// Every option's spelling, long and short ("--ini", "-o", "--output", ...).
std::vector<std::string> OptionSpellings();

}  // namespace kestrova::plan
