#include "ui/desktop.h"

#include <QApplication>

namespace kolvart {

void Desktop::beep() {
    QApplication::beep();
}

void Desktop::endProgram() {
    QCoreApplication::exit(0);
}

} // namespace kolvart
