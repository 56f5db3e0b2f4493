#include "app/display_check.h"

#include "platform/display_probe.h"
#include "platform/wayland/compositor_check.h"

#include <charconv>
#include <cstddef>
#include <string_view>

namespace kolvart {
namespace {

using display_probe::variable;

bool platformOnCommandLine(int argc, const char* const* argv) {
    for (int i = 1; i < argc; ++i) {
        const std::string_view argument = argv[i];
        if (argument == "-platform" || argument == "--platform")
            return true;
    }
    return false;
}

// The display number of a display on this machine (":0", "unix:0.1"), or
// nothing for one reached over the network or named some other way.
std::optional<unsigned> localDisplayNumber(std::string_view display) {
    const std::size_t colon = display.rfind(':');
    if (colon == std::string_view::npos)
        return std::nullopt;
    const std::string_view host = display.substr(0, colon);
    if (!host.empty() && host != "unix")
        return std::nullopt;
    std::string_view number = display.substr(colon + 1);
    number = number.substr(0, number.find('.'));
    unsigned value = 0;
    const auto [end, error] = std::from_chars(number.data(), number.data() + number.size(), value);
    if (error != std::errc() || end != number.data() + number.size() || number.empty())
        return std::nullopt;
    return value;
}

// Whether an X server listens on the local display's socket, where libxcb
// looks for it: the abstract socket first, then the file. Only the
// connection is made, not the X handshake, so that the check costs a few
// system calls and no wait for the server.
bool serverListens(unsigned number) {
    const std::string path = "/tmp/.X11-unix/X" + std::to_string(number);
    return display_probe::listens(path, true) || display_probe::listens(path);
}

} // namespace

std::optional<std::string> missingDisplay(int argc, const char* const* argv) {
    if (platformOnCommandLine(argc, argv))
        return std::nullopt;
    const char* platform = variable("QT_QPA_PLATFORM");
    const bool xcbChosen = platform && std::string_view(platform) == "xcb";
    // Wayland chosen: Qt does not fall back to X11.
    if (platform && std::string_view(platform) == "wayland") {
        if (const auto noCompositor = wayland::unreachableCompositor())
            return "kolvart: geen beeldscherm: " + *noCompositor;
        return std::nullopt;
    }
    if (platform && !xcbChosen)
        return std::nullopt;

    const char* display = variable("DISPLAY");
    const char* wayland = variable("WAYLAND_DISPLAY");
    if (!display && (xcbChosen || !wayland))
        return std::string(xcbChosen ? "kolvart: geen beeldscherm: DISPLAY is niet gezet"
                                     : "kolvart: geen beeldscherm: DISPLAY en WAYLAND_DISPLAY "
                                       "zijn niet gezet");
    // Beside a Wayland display Qt may well not need the X server. Where no
    // compositor answers, Qt falls back to the X server, where it finds one.
    if (wayland && !xcbChosen) {
        const std::optional<std::string> noCompositor = wayland::unreachableCompositor();
        if (!noCompositor)
            return std::nullopt;
        if (!display)
            return "kolvart: geen beeldscherm: " + *noCompositor;
        const std::optional<unsigned> number = localDisplayNumber(display);
        if (!number || serverListens(*number))
            return std::nullopt;
        return "kolvart: geen beeldscherm: " + *noCompositor + ", DISPLAY=" + display + " evenmin";
    }
    const std::optional<unsigned> number = localDisplayNumber(display);
    if (number && !serverListens(*number))
        return "kolvart: geen beeldscherm: DISPLAY=" + std::string(display) + " is niet bereikbaar";
    return std::nullopt;
}

} // namespace kolvart
