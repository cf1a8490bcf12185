// Asks a window to close, as a window manager's close button does.
// Usage: x_close_window WINDOW-ID
#include <cstdio>
#include <cstdlib>
#include <exception>

#include "tools/x_client.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: x_close_window WINDOW-ID\n");
        return 2;
    }
    try {
        kestrova::testing_support::XClient client;
        client.RequestClose(static_cast<std::uint32_t>(std::strtoul(argv[1], nullptr, 0)));
    } catch (const std::exception& failure) {
        std::fprintf(stderr, "x_close_window: %s\n", failure.what());
        return 1;
    }
    return 0;
}
