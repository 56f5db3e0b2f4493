#pragma once

#include <QList>
#include <QString>
#include <QtGlobal>

class QEvent;

namespace kolvart {

// One character of an input method's commit: its text (one code point, two
// UTF-16 units for one beyond the basic plane) and the 16-bit character code
// that a key press typing it would carry (its first UTF-16 unit).
struct CommittedCharacter {
    QString text;
    qint16 code = 0;
};

// The characters of a commit one by one, in order, so that each can pass the
// same filter as a typed character.
QList<CommittedCharacter> committedCharacters(const QString& commit);

// True for every event through which the user acts on a control: keys,
// access keys, input-method text, mouse buttons, the wheel, touch and the
// context menu.
bool isUserInput(const QEvent& event);

} // namespace kolvart
