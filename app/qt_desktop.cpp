#include "app/qt_desktop.h"

#include "platform/wayland/canberra_bell.h"

#include <QApplication>

namespace kolvart {

void QtDesktop::beep() {
    // Qt's Wayland platform has no bell: the sound server plays the desktop's.
    if (QGuiApplication::platformName().startsWith(u"wayland"))
        wayland::ringBell();
    else
        QApplication::beep();
}

void QtDesktop::endProgram() {
    QCoreApplication::exit(0);
}

} // namespace kolvart
