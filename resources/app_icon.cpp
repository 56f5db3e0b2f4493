#include "resources/app_icon.h"

namespace kolvart {

QIcon applicationIcon() {
    return QIcon(QString::fromLatin1(iconResourcePath));
}

} // namespace kolvart
