// The frame extents of a build without X11: no platform tells them.
#include "platform/x11/frame_extents.h"

namespace kolvart {

std::optional<QMargins> announcedFrameMargins(QWindow&) {
    return std::nullopt;
}

std::optional<QMargins> actualFrameMargins(QWindow&) {
    return std::nullopt;
}

} // namespace kolvart
