#pragma once

// What the checks before Qt starts need to find a display server: the
// environment variables that name it and whether its socket answers. Plain
// POSIX, for the X11 and the Wayland check alike.

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <string_view>

namespace kolvart::display_probe {

// The value of an environment variable; unset and empty are the same.
inline const char* variable(const char* name) {
    const char* value = std::getenv(name);
    return value && *value ? value : nullptr;
}

// Whether something listens on a Unix socket: the file at a path, or with
// abstract a name in the abstract namespace. Only the connection is made, on
// a non-blocking socket so that the check never waits; a full backlog still
// means a listener. Where no socket can be made it cannot tell, and leaves
// the judgement to Qt by saying yes. A name too long for a socket address
// reaches nothing.
inline bool listens(std::string_view name, bool abstract = false) {
    sockaddr_un address{};
    // An abstract name starts with a NUL; a path ends with one.
    const std::size_t offset = abstract ? 1 : 0;
    const std::size_t terminator = abstract ? 0 : 1;
    if (offset + name.size() + terminator > sizeof(address.sun_path))
        return false;
    const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0)
        return true;
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path + offset, name.data(), name.size());
    const auto length =
        static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + offset + name.size() + terminator);
    const bool reached =
        connect(fd, reinterpret_cast<const sockaddr*>(&address), length) == 0 || errno == EAGAIN;
    close(fd);
    return reached;
}

} // namespace kolvart::display_probe
