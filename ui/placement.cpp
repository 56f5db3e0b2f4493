#include "ui/placement.h"

#include "platform/x11/frame_extents.h"

#include <QRect>
#include <QScreen>
#include <QWidget>
#include <QWindow>

namespace kolvart {

void CentredPlacement::show(QWidget& window) {
    // Where a window manager frames the window it says, before the window is
    // mapped, how wide the frame will be: the window then opens centred,
    // frame included, in one go.
    window.winId();
    announcedFrame_ = announcedFrameMargins(*window.windowHandle());
    place(window, announcedFrame_.value_or(QMargins()));
    window.show();
    // Without a window manager nothing activates a new window: ask for it.
    window.activateWindow();
}

void CentredPlacement::settle(QWidget& window) {
    // By now a window manager has put its frame round the window. Where it
    // did not announce that frame, or announced another, the window is
    // centred again with the frame it has.
    const std::optional<QMargins> frame = actualFrameMargins(*window.windowHandle());
    if (frame && *frame != announcedFrame_.value_or(QMargins()))
        place(window, *frame);
}

void CentredPlacement::place(QWidget& window, const QMargins& frame) {
    QRect outer(QPoint(), window.size().grownBy(frame));
    outer.moveCenter(window.screen()->availableGeometry().center());
    window.setGeometry(QRect(outer.topLeft() + QPoint(frame.left(), frame.top()), window.size()));
}

} // namespace kolvart
