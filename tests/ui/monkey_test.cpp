// Thousands of random key presses, input-method commits, access keys, pastes
// and clicks on the window. It must
// never crash, the result boxes must change only through a calculation (or
// through the editing that keys without a character and pastes do), and the
// entry boxes must hold only what the filter let through or a paste brought.
#include "calc/coil_design.h"
#include "tests/report/fake_report_platform.h"
#include "ui/desktop.h"
#include "ui/frmkolvart.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QInputMethodEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QRandomGenerator>
#include <QSet>
#include <QTest>
#include <QTimer>

namespace {

class QuietDesktop : public kolvart::Desktop {
public:
    void beep() override { ++beeps; }
    void endProgram() override { ++ends; }
    int beeps = 0;
    int ends = 0;
};

// What an action may have done to the boxes.
enum class Effect {
    Typed,               // a key or commit that types characters: only the filter decides
    Edited,              // a key without a character: edits any box as it does by itself
    Pasted,              // a paste: any box may take the clipboard's text
    Calculated,          // the calculation ran
    CalculatedThenTyped, // the calculation ran on the entries as they stood, then a key
    Other,               // printing, focus moves, clicks on labels: no box changes
};

const char* const entryNames[] = {"txtSpD", "txtDD", "txtZI"};
const char* const resultNames[] = {"txtSpD2", "txtSpL", "txtAW"};

} // namespace

class MonkeyTest : public QObject {
    Q_OBJECT

private slots:
    void randomUse();

private:
    QLineEdit* box(const char* name) const { return window_->findChild<QLineEdit*>(name); }
    QStringList texts(const char* const (&names)[3]) const;
    QString randomText();
    Effect act();
    Effect pressKey(QWidget* target);
    Effect commit();
    Effect accessKeyThenDigit();
    Effect paste(QLineEdit* target);
    Effect calculate();

    QRandomGenerator random_;
    kolvart::PrinterScript printer_;
    QuietDesktop* desktop_ = nullptr;
    std::unique_ptr<kolvart::frmKolvart> window_;
    QSet<QChar> pasted_;
    QString sentToClipboard_;
};

QStringList MonkeyTest::texts(const char* const (&names)[3]) const {
    return {box(names[0])->text(), box(names[1])->text(), box(names[2])->text()};
}

QString MonkeyTest::randomText() {
    static const QString pieces[] = {QStringLiteral("10"),
                                     QStringLiteral("0.5"),
                                     QStringLiteral("1.2.3"),
                                     QStringLiteral("-7"),
                                     QStringLiteral("1e308"),
                                     QStringLiteral("1e39"),
                                     QStringLiteral(" 3"),
                                     QStringLiteral("abc"),
                                     QStringLiteral("µH"),
                                     QStringLiteral("٫٣"),
                                     QStringLiteral("\t"),
                                     QStringLiteral("0.001"),
                                     QStringLiteral("99999999999999999999999999999999999999999"),
                                     QStringLiteral("😀")};
    QString text;
    const int count = random_.bounded(1, 4);
    for (int i = 0; i < count; ++i)
        text += pieces[random_.bounded(int(std::size(pieces)))];
    if (random_.bounded(20) == 0)
        text += QString(random_.bounded(1000, 5000), QLatin1Char('9'));
    return text;
}

