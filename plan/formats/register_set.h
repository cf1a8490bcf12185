// A set of register texts as the window shows them (R S P C G), read back
// from a command-line argument, a line of input or an entry of the
// planner's own C header.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace kestrova::plan {

struct RegisterText {
    std::string text;    // as given, without "0x"
    std::int32_t value;  // eight digits are two's complement: FFFFFFFE is -2
};

struct RegisterSet {
    RegisterText r, s, p;
    std::optional<RegisterText> c, g;  // both or neither
};

// Reads "0014 10 00C 19C 07", "0014,10,00C,19C,07", "0x14 0x10 0xC", or a C
// header entry "{ 0x0014, 0x10, 0x00C, 0x19C, 0x07 }," with or without its
// comment: hexadecimal of either case, an optional 0x on each, separated by
// blanks and/or commas; three registers (R S P) or five. Nothing for a line
// that holds no set (empty, a comment beginning with "#", "//" or "/*", or
// the entry KESTROVA_NO_REGISTERS of a channel without registers). Raises
// std::invalid_argument with what is wrong: a text that is not hexadecimal,
// more than eight digits, fewer than three or more than five registers.
std::optional<RegisterSet> ReadRegisterSet(std::string_view text);

}  // namespace kestrova::plan
