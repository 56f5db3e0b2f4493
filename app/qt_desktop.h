#pragma once

#include "ui/desktop.h"

namespace kolvart {

// The desktop the program runs on, through Qt: its bell (on Wayland the
// sound server's) and its event loop.
class QtDesktop final : public Desktop {
public:
    void beep() override;
    void endProgram() override;
};

} // namespace kolvart
