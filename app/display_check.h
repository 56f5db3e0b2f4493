#pragma once

#include <optional>
#include <string>

namespace kolvart {

// Tells, before Qt starts, whether the window will find no display to open
// on: where Qt would abort, this gives the one line to print instead.
//
// With no platform chosen (QT_QPA_PLATFORM or -platform), neither DISPLAY
// nor WAYLAND_DISPLAY set means no display. With DISPLAY naming a display of
// this machine and no Wayland display beside it, or with xcb chosen, the X
// server's socket is tried. With WAYLAND_DISPLAY set, or wayland chosen, the
// compositor's socket is tried; where none answers, Qt falls back to a
// reachable X server unless wayland was chosen. A display over the network,
// one that refuses the program, and other platforms are Qt's to judge.
std::optional<std::string> missingDisplay(int argc, const char* const* argv);

} // namespace kolvart
