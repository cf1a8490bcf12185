// Whether the window can be shown at all, and on which display: asked before
// Qt is started, so that a missing or dead display gives one clear line
// instead of a plugin failure and a core dump.
#pragma once

#include <optional>
#include <string>

namespace kestrova {

// Chooses the platform the window opens on and sets QT_QPA_PLATFORM for Qt:
// a Wayland compositor that answers (with Qt's Wayland plugin installed)
// where the session is a Wayland one or no X server answers, else an X
// server that answers. A platform the user chose is kept, and only checked
// when it is X11 or Wayland. Returns nothing when a display can be opened;
// else the reason, in one line.
std::optional<std::string> ChooseDisplay();

}  // namespace kestrova
