// Kolvart: calculates single-layer air-core coils.
#include "ui/display_check.h"
#include "ui/frmkolvart.h"
#include "ui/qt_translations.h"

#include <QApplication>
#include <QLocale>

#include <cstdio>

int main(int argc, char* argv[]) {
    // Qt aborts where it finds no display; say so plainly instead.
    if (const auto problem = kolvart::missingDisplay(argc, argv)) {
        std::fprintf(stderr, "%s\n", problem->c_str());
        return 1;
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Kolvart"));
    QApplication::setApplicationVersion(QStringLiteral(KOLVART_DISPLAY_VERSION));
    QApplication::setDesktopFileName(QStringLiteral(KOLVART_APP_ID));
    kolvart::installQtTranslations(QLocale::system());

    kolvart::frmKolvart window;
    window.showCentred();
    return QApplication::exec();
}
