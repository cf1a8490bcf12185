// The five register fields, as the window shows them and everything that
// writes or reads them names them.
#pragma once

#include <array>
#include <cstddef>
#include <string_view>

#include "core/calc_panel.h"

namespace kestrova {

struct RegisterInfo {
    Field field;              // Rt, St, Pt, Ct, Gt
    std::string_view letter;  // the register: "R", "S", "P", "C", "G"
    std::size_t width;        // the fewest hexadecimal digits its field shows
};

// In the window's order, which is also the order of a C header's entry.
inline constexpr std::array<RegisterInfo, 5> kRegisters = {{
    {Field::Rt, "R", 4},
    {Field::St, "S", 2},
    {Field::Pt, "P", 3},
    {Field::Ct, "C", 3},
    {Field::Gt, "G", 2},
}};

}  // namespace kestrova
