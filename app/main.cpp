// Kolvart: calculates single-layer air-core coils.
#include "app/qt_desktop.h"
#include "app/qt_translations.h"
#include "app/session_end.h"
#include "report/qt_report_platform.h"
#include "ui/frmkolvart.h"

#include <QApplication>
#include <QList>
#include <QLocale>
#include <QSessionManager>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <mutex>
#include <utility>

namespace {

// The platforms chosen with -platform or QT_QPA_PLATFORM, empty where Qt
// chooses: Wayland first where WAYLAND_DISPLAY is set, then X11.
QByteArray chosenPlatforms(int argc, char* argv[]) {
    for (int i = 1; i + 1 < argc; ++i) {
        if (std::strcmp(argv[i], "-platform") == 0 || std::strcmp(argv[i], "--platform") == 0)
            return argv[i + 1];
    }
    return qgetenv("QT_QPA_PLATFORM");
}

// The line for a start where Qt opened none of the displays it tried, naming
// them; empty where a platform without a display of these was chosen.
QByteArray noDisplay(const QByteArray& chosen) {
    const QByteArray display = qgetenv("DISPLAY");
    const QByteArray wayland = qgetenv("WAYLAND_DISPLAY");
    const bool triedWayland = chosen.isEmpty() ? !wayland.isEmpty() : chosen.contains("wayland");
    const bool triedX11 = chosen.isEmpty() || chosen.contains("xcb");
    const QByteArray compositor = "WAYLAND_DISPLAY=" + (wayland.isEmpty() ? "wayland-0" : wayland);
    QByteArray problem;
    if (triedWayland && triedX11 && !display.isEmpty())
        problem = compositor + " is niet bereikbaar, DISPLAY=" + display + " evenmin";
    else if (triedWayland)
        problem = compositor + " is niet bereikbaar";
    else if (!triedX11)
        return {};
    else if (!display.isEmpty())
        problem = "DISPLAY=" + display + " is niet bereikbaar";
    else
        problem = chosen.isEmpty() ? "DISPLAY en WAYLAND_DISPLAY zijn niet gezet"
                                   : "DISPLAY is niet gezet";
    return "kolvart: geen beeldscherm: " + problem;
}

// What Qt says while it opens the display is held back until it has one.
// Where it finds none, QApplication's constructor ends with a fatal message;
// whatever its words, the program's one line takes the place of it, of the
// warnings before it and of Qt's abort. Plugins may speak from a thread of
// their own, hence the lock.
struct HeldMessage {
    QtMsgType type;
    QByteArray category;
    QString text;
};
std::mutex heldMutex;
QList<HeldMessage> held;
QtMessageHandler qtHandler = nullptr;
QByteArray platforms;

void passOnHeld() {
    const std::lock_guard lock(heldMutex);
    for (const HeldMessage& message : std::exchange(held, {})) {
        const char* category = message.category.isNull() ? nullptr : message.category.constData();
        qtHandler(message.type, QMessageLogContext(nullptr, 0, nullptr, category), message.text);
    }
}

void holdStartMessage(QtMsgType type, const QMessageLogContext& context, const QString& text) {
    if (type != QtFatalMsg) {
        const std::lock_guard lock(heldMutex);
        held.append({type, QByteArray(context.category), text});
        return;
    }
    if (const QByteArray line = noDisplay(platforms); !line.isEmpty()) {
        std::fprintf(stderr, "%s\n", line.constData());
        std::_Exit(1); // at once, in the middle of Qt's start
    }
    passOnHeld(); // another platform's failure is Qt's to tell
    qtHandler(type, context, text);
}

} // namespace

// Starts Qt with the program's names and Qt's own translations, builds the
// printer and the desktop the window is handed, shows the window and runs
// the event loop. Where Qt can open no display, one line on standard error
// says which, and the program ends with status 1.
int main(int argc, char* argv[]) {
    using namespace kolvart;
    platforms = chosenPlatforms(argc, argv);
    qtHandler = qInstallMessageHandler(holdStartMessage);
    QApplication app(argc, argv);
    qInstallMessageHandler(qtHandler);
    passOnHeld(); // Qt has found a display, perhaps after another it could not open
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
