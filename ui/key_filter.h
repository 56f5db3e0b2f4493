#pragma once

#include <QObject>
#include <QtGlobal>

class QInputMethodEvent;
class QKeyEvent;
class QLineEdit;
class QPushButton;
class QShortcutEvent;
class QWidget;

namespace kolvart {

// What the key filter calls on the window: the KeyPress handler of a box,
// and whether the program has ended.
class KeyPressHandlers {
public:
    // The KeyPress handler of box, given the character code that is about to
    // reach it. The handler may change the code; KeyCode::None discards the
    // character.
    virtual void keyPress(QLineEdit& box, qint16& keyAscii) = 0;
    // True once the program has ended: from then on no input is handled.
    virtual bool ended() const = 0;

protected:
    ~KeyPressHandlers() = default;
};

// Every way a character reaches a box ends in the box's KeyPress handler:
// key presses and input-method commits are turned into character codes, and
// only what the handler lets through reaches the box. The access keys of the
// buttons click at once. Once the program has ended, no user input reaches a
// watched control.
class KeyFilter final : public QObject {
    Q_OBJECT

public:
    explicit KeyFilter(KeyPressHandlers& handlers);

    // Filters the events of a box, a button or the window itself.
    void watch(QWidget& control);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool boxKeyPress(QLineEdit& box, const QKeyEvent& event);
    bool boxInputMethod(QLineEdit& box, const QInputMethodEvent& event);
    static bool accessKey(QPushButton& button, const QShortcutEvent& event);

    KeyPressHandlers& handlers_;
    const QInputMethodEvent* forwarding_ = nullptr; // a filtered commit on its way to its box
};

} // namespace kolvart
