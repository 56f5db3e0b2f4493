#pragma once

#include <QIcon>

namespace kolvart {

// Resource path of the 32 x 32, 256-colour icon of the window and the program.
inline constexpr char iconResourcePath[] = ":/icons/kolvart.png";

// The window's icon: the 32 x 32 image. Needs a QGuiApplication.
inline QIcon applicationIcon() {
    return QIcon(QString::fromLatin1(iconResourcePath));
}

} // namespace kolvart
