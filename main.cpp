// Kolvart: calculates single-layer air-core coils.
#include "ui/frmkolvart.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Kolvart"));
    QApplication::setApplicationVersion(QStringLiteral(KOLVART_DISPLAY_VERSION));
    QApplication::setDesktopFileName(QStringLiteral(KOLVART_APP_ID));

    kolvart::frmKolvart window;
    window.showCentred();
    return QApplication::exec();
}
