#pragma once

#include <optional>
#include <string>

namespace kolvart::wayland {

// Tells, before Qt starts, whether the Wayland display named by
// WAYLAND_DISPLAY is out of reach: where libwayland would not connect, this
// gives what is wrong, as "WAYLAND_DISPLAY=... is niet bereikbaar" with the
// reason where there is one more precise than that nobody listens.
//
// waylandDisplay is the value of WAYLAND_DISPLAY, runtimeDir that of
// XDG_RUNTIME_DIR (null where unset). The display is found the way libwayland
// finds it: an absolute path is the socket itself, any other name a socket in
// XDG_RUNTIME_DIR; a path longer than a socket address holds cannot be
// reached. Only the connection is made, not the Wayland handshake.
std::optional<std::string> unreachableCompositor(const char* waylandDisplay,
                                                 const char* runtimeDir);

// The same for the environment. A connection handed over in WAYLAND_SOCKET
// is libwayland's to use and counts as reachable; an unset WAYLAND_DISPLAY
// means wayland-0, as for libwayland.
std::optional<std::string> unreachableCompositor();

} // namespace kolvart::wayland
