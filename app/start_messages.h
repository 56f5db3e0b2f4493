#pragma once

#include <QByteArray>

namespace kolvart {

// The platforms chosen with -platform or QT_QPA_PLATFORM, empty where Qt
// chooses: Wayland first where WAYLAND_DISPLAY is set, then X11.
QByteArray chosenPlatforms(int argc, char* argv[]);

// Holds back what Qt says while QApplication opens the display, from now
// until releaseStartMessages(). Where Qt can open none of the displays it
// tries, its fatal message, the warnings before it and its abort make way
// for one line on standard error that names them, and the program ends with
// status 1. argv gives the platform chosen with -platform.
void holdStartMessages(int argc, char* argv[]);

// Qt has found a display, perhaps after another it could not open: passes on
// what it said meanwhile and gives its messages back to its own handler.
void releaseStartMessages();

} // namespace kolvart
