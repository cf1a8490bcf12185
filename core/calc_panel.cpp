// The in-memory panel.
#include "core/calc_panel.h"

namespace kestrova {

std::string MemoryPanel::Text(Field field) const {
    return fields_[static_cast<std::size_t>(field)];
}

void MemoryPanel::SetText(Field field, std::string_view text) {
    fields_[static_cast<std::size_t>(field)].assign(text);
}

}  // namespace kestrova
