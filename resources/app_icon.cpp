#include "resources/app_icon.h"

namespace kolvart {

QIcon applicationIcon() {
    QIcon icon(QString::fromLatin1(iconResourcePath));
    for (const char* file :
         {":/icons/kolvart-64.png", ":/icons/kolvart-128.png", ":/icons/kolvart-256.png"}) {
        icon.addFile(QString::fromLatin1(file));
    }
    return icon;
}

} // namespace kolvart
