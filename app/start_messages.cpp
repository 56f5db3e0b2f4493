#include "app/start_messages.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QtGlobal>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <utility>

namespace kolvart {
namespace {

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

// Where Qt finds no display, QApplication's constructor ends with a fatal
// message; whatever its words, the program's one line takes the place of it,
// of the warnings before it and of Qt's abort. Plugins may speak from a thread
// of their own, hence the lock.
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

QByteArray chosenPlatforms(int argc, char* argv[]) {
    for (int i = 1; i + 1 < argc; ++i) {
        if (std::strcmp(argv[i], "-platform") == 0 || std::strcmp(argv[i], "--platform") == 0)
            return argv[i + 1];
    }
    return qgetenv("QT_QPA_PLATFORM");
}

void holdStartMessages(int argc, char* argv[]) {
    platforms = chosenPlatforms(argc, argv);
    qtHandler = qInstallMessageHandler(holdStartMessage);
}

void releaseStartMessages() {
    qInstallMessageHandler(qtHandler);
    passOnHeld();
}

} // namespace kolvart
