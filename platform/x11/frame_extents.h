#pragma once

#include <QMargins>

#include <optional>

class QWindow;

namespace kolvart {

// The frame that a window manager draws around a top-level window (title
// bar and borders), in the window's own pixels. Only X11 tells: elsewhere,
// in a build without X11 (KOLVART_X11 off), and where no window manager runs,
// there is no answer.

// Asks the window manager, before the window is first shown, which frame it
// will give it (_NET_REQUEST_FRAME_EXTENTS of the EWMH), and waits a moment
// for the answer. Creates the native window if it does not exist yet.
std::optional<QMargins> announcedFrameMargins(QWindow& window);

// The frame around the window as it now stands on the screen: the margins
// between it and its ancestor just below the root window. Zero where the
// window sits right on the root.
std::optional<QMargins> actualFrameMargins(QWindow& window);

} // namespace kolvart
