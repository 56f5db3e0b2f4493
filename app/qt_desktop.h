#pragma once

#include "ui/desktop.h"

namespace kolvart {

// The desktop the program runs on, through Qt: its bell and its event loop.
class QtDesktop final : public Desktop {
public:
    void beep() override;
    void endProgram() override;
};

} // namespace kolvart
