// Field names and the in-memory panel.
#include "core/calc_panel.h"

namespace kestrova {

std::string_view FieldName(Field field) {
    static constexpr std::array<std::string_view, kFieldCount> kNames = {
        "Fl", "Fh", "Fstep", "Fo", "Fref", "Fosc", "DacGain", "Fout",
        "Results", "Rt", "St", "Pt", "Ct", "Gt",
    };
    return kNames[static_cast<std::size_t>(field)];
}

std::string MemoryPanel::Text(Field field) const {
    return fields_[static_cast<std::size_t>(field)];
}

void MemoryPanel::SetText(Field field, std::string_view text) {
    fields_[static_cast<std::size_t>(field)].assign(text);
}

}  // namespace kestrova
