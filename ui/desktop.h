#pragma once

namespace kolvart {

// What the window asks of the desktop beyond its own widgets: the beep of a
// refused key and the end of the program. The program hands the window the
// real desktop; tests hand it a counting fake.
class Desktop {
public:
    virtual ~Desktop() = default;
    virtual void beep() = 0;
    // Ends the program at once: the event loop returns without handling
    // another event of the window.
    virtual void endProgram() = 0;
};

} // namespace kolvart
