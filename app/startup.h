#pragma once

namespace kolvart {

// Runs the program: checks that there is a display to open the window on,
// starts Qt with the program's names and Qt's own translations, builds the
// printer and the desktop the window is handed, shows the window and runs
// the event loop. Returns the exit status.
int runKolvart(int argc, char* argv[]);

} // namespace kolvart
