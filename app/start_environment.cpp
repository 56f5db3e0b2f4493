#include "app/start_environment.h"

#include "app/start_messages.h"

#include <QByteArray>
#include <QByteArrayList>
#include <QtGlobal>

namespace kolvart {
namespace {

// The desktop names a list of desktops, GNOME among them in its own
// session and in the sessions built on it ("ubuntu:GNOME").
bool onGnome() {
    return qgetenv("XDG_CURRENT_DESKTOP").toLower().split(':').contains("gnome");
}

} // namespace

void prepareStartEnvironment(int argc, char* argv[]) {
    if (!qEnvironmentVariableIsSet("NO_AT_BRIDGE"))
        qputenv("NO_AT_BRIDGE", "1");
    if (onGnome() && chosenPlatforms(argc, argv).isEmpty() &&
        !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") && !qEnvironmentVariableIsEmpty("DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "xcb;wayland");
}

} // namespace kolvart
