#include "ui/character_code.h"

#include "ui/key_codes.h"

#include <QKeyEvent>

namespace kolvart {
namespace {

// The control character that Ctrl with this key types, if any.
std::optional<qint16> controlCode(int key, Qt::KeyboardModifiers modifiers) {
    if (key >= Qt::Key_A && key <= Qt::Key_Z)
        return static_cast<qint16>(KeyCode::ControlA + (key - Qt::Key_A));
    switch (key) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return KeyCode::LineFeed;
    case Qt::Key_Backspace:
        return KeyCode::Delete;
    case Qt::Key_Space:
        return KeyCode::Space;
    default:
        break;
    }
    // The punctuation and digit keys of the main block; the keypad's digits
    // and minus make no control characters.
    if (modifiers.testFlag(Qt::KeypadModifier))
        return std::nullopt;
    switch (key) {
    case Qt::Key_2:
    case Qt::Key_At:
        return KeyCode::None;
    case Qt::Key_BracketLeft:
    case Qt::Key_BraceLeft:
        return KeyCode::Escape;
    case Qt::Key_Backslash:
    case Qt::Key_Bar:
        return KeyCode::FileSeparator;
    case Qt::Key_BracketRight:
    case Qt::Key_BraceRight:
        return KeyCode::GroupSeparator;
    case Qt::Key_6:
    case Qt::Key_AsciiCircum:
        return KeyCode::RecordSeparator;
    case Qt::Key_Minus:
    case Qt::Key_Underscore:
        return KeyCode::UnitSeparator;
    default:
        return std::nullopt;
    }
}

} // namespace

std::optional<qint16> characterCode(const QKeyEvent& event) {
    const int key = event.key();
    switch (key) {
    case Qt::Key_Escape:
        return KeyCode::Escape;
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
    case Qt::Key_Delete:
        return std::nullopt;
    default:
        break;
    }

    const Qt::KeyboardModifiers modifiers = event.modifiers();
    const bool control = modifiers.testFlag(Qt::ControlModifier) &&
                         !modifiers.testFlag(Qt::AltModifier) &&
                         !modifiers.testFlag(Qt::MetaModifier);
    if (control)
        return controlCode(key, modifiers);

    switch (key) {
    case Qt::Key_Backspace:
        return KeyCode::Backspace;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return KeyCode::Return;
    default:
        break;
    }

    const QString text = event.text();
    if (text.isEmpty())
        return std::nullopt;
    const char16_t unit = text.front().unicode();
    if (unit == KeyCode::Delete)
        return std::nullopt; // Delete on some keyboards, whatever its key code says
    return static_cast<qint16>(unit);
}

bool isCommandChord(const QKeyEvent& event) {
    const Qt::KeyboardModifiers modifiers = event.modifiers();
    if (!modifiers.testFlag(Qt::AltModifier) && !modifiers.testFlag(Qt::MetaModifier))
        return false;
    // A key that types a character without Alt and Meta, or whose event
    // carries printable text (Ctrl+Alt+1 carries "1"), makes a command;
    // Alt+Left or Alt+F4 stay what they are.
    const QKeyEvent bare(event.type(), event.key(),
                         modifiers & ~(Qt::AltModifier | Qt::MetaModifier), event.text());
    const QString text = event.text();
    return characterCode(bare).has_value() || (!text.isEmpty() && text.front().isPrint());
}

} // namespace kolvart
