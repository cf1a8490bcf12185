// The display check: X11 with the library Qt's X11 platform uses, Wayland by
// connecting to the compositor's socket.
#include "ui/display_check.h"

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>
#include <xcb/xcb.h>
#include <QLibraryInfo>
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <string_view>
#include <utility>

namespace kestrova {
namespace {

std::string_view Environment(const char* name) {
    const char* value = std::getenv(name);
    return value == nullptr ? std::string_view() : std::string_view(value);
}

std::optional<std::string> XProblem(HeldConnection& held) {
    const std::string_view display = Environment("DISPLAY");
    if (display.empty()) return "DISPLAY is not set";
    xcb_connection_t* connection = xcb_connect(nullptr, nullptr);
    const bool failed = xcb_connection_has_error(connection) != 0;
    if (failed)
        xcb_disconnect(connection);
    else
        held.Hold(connection);
    if (failed)
        return "cannot open the display \"" + std::string(display) + "\": no X server accepts the connection";
    return std::nullopt;
}

bool WaylandPluginInstalled() {
    std::string paths = QLibraryInfo::path(QLibraryInfo::PluginsPath).toStdString();
    if (const std::string_view extra = Environment("QT_PLUGIN_PATH"); !extra.empty()) {
        paths += ':';
        paths += extra;
    }
    std::string_view rest = paths;
    while (!rest.empty()) {
        const std::size_t colon = rest.find(':');
        const std::filesystem::path directory(rest.substr(0, colon));
        std::error_code ignored;
        if (!directory.empty() &&
            std::filesystem::exists(directory / "platforms/libqwayland-generic.so", ignored))
            return true;
        rest = colon == std::string_view::npos ? std::string_view() : rest.substr(colon + 1);
    }
    return false;
}

std::optional<std::string> WaylandProblem() {
    const std::string_view display = Environment("WAYLAND_DISPLAY");
    if (display.empty()) return "WAYLAND_DISPLAY is not set";
    std::string socketPath(display);
    if (!display.starts_with('/')) {
        const std::string_view runtime = Environment("XDG_RUNTIME_DIR");
        if (runtime.empty())
            return "cannot connect to the Wayland display \"" + socketPath + "\": XDG_RUNTIME_DIR is not set";
        std::string full(runtime);
        full += '/';
        full += display;
        socketPath = std::move(full);
    }
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const int socket = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    bool connected = false;
    if (socket >= 0 && socketPath.size() < sizeof address.sun_path) {
        socketPath.copy(address.sun_path, socketPath.size());
        connected = ::connect(socket, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
    }
    if (socket >= 0) ::close(socket);
    if (!connected)
        return "cannot connect to the Wayland display \"" + std::string(display) +
               "\": no compositor listens at " + socketPath;
    if (!WaylandPluginInstalled())
        return "the Wayland display \"" + std::string(display) +
               "\" needs Qt's Wayland platform plugin (Debian package qt6-wayland)";
    return std::nullopt;
}

// Where Qt itself would prefer Wayland: a Wayland session that is not
// GNOME's (Qt keeps to X11 there).
bool SessionPrefersWayland() {
    if (Environment("XDG_SESSION_TYPE") != "wayland") return false;
    for (const char* name : {"XDG_CURRENT_DESKTOP", "XDG_SESSION_DESKTOP"}) {
        std::string desktop(Environment(name));
        for (char& c : desktop) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        if (desktop.find("gnome") != std::string::npos) return false;
    }
    return true;
}

}  // namespace

void HeldConnection::Hold(void* connection) {
    Release();
    connection_ = connection;
}

void HeldConnection::Release() {
    if (connection_ != nullptr) xcb_disconnect(static_cast<xcb_connection_t*>(connection_));
    connection_ = nullptr;
}

std::optional<std::string> ChooseDisplay(HeldConnection& held) {
    const std::string_view chosen = Environment("QT_QPA_PLATFORM");
    if (chosen.starts_with("xcb")) return XProblem(held);
    if (chosen.starts_with("wayland")) return WaylandProblem();
    if (!chosen.empty()) return std::nullopt;  // offscreen, vnc, ...: Qt's own affair

    const bool anyDisplay = !Environment("DISPLAY").empty() || !Environment("WAYLAND_DISPLAY").empty();
    if (!anyDisplay)
        return std::string(
            "no display to open: neither DISPLAY nor WAYLAND_DISPLAY is set "
            "(start Kestrova from a desktop session)");
    const std::optional<std::string> wayland =
        Environment("WAYLAND_DISPLAY").empty() ? std::optional<std::string>() : WaylandProblem();
    const bool waylandUsable = !Environment("WAYLAND_DISPLAY").empty() && !wayland;
    if (waylandUsable && SessionPrefersWayland()) {
        ::setenv("QT_QPA_PLATFORM", "wayland", 1);
        return std::nullopt;
    }
    const std::optional<std::string> x =
        Environment("DISPLAY").empty() ? std::optional<std::string>() : XProblem(held);
    if (!Environment("DISPLAY").empty() && !x) {
        ::setenv("QT_QPA_PLATFORM", "xcb", 1);
        return std::nullopt;
    }
    if (waylandUsable) {
        ::setenv("QT_QPA_PLATFORM", "wayland", 1);
        return std::nullopt;
    }
    if (wayland && x) return *wayland + "; " + *x;
    return wayland ? *wayland : *x;
}

}  // namespace kestrova
