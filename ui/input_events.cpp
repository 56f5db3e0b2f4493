#include "ui/input_events.h"

#include <QEvent>

namespace kolvart {

QList<CommittedCharacter> committedCharacters(const QString& commit) {
    QList<CommittedCharacter> characters;
    for (qsizetype i = 0; i < commit.size();) {
        const bool pair =
            commit[i].isHighSurrogate() && i + 1 < commit.size() && commit[i + 1].isLowSurrogate();
        const qsizetype length = pair ? 2 : 1;
        characters.append({commit.mid(i, length), static_cast<qint16>(commit[i].unicode())});
        i += length;
    }
    return characters;
}

bool isUserInput(const QEvent& event) {
    switch (event.type()) {
    case QEvent::Shortcut:
    case QEvent::ShortcutOverride:
    case QEvent::InputMethod:
        return true;
    default:
        return event.isInputEvent();
    }
}

} // namespace kolvart
