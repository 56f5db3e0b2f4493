#include "app/qt_desktop.h"

#include <QApplication>

namespace kolvart {

void QtDesktop::beep() {
    QApplication::beep();
}

void QtDesktop::endProgram() {
    QCoreApplication::exit(0);
}

} // namespace kolvart