Effect MonkeyTest::pressKey(QWidget* target) {
    struct Key {
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
        Effect effect;
    };
    static const Key keys[] = {
        {Qt::Key_0, Qt::NoModifier, Effect::Typed},
        {Qt::Key_5, Qt::NoModifier, Effect::Typed},
        {Qt::Key_9, Qt::NoModifier, Effect::Typed},
        {Qt::Key_Period, Qt::NoModifier, Effect::Typed},
        {Qt::Key_Comma, Qt::NoModifier, Effect::Typed},
        {Qt::Key_Minus, Qt::NoModifier, Effect::Typed},
        {Qt::Key_E, Qt::NoModifier, Effect::Typed},
        {Qt::Key_Z, Qt::ShiftModifier, Effect::Typed},
        {Qt::Key_Space, Qt::NoModifier, Effect::Typed},
        {Qt::Key_Backspace, Qt::NoModifier, Effect::Typed},
        {Qt::Key_Return, Qt::NoModifier, Effect::Typed},
        {Qt::Key_Escape, Qt::NoModifier, Effect::Typed},
        {Qt::Key_A, Qt::ControlModifier, Effect::Typed},
        {Qt::Key_C, Qt::ControlModifier, Effect::Typed},
        {Qt::Key_V, Qt::ControlModifier, Effect::Typed},
        {Qt::Key_X, Qt::ControlModifier, Effect::Typed},
        {Qt::Key_Z, Qt::ControlModifier, Effect::Typed},
        {Qt::Key_Return, Qt::ControlModifier, Effect::Typed},
        {Qt::Key_Backspace, Qt::ControlModifier, Effect::Typed},
        {Qt::Key_BracketLeft, Qt::ControlModifier, Effect::Typed},
        {Qt::Key_2, Qt::ControlModifier, Effect::Typed},
        {Qt::Key_Minus, Qt::ControlModifier, Effect::Typed},
        {Qt::Key_1, Qt::AltModifier, Effect::Typed},
        {Qt::Key_Period, Qt::AltModifier, Effect::Typed},
        {Qt::Key_E, Qt::AltModifier, Effect::Typed},
        {Qt::Key_Delete, Qt::NoModifier, Effect::Edited},
        {Qt::Key_Delete, Qt::ShiftModifier, Effect::Edited},
        {Qt::Key_Left, Qt::ShiftModifier, Effect::Other},
        {Qt::Key_Right, Qt::NoModifier, Effect::Other},
        {Qt::Key_Home, Qt::NoModifier, Effect::Other},
        {Qt::Key_End, Qt::ShiftModifier, Effect::Other},
        {Qt::Key_Tab, Qt::NoModifier, Effect::Other},
        {Qt::Key_Backtab, Qt::ShiftModifier, Effect::Other},
        {Qt::Key_F1, Qt::NoModifier, Effect::Other},
        {Qt::Key_Insert, Qt::NoModifier, Effect::Other},
        {Qt::Key_Insert, Qt::ShiftModifier, Effect::Pasted},
    };
    const Key& key = keys[random_.bounded(int(std::size(keys)))];
    // Enter or Space on a focused button clicks it.
    if (qobject_cast<QPushButton*>(target) &&
        (key.key == Qt::Key_Return || key.key == Qt::Key_Space)) {
        const bool bereken = target->objectName() == QLatin1String("cmdBereken");
        if (target->objectName() == QLatin1String("cmdStoppen"))
            return Effect::Other; // the program would end: kept for the last action
        QTest::keyClick(target, key.key, key.modifiers);
        return bereken ? Effect::Calculated : Effect::Other;
    }
    QTest::keyClick(target, key.key, key.modifiers);
    return key.effect;
}

Effect MonkeyTest::commit() {
    // What dead keys, Compose and input methods commit, with the pre-edit
    // that some show first; an empty commit cancels the pre-edit.
    static const QString commits[] = {QStringLiteral("é"),   QStringLiteral("ü"),
                                      QStringLiteral("1é2"), QStringLiteral("5"),
                                      QStringLiteral("."),   QStringLiteral("½"),
                                      QStringLiteral("²"),   QStringLiteral("٣"),
                                      QStringLiteral("😀"),   QString(),
                                      QStringLiteral("\r"),  QStringLiteral("1\r2"),
                                      QStringLiteral("\b"),  QStringLiteral("7\b")};
    static const QString preedits[] = {QString(), QStringLiteral("´"), QStringLiteral("12")};
    auto* target = qobject_cast<QLineEdit*>(QApplication::focusWidget());
    if (!target) {
        target = box(random_.bounded(2) ? entryNames[random_.bounded(3)]
                                        : resultNames[random_.bounded(3)]);
        target->setFocus();
    }
    const QString& preedit = preedits[random_.bounded(int(std::size(preedits)))];
    if (!preedit.isEmpty()) {
        QInputMethodEvent composing(preedit, {});
        QApplication::sendEvent(target, &composing);
    }
    QInputMethodEvent committed;
    committed.setCommitString(commits[random_.bounded(int(std::size(commits)))]);
    QApplication::sendEvent(target, &committed);
    return Effect::Typed;
}

