// The table of kestrova-plan's options, shared by the parser and by what
// is made from the table (--help, the bash completion).
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "core/calc_panel.h"

namespace kestrova::plan::detail {

enum class Id { Ini, Value, Band, Decode, Verify, Format, Output, MaxChannels, Threads, Help, Version };
enum class Takes { Nothing, Number, Count, File, Choice };

struct Option {
    Id id;
    std::string_view name;   // "--ini"
    std::string_view alias;  // "-o", or none
    Takes takes;
    std::string_view placeholder;  // "FILE", "X", ...
    std::string help;
    Field field = Field::Fl;  // for Id::Value
};

// Every option, in the order --help shows them.
std::vector<Option> OptionTable();

}  // namespace kestrova::plan::detail
