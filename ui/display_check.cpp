// The X11 display check, with the same library Qt's X11 platform uses.
#include "ui/display_check.h"

#include <cstdlib>
#include <string_view>
#include <xcb/xcb.h>

namespace kestrova {

std::optional<std::string> DisplayProblem() {
    const char* platform = std::getenv("QT_QPA_PLATFORM");
    const std::string_view chosen = platform == nullptr ? "" : platform;
    if (!chosen.empty() && !chosen.starts_with("xcb")) return std::nullopt;  // Qt's own choice
    if (chosen.empty() && std::getenv("WAYLAND_DISPLAY") != nullptr) return std::nullopt;

    const char* display = std::getenv("DISPLAY");
    if (display == nullptr || *display == '\0')
        return "no display to open: DISPLAY is not set (start Kestrova from a desktop session)";
    xcb_connection_t* connection = xcb_connect(nullptr, nullptr);
    const bool failed = xcb_connection_has_error(connection) != 0;
    xcb_disconnect(connection);
    if (failed) return "cannot open the display \"" + std::string(display) + "\": no X server accepts the connection";
    return std::nullopt;
}

}  // namespace kestrova