Effect MonkeyTest::accessKeyThenDigit() {
    // "&Bereken" or "&Afdruk", and a digit typed at once after it.
    const bool bereken = random_.bounded(2) == 0;
    QWidget* target = QApplication::focusWidget();
    QTest::keyClick(target ? target : window_.get(), bereken ? Qt::Key_B : Qt::Key_A,
                    Qt::AltModifier);
    target = QApplication::focusWidget();
    QTest::keyClick(target ? target : window_.get(), Qt::Key(Qt::Key_0 + random_.bounded(10)));
    return bereken ? Effect::CalculatedThenTyped : Effect::Typed;
}

Effect MonkeyTest::paste(QLineEdit* target) {
    sentToClipboard_ = randomText();
    QApplication::clipboard()->setText(sentToClipboard_);
    for (const QChar c : sentToClipboard_)
        pasted_.insert(c);
    target->setFocus();
    if (random_.bounded(2) == 0) {
        // The context menu's Paste, as a right click offers it.
        std::unique_ptr<QMenu> menu(target->createStandardContextMenu());
        for (QAction* action : menu->actions()) {
            if (action->objectName() == QLatin1String("edit-paste") && action->isEnabled())
                action->trigger();
        }
    } else {
        QTest::keyClick(target, Qt::Key_Insert, Qt::ShiftModifier);
    }
    return Effect::Pasted;
}

Effect MonkeyTest::calculate() {
    if (random_.bounded(10) == 0) {
        QWidget* target = QApplication::focusWidget();
        QTest::keyClick(target ? target : window_.get(), Qt::Key_B, Qt::AltModifier);
    } else {
        window_->findChild<QPushButton*>(QStringLiteral("cmdBereken"))->click();
    }
    return Effect::Calculated;
}

Effect MonkeyTest::act() {
    const int choice = random_.bounded(100);
    if (choice < 55) {
        QWidget* target = QApplication::focusWidget();
        return pressKey(target ? target : window_.get());
    }
    if (choice < 63) {
        const char* name =
            random_.bounded(2) ? entryNames[random_.bounded(3)] : resultNames[random_.bounded(3)];
        return paste(box(name));
    }
    if (choice < 73)
        return calculate();
    if (choice < 83) {
        // Select an entry and type a number over it, as a user mostly does.
        QLineEdit* target = box(entryNames[random_.bounded(3)]);
        target->setFocus();
        QTest::keyClick(target, Qt::Key_Home);
        QTest::keyClick(target, Qt::Key_End, Qt::ShiftModifier);
        QTest::keyClicks(target, QString::number(random_.bounded(1, 400)) + QStringLiteral(".") +
                                     QString::number(random_.bounded(0, 100)));
        return Effect::Typed;
    }
    if (choice < 88)
        return commit();
    if (choice < 92)
        return accessKeyThenDigit();
    // A click somewhere: a box, a label, a frame.
    const QList<QWidget*> widgets = window_->findChildren<QWidget*>();
    QWidget* target = widgets[random_.bounded(int(widgets.size()))];
    if (target->objectName() == QLatin1String("cmdStoppen") || !target->isVisible())
        return Effect::Other;
    const bool bereken = target->objectName() == QLatin1String("cmdBereken");
    const bool print = target->objectName() == QLatin1String("cmdAfdruk");
    if (!bereken && !print && qobject_cast<QPushButton*>(target))
        return Effect::Other;
    QTest::mouseClick(target, Qt::LeftButton, {},
                      QPoint(random_.bounded(qMax(1, target->width())),
                             random_.bounded(qMax(1, target->height()))));
    return bereken ? Effect::Calculated : Effect::Other;
}

