#include "platform/wayland/compositor_check.h"

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstddef>
#include <cstdlib>
#include <cstring>

namespace kolvart::wayland {
namespace {

// The value of an environment variable; unset and empty are the same.
const char* variable(const char* name) {
    const char* value = std::getenv(name);
    return value && *value ? value : nullptr;
}

// Whether something listens on the socket. A full backlog still means a
// listener; the socket is non-blocking so that the check never waits.
bool listens(const std::string& path) {
    const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0)
        return true; // cannot tell: leave it to Qt
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, path.data(), path.size());
    const auto length = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + path.size() + 1);
    const bool reached =
        connect(fd, reinterpret_cast<const sockaddr*>(&address), length) == 0 || errno == EAGAIN;
    close(fd);
    return reached;
}

} // namespace

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
    if (!listens(path))
        return unreachable;
    return std::nullopt;
}

std::optional<std::string> unreachableCompositor() {
    if (variable("WAYLAND_SOCKET"))
        return std::nullopt;
    return unreachableCompositor(variable("WAYLAND_DISPLAY"), variable("XDG_RUNTIME_DIR"));
}

} // namespace kolvart::wayland
