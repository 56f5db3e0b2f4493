// Kolvart: calculates single-layer air-core coils.
#include "app/qt_desktop.h"
#include "app/qt_translations.h"
#include "app/session_end.h"
#include "app/start_environment.h"
#include "app/start_messages.h"
#include "report/qt_report_platform.h"
#include "ui/frmkolvart.h"

#include <QApplication>
#include <QLocale>
#include <QSessionManager>

#include <memory>
#include <utility>

// Starts Qt with the program's names and Qt's own translations, builds the
// printer and the desktop the window is handed, shows the window and runs
// the event loop. Where Qt can open no display, one line on standard error
// says which, and the program ends with status 1.
int main(int argc, char* argv[]) {
    using namespace kolvart;
    prepareStartEnvironment(argc, argv);
    holdStartMessages(argc, argv);
    QApplication app(argc, argv);
    releaseStartMessages();
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
