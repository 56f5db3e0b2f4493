#include "platform/wayland/compositor_check.h"

#include "platform/display_probe.h"

#include <sys/un.h>

#include <cstddef>

namespace kolvart::wayland {

std::optional<std::string> unreachableCompositor(const char* waylandDisplay,
                                                 const char* runtimeDir) {
    const std::string name = waylandDisplay && *waylandDisplay ? waylandDisplay : "wayland-0";
    const std::string unreachable = "WAYLAND_DISPLAY=" + name + " is niet bereikbaar";
    std::string path;
    if (name.front() == '/') {
        path = name;
    } else {
        if (!runtimeDir || !*runtimeDir)
            return unreachable + ": XDG_RUNTIME_DIR is niet gezet";
        path = std::string(runtimeDir) + '/' + name;
    }
    // libwayland refuses a path that does not fit a socket address with its
    // terminating NUL, rather than cutting it short.
    constexpr std::size_t longest = sizeof(sockaddr_un::sun_path) - 1;
    if (path.size() > longest)
        return unreachable + ": het pad van de socket is langer dan " + std::to_string(longest) +
               " tekens";
    if (!display_probe::listens(path))
        return unreachable;
    return std::nullopt;
}

std::optional<std::string> unreachableCompositor() {
    if (display_probe::variable("WAYLAND_SOCKET"))
        return std::nullopt;
    return unreachableCompositor(display_probe::variable("WAYLAND_DISPLAY"),
                                 display_probe::variable("XDG_RUNTIME_DIR"));
}

} // namespace kolvart::wayland
