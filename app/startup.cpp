#include "app/startup.h"

#include "app/display_check.h"
#include "app/qt_desktop.h"
#include "app/qt_translations.h"
#include "app/session_end.h"
#include "report/qt_report_platform.h"
#include "ui/frmkolvart.h"

#include <QApplication>
#include <QLocale>
#include <QSessionManager>

#include <cstdio>
#include <memory>

namespace kolvart {

int runKolvart(int argc, char* argv[]) {
    // Qt aborts where it finds no display; say so plainly instead.
    if (const auto problem = missingDisplay(argc, argv)) {
        std::fprintf(stderr, "%s\n", problem->c_str());
        return 1;
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Kolvart"));
    QApplication::setApplicationVersion(QStringLiteral(KOLVART_DISPLAY_VERSION));
    QApplication::setDesktopFileName(QStringLiteral(KOLVART_APP_ID));
    installQtTranslations(QLocale::system());

    // The printer makes its QPrinter, dialog and painter at the first print;
    // its dialogs are modal to the window.
    auto printer = std::make_unique<QtReportPlatform>();
    QtReportPlatform& dialogs = *printer;
    frmKolvart window(std::make_unique<QtDesktop>(), std::move(printer));
    dialogs.setDialogParent(&window);

    // The end of the session releases an open job, whatever is open.
    SessionEnd sessionEnd(window.printJob());
    QObject::connect(
        &app, &QGuiApplication::commitDataRequest, &sessionEnd,
        [&sessionEnd](QSessionManager&) { sessionEnd.commitData(); }, Qt::DirectConnection);

    window.showCentred();
    return QApplication::exec();
}

} // namespace kolvart