void MonkeyTest::randomUse() {
    const quint32 seed = qEnvironmentVariableIsSet("KOLVART_MONKEY_SEED")
                             ? quint32(qEnvironmentVariableIntValue("KOLVART_MONKEY_SEED"))
                             : 20261207u;
    const int actions = qEnvironmentVariableIsSet("KOLVART_MONKEY_ACTIONS")
                            ? qEnvironmentVariableIntValue("KOLVART_MONKEY_ACTIONS")
                            : 4000;
    qInfo("seed %u, %d actions", seed, actions);
    random_.seed(seed);

    auto desktop = std::make_unique<QuietDesktop>();
    desktop_ = desktop.get();
    window_ = std::make_unique<kolvart::frmKolvart>(
        std::move(desktop), std::make_unique<kolvart::FakeReportPlatform>(printer_));
    window_->showCentred();
    QVERIFY(QTest::qWaitForWindowActive(window_.get()));

    // Fault messages are answered as soon as they show.
    int faultBoxes = 0;
    QTimer answer;
    connect(&answer, &QTimer::timeout, this, [&faultBoxes] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            ++faultBoxes;
            box->accept();
        }
    });
    answer.start(1);

    int calculated = 0;
    for (int step = 0; step < actions; ++step) {
        // Back from a message box a window manager would activate the window.
        if (!window_->isActiveWindow()) {
            window_->activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(window_.get()));
        }
        const QStringList entriesBefore = texts(entryNames);
        const QStringList resultsBefore = texts(resultNames);
        const Effect effect = act();
        const QStringList entries = texts(entryNames);
        const QStringList results = texts(resultNames);
        const QString where = QStringLiteral("step %1 of seed %2").arg(step).arg(seed);

        for (const QString& entry : entries) {
            for (const QChar c : entry)
                QVERIFY2((c >= QLatin1Char('0') && c <= QLatin1Char('9')) ||
                             c == QLatin1Char('.') || pasted_.contains(c),
                         qPrintable(where + QStringLiteral(": ") + entry));
        }
        if (effect == Effect::Typed || effect == Effect::Other)
            QVERIFY2(results == resultsBefore, qPrintable(where));
        const bool calculation =
            effect == Effect::Calculated || effect == Effect::CalculatedThenTyped;
        if (calculation && results != resultsBefore) {
            // A calculation writes exactly what the calculation gives for
            // the entries as they stood, before any key that follows it.
            const auto design =
                kolvart::Bereken(entriesBefore[0].toStdString(), entriesBefore[1].toStdString(),
                                 entriesBefore[2].toStdString());
            QVERIFY2(design.has_value(), qPrintable(where));
            QCOMPARE(results, (QStringList{QString::fromStdString(design->diameter),
                                           QString::fromStdString(design->length),
                                           QString::fromStdString(design->turns)}));
            if (effect == Effect::Calculated)
                QCOMPARE(entries, entriesBefore);
            ++calculated;
        }
        QCOMPARE(desktop_->ends, 0);
    }
    qInfo("%d calculations, %d fault messages, %d beeps, %d printer operations", calculated,
          faultBoxes, desktop_->beeps, printer_.operations);
    QVERIFY(calculated > 0);
    QVERIFY(desktop_->beeps > 0);

    window_->findChild<QPushButton*>(QStringLiteral("cmdStoppen"))->click();
    QCOMPARE(desktop_->ends, 1);
}

QTEST_MAIN(MonkeyTest)
#include "monkey_test.moc"
