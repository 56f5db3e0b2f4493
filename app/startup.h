#pragma once

namespace kolvart {

// Runs the program: starts Qt with the program's names and Qt's own
// translations, builds the printer and the desktop the window is handed,
// shows the window and runs the event loop. Returns the exit status. Where
// Qt can open no display, one line on standard error says which, and the
// program ends with status 1.
int runKolvart(int argc, char* argv[]);

} // namespace kolvart
