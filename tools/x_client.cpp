// XClient on xcb.
#include "tools/x_client.h"

#include <poll.h>
#include <xcb/xcb.h>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <stdexcept>
#include <string>

namespace kestrova::testing_support {

XClient::XClient() : connection_(xcb_connect(nullptr, nullptr)) {
    if (xcb_connection_has_error(connection_) != 0) {
        xcb_disconnect(connection_);
        throw std::runtime_error("cannot connect to the X server");
    }
    root_ = xcb_setup_roots_iterator(xcb_get_setup(connection_)).data->root;
    const std::uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    xcb_change_window_attributes(connection_, root_, XCB_CW_EVENT_MASK, &mask);
    xcb_flush(connection_);
}

XClient::~XClient() {
    xcb_disconnect(connection_);
}

std::optional<std::uint32_t> XClient::WaitForMappedWindow(int timeoutMs) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        while (xcb_generic_event_t* event = xcb_poll_for_event(connection_)) {
            const bool mapped = (event->response_type & 0x7F) == XCB_MAP_NOTIFY;
            const auto* map = reinterpret_cast<xcb_map_notify_event_t*>(event);
            const std::uint32_t window = map->window;
            const bool topLevel = mapped && map->event == root_ && !map->override_redirect;
            std::free(event);
            if (topLevel) return window;
        }
        if (xcb_connection_has_error(connection_) != 0) return std::nullopt;
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) return std::nullopt;
        pollfd fd{xcb_get_file_descriptor(connection_), POLLIN, 0};
        ::poll(&fd, 1, static_cast<int>(left.count()));
    }
}

std::uint32_t XClient::Atom(const char* name) {
    xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(
        connection_, xcb_intern_atom(connection_, 0, static_cast<std::uint16_t>(std::strlen(name)), name),
        nullptr);
    if (reply == nullptr) throw std::runtime_error(std::string("cannot intern ") + name);
    const std::uint32_t atom = reply->atom;
    std::free(reply);
    return atom;
}

void XClient::RequestClose(std::uint32_t window) {
    xcb_client_message_event_t message{};
    message.response_type = XCB_CLIENT_MESSAGE;
    message.format = 32;
    message.window = window;
    message.type = Atom("WM_PROTOCOLS");
    message.data.data32[0] = Atom("WM_DELETE_WINDOW");
    message.data.data32[1] = XCB_CURRENT_TIME;
    // Checked, so that the server has delivered the message before this
    // client may disconnect; without the round trip it was sometimes lost.
    const xcb_void_cookie_t sent = xcb_send_event_checked(connection_, 0, window, XCB_EVENT_MASK_NO_EVENT,
                                                          reinterpret_cast<const char*>(&message));
    if (xcb_generic_error_t* error = xcb_request_check(connection_, sent)) {
        std::free(error);
        throw std::runtime_error("cannot send WM_DELETE_WINDOW to window " + std::to_string(window));
    }
}

}  // namespace kestrova::testing_support
