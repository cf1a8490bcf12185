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
//
// The X server's answer is a connection that stays open in held until the
// caller lets it go, once Qt has connected: an X server that resets when
// its last client leaves would otherwise be gone for a moment between this
// check and Qt's own connection.
class HeldConnection {
public:
    HeldConnection() = default;
    HeldConnection(const HeldConnection&) = delete;
    HeldConnection& operator=(const HeldConnection&) = delete;
    ~HeldConnection() { Release(); }
    void Hold(void* connection);
    void Release();

private:
    void* connection_ = nullptr;
};
std::optional<std::string> ChooseDisplay(HeldConnection& held);

}  // namespace kestrova
