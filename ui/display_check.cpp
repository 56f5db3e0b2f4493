#include "ui/display_check.h"

#include <xcb/xcb.h>

#include <cstdlib>
#include <memory>
#include <string_view>

namespace kolvart {
namespace {

// The value of an environment variable; unset and empty are the same.
const char* variable(const char* name) {
    const char* value = std::getenv(name);
    return value && *value ? value : nullptr;
}

bool platformOnCommandLine(int argc, const char* const* argv) {
    for (int i = 1; i < argc; ++i) {
        const std::string_view argument = argv[i];
        if (argument == "-platform" || argument == "--platform")
            return true;
    }
    return false;
}

bool reachable(const char* display) {
    const std::unique_ptr<xcb_connection_t, decltype(&xcb_disconnect)> connection(
        xcb_connect(display, nullptr), &xcb_disconnect);
    return xcb_connection_has_error(connection.get()) == 0;
}

} // namespace

std::optional<std::string> missingDisplay(int argc, const char* const* argv) {
    if (platformOnCommandLine(argc, argv))
        return std::nullopt;
    const char* platform = variable("QT_QPA_PLATFORM");
    const bool xcbChosen = platform && std::string_view(platform) == "xcb";
    if (platform && !xcbChosen)
        return std::nullopt;

    const char* display = variable("DISPLAY");
    const char* wayland = variable("WAYLAND_DISPLAY");
    if (!display && (xcbChosen || !wayland))
        return std::string(xcbChosen ? "kolvart: geen beeldscherm: DISPLAY is niet gezet"
                                     : "kolvart: geen beeldscherm: DISPLAY en WAYLAND_DISPLAY "
                                       "zijn niet gezet");
    // Beside a Wayland display Qt may well not need the X server.
    if (!display || (wayland && !xcbChosen))
        return std::nullopt;
    if (!reachable(display))
        return "kolvart: geen beeldscherm: DISPLAY=" + std::string(display) + " is niet bereikbaar";
    return std::nullopt;
}

} // namespace kolvart
