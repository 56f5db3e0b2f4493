#pragma once

namespace kolvart {

// What the window asks of the desktop beyond its own widgets: the beep of a
// refused key and the end of the program. Tests put a counting fake here.
class Desktop {
public:
    virtual ~Desktop() = default;
    virtual void beep();
    // Ends the program at once: the event loop returns without handling
    // another event of the window.
    virtual void endProgram();
};

} // namespace kolvart
