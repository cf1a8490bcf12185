// A small X11 client for driving the real program under an X server: it sees
// top-level windows being mapped and asks a window to close, as a window
// manager's close button does (WM_DELETE_WINDOW).
#pragma once

#include <cstdint>
#include <optional>

struct xcb_connection_t;

namespace kestrova::testing_support {

class XClient {
public:
    XClient();  // connects to $DISPLAY; throws std::runtime_error when it cannot
    XClient(const XClient&) = delete;
    XClient& operator=(const XClient&) = delete;
    ~XClient();

    // The next top-level window mapped from now on, or nothing after the timeout.
    std::optional<std::uint32_t> WaitForMappedWindow(int timeoutMs);

    // Sends WM_DELETE_WINDOW to the window.
    void RequestClose(std::uint32_t window);

private:
    std::uint32_t Atom(const char* name);
    xcb_connection_t* connection_;
    std::uint32_t root_;
};

}  // namespace kestrova::testing_support
