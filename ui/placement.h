#pragma once

#include <QMargins>

#include <optional>

class QWidget;

namespace kolvart {

// Puts a top-level window in the centre of its screen, the frame that a
// window manager draws round it included. Where the platform tells nothing
// of a frame (no window manager, or not X11) the window itself is centred.
class CentredPlacement {
public:
    // Shows the window centred and makes it the active window, also where no
    // window manager does that.
    void show(QWidget& window);

    // Once the window is active: where the window manager gave it another
    // frame than it announced, centres the window again with that frame.
    void settle(QWidget& window);

private:
    static void place(QWidget& window, const QMargins& frame);

    // The frame the window manager announced before the window was shown.
    std::optional<QMargins> announcedFrame_;
};

} // namespace kolvart
