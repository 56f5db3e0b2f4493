#include "ui/key_filter.h"

#include "ui/character_code.h"
#include "ui/key_codes.h"

#include <QCoreApplication>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QList>
#include <QPushButton>
#include <QShortcutEvent>
#include <QString>

namespace kolvart {
namespace {

// One character of an input method's commit: its text (one code point, two
// UTF-16 units for one beyond the basic plane) and the character code that a
// key press typing it would carry (its first UTF-16 unit).
struct CommittedCharacter {
    QString text;
    qint16 code = KeyCode::None;
};

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

// Every event through which the user acts on a control: keys, access keys,
// input-method text, mouse buttons, the wheel, touch and the context menu.
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

} // namespace

KeyFilter::KeyFilter(KeyPressHandlers& handlers)
    : handlers_(handlers) {}

void KeyFilter::watch(QWidget& control) {
    control.installEventFilter(this);
}

bool KeyFilter::eventFilter(QObject* watched, QEvent* event) {
    // Once the program has ended, input still queued (keys typed ahead,
    // clicks, access keys) reaches no control and runs no handler.
    if (isUserInput(*event) && handlers_.ended())
        return true;
    switch (event->type()) {
    case QEvent::KeyPress:
        if (auto* box = qobject_cast<QLineEdit*>(watched))
            return boxKeyPress(*box, *static_cast<QKeyEvent*>(event));
        break;
    case QEvent::InputMethod:
        if (auto* box = qobject_cast<QLineEdit*>(watched))
            return boxInputMethod(*box, *static_cast<QInputMethodEvent*>(event));
        break;
    case QEvent::Shortcut:
        if (auto* button = qobject_cast<QPushButton*>(watched))
            return accessKey(*button, *static_cast<QShortcutEvent*>(event));
        break;
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}

bool KeyFilter::boxKeyPress(QLineEdit& box, const QKeyEvent& event) {
    // Alt with a key that is no access key types nothing (an access key never
    // gets here: Qt turns it into a shortcut first).
    if (isCommandChord(event))
        return true;
    const std::optional<qint16> code = characterCode(event);
    if (!code) {
        // Keys that type nothing edit and move as the box does by itself. Ctrl
        // with a keypad key types nothing either, though the box would insert
        // the key's text past the filter.
        const QString text = event.text();
        return event.modifiers().testFlag(Qt::ControlModifier) && !text.isEmpty() &&
               text.front().isPrint();
    }

    qint16 keyAscii = *code;
    handlers_.keyPress(box, keyAscii);
    // A discarded character goes no further, and Enter has done its work
    // through the handler.
    return keyAscii == KeyCode::None || keyAscii == KeyCode::Return;
}

bool KeyFilter::boxInputMethod(QLineEdit& box, const QInputMethodEvent& event) {
    if (&event == forwarding_)
        return false;
    // Composed text (dead keys, Compose, an input method) comes as a commit
    // instead of key presses: each of its characters goes through the box's
    // KeyPress handler as if typed, and only what that lets through reaches
    // the box. The pre-edit is not shown, so no text stands in a box that
    // the handler has not seen; nor is surrounding text replaced, since the
    // input method cannot know which of its characters were refused.
    QLineEdit* target = &box;
    QString passed;
    const auto deliver = [&] {
        if (passed.isEmpty())
            return;
        QInputMethodEvent commit;
        commit.setCommitString(passed);
        forwarding_ = &commit;
        QCoreApplication::sendEvent(target, &commit);
        forwarding_ = nullptr;
        passed.clear();
    };
    for (const CommittedCharacter& character : committedCharacters(event.commitString())) {
        qint16 keyAscii = character.code;
        handlers_.keyPress(*target, keyAscii);
        if (keyAscii == KeyCode::None)
            continue;
        if (keyAscii == KeyCode::Return) {
            // What follows goes where Enter has put the focus.
            deliver();
            if (auto* next = qobject_cast<QLineEdit*>(target->window()->focusWidget()))
                target = next;
        } else if (keyAscii == KeyCode::Backspace) {
            deliver();
            target->backspace();
        } else {
            passed += character.text;
        }
    }
    deliver();
    return true;
}

bool KeyFilter::accessKey(QPushButton& button, const QShortcutEvent& event) {
    if (event.isAmbiguous())
        return false;
    // Qt would animate the click and make it 100 ms later: keys typed in the
    // meantime would reach the boxes first, and the click could still come
    // inside a modal box or after the end of the program. The click is made
    // now instead.
    button.click();
    return true;
}

} // namespace kolvart
