#pragma once

namespace kolvart {

// Sets what Qt, and GTK under Qt's GTK platform theme, read from the
// environment as they start; called before QApplication is made.
//
// - GTK's own accessibility bridge stays off: Qt's is the program's, and
//   GTK's would list the program a second time to a screen reader.
// - In GNOME's Wayland session the window opens through XWayland, unless a
//   platform was chosen (-platform, QT_QPA_PLATFORM). There GNOME draws the
//   title bar, as for its own programs, and offers no maximize for a window
//   of fixed size; on Wayland Qt would draw a title bar of its own, whose
//   maximize button GNOME obeys. Wayland stays the fallback.
//
// argv gives the platform chosen with -platform.
void prepareStartEnvironment(int argc, char* argv[]);

} // namespace kolvart
