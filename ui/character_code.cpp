#include "ui/character_code.h"

#include <QKeyEvent>

namespace kolvart {

std::optional<qint16> characterCode(const QKeyEvent& event) {
    const int key = event.key();
    switch (key) {
    case Qt::Key_Backspace:
        return 8;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return 13;
    case Qt::Key_Escape:
        return 27;
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
    case Qt::Key_Delete:
        return std::nullopt;
    default:
        break;
    }

    // Ctrl with a letter types the control character of that letter
    // (Ctrl+A is 1, Ctrl+V is 22), whatever text the event carries.
    const Qt::KeyboardModifiers modifiers = event.modifiers();
    const bool control = modifiers.testFlag(Qt::ControlModifier) &&
                         !modifiers.testFlag(Qt::AltModifier) &&
                         !modifiers.testFlag(Qt::MetaModifier);
    if (control && key >= Qt::Key_A && key <= Qt::Key_Z)
        return static_cast<qint16>(key - Qt::Key_A + 1);

    const QString text = event.text();
    if (text.isEmpty())
        return std::nullopt;
    const char16_t unit = text.front().unicode();
    if (unit == 0x7f)
        return std::nullopt; // Delete on some keyboards, whatever its key code says
    return static_cast<qint16>(unit);
}

} // namespace kolvart
