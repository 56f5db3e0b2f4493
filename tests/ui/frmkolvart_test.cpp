// The main window driven as a user would: keys, clicks and what they leave.
#include "report/print_job.h"
#include "tests/report/fake_report_platform.h"
#include "tests/ui/named_child.h"
#include "ui/desktop.h"
#include "ui/frmkolvart.h"
#include "ui/layout.h"

#include <QAccessible>
#include <QApplication>
#include <QClipboard>
#include <QFontInfo>
#include <QFontMetrics>
#include <QGroupBox>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QScopeGuard>
#include <QStyle>
#include <QStyleFactory>
#include <QStyleOptionGroupBox>
#include <QTest>
#include <QTimer>

using kolvart::frmKolvart;

namespace {

// Counts beeps and program ends instead of making them.
class FakeDesktop : public kolvart::Desktop {
public:
    FakeDesktop(int& beeps, int& ends)
        : beeps_(beeps)
        , ends_(ends) {}
    void beep() override { ++beeps_; }
    void endProgram() override { ++ends_; }

private:
    int& beeps_;
    int& ends_;
};

// One key as the user presses it: the key, its modifiers and the text the
// platform attaches (a null text means "as QTest makes it"). With the key
// Qt::Key_unknown it is an input method's event instead: the text it commits
// and the pre-edit it shows.
struct Key {
    Qt::Key key;
    Qt::KeyboardModifiers modifiers = Qt::NoModifier;
    QString text = QString();
    QString preedit = QString();
};

Key commit(const QString& text, const QString& preedit = QString()) {
    return {Qt::Key_unknown, Qt::NoModifier, text, preedit};
}

// A key with the modifiers and text that the X11 platform gives it.
Key x11(Qt::Key key, Qt::KeyboardModifiers modifiers, const QString& text) {
    return {key, modifiers, text};
}

// Rows of the application's font: Qt's default as the tests start, and a
// desktop's larger text size, which the window grows for.
void addFontRows() {
    QTest::addColumn<QFont>("applicationFont");
    QTest::newRow("default font") << QFont();
    QTest::newRow("Noto Sans 16") << QFont(QStringLiteral("Noto Sans"), 16);
}

// A row whose font or style is not installed is skipped, unless the run
// demands every tool, font and style that Debian packages for this Qt.
void skipOrFailWithout(const QString& name,
                       const char* packages = "fonts-noto-core, fonts-cantarell",
                       bool packaged = true) {
    if (packaged && qEnvironmentVariable("KOLVART_TEST_REQUIRE_ALL") == QLatin1String("1"))
        QFAIL(qPrintable(name + QStringLiteral(" is not installed")));
    QSKIP(qPrintable(name + QStringLiteral(" is not installed (%1)").arg(QLatin1String(packages))));
}

} // namespace

Q_DECLARE_METATYPE(QList<Key>)

class FrmKolvartTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void startsEmptyCentredWithTheCaretInTheDiameter_data();
    void startsEmptyCentredWithTheCaretInTheDiameter();
    void placesEveryControl_data();
    void placesEveryControl();
    void usesTheFontsOfItsCaptions_data() { addFontRows(); }
    void usesTheFontsOfItsCaptions();
    void clipsNoCaption_data() { addFontRows(); }
    void clipsNoCaption();
    void namesEveryBoxAndButtonForScreenReaders();
    void tabWalksTheFocusCycle();
    void enterWalksTheEntryRing();
    void filtersKeys_data();
    void filtersKeys();
    void commitAfterEnterGoesToTheNextEntry();
    void deleteStillEditsAResultBox();
    void pasteKeepsLongTexts();
    void keysClickOnlyTheFocusedButton_data();
    void keysClickOnlyTheFocusedButton();
    void typicalRoad();
    void accessKeysWorkFromAnyBox();
    void accessKeyActsBeforeTheNextKey_data();
    void accessKeyActsBeforeTheNextKey();
    void failingGuardChangesNothing();
    void faultIsReportedAndChangesNothing_data();
    void faultIsReportedAndChangesNothing();
    void modalBoxDoesNotActivateAgain();
    void stopEndsTheProgram();
    void stopDropsQueuedInput();
    void labelsShowTheirBackground_data();
    void labelsShowTheirBackground();
    void printsTheBoxesAsTheyStand();
    void printJobOutlivesModalBoxes();
    void stopReleasesTheJobThenEnds();
    void failingStopIsReportedAndEnds();
    void closingReleasesAnOpenJob_data();
    void closingReleasesAnOpenJob();

private:
    template <typename T> T* child(const char* name) const { return namedChild<T>(*window_, name); }
    QLineEdit* box(const char* name) const { return child<QLineEdit>(name); }
    // Opens the window anew with the row's font as the application's (false
    // where that font is missing), and what the window is scaled by, as its
    // width shows it.
    bool openWith(const QFont& font);
    qreal factor() const { return window_->width() / (5316.0 / kolvart::twipsPerPixel); }
    void press(QWidget* target, const Key& key);
    // Runs check() on the message box that the next modal loop opens, then
    // closes it. Deleting the returned watch stops the waiting.
    QPointer<QTimer> whenMessageBoxOpens(std::function<void(QMessageBox*)> check);

    int count(const std::string& entry) const {
        return static_cast<int>(std::count(printer_.log.begin(), printer_.log.end(), entry));
    }
    void enter(const char* spD, const char* dd, const char* zi);

    kolvart::PrinterScript printer_;
    QFont startFont_;    // the application's font as the tests start
    QString startStyle_; // and its style
    std::unique_ptr<frmKolvart> window_;
    int beeps_ = 0;
    int ends_ = 0;
};

// Set by main() in the program; the window's boxes take their title from it.
void FrmKolvartTest::initTestCase() {
    QApplication::setApplicationName(QStringLiteral("Kolvart"));
    startFont_ = QApplication::font();
    startStyle_ = QApplication::style()->name();
}

void FrmKolvartTest::init() {
    beeps_ = 0;
    ends_ = 0;
    printer_ = kolvart::PrinterScript();
    window_ = std::make_unique<frmKolvart>(std::make_unique<FakeDesktop>(beeps_, ends_),
                                           std::make_unique<kolvart::FakeReportPlatform>(printer_));
    window_->showCentred();
    QVERIFY(QTest::qWaitForWindowActive(window_.get()));
}

void FrmKolvartTest::cleanup() {
    window_.reset();
    QApplication::setFont(startFont_);
    if (QApplication::style()->name() != startStyle_)
        QApplication::setStyle(startStyle_);
}

bool FrmKolvartTest::openWith(const QFont& font) {
    if (font == startFont_)
        return true;
    if (QFontInfo(font).family() != font.family()) { // a stand-in would prove nothing
        skipOrFailWithout(font.family());
        return false;
    }
    window_.reset();
    QApplication::setFont(font);
    init();
    return true;
}

void FrmKolvartTest::press(QWidget* target, const Key& key) {
    if (key.key == Qt::Key_unknown) {
        QInputMethodEvent event(key.preedit, {});
        event.setCommitString(key.text);
        QApplication::sendEvent(target, &event);
        return;
    }
    if (key.text.isNull()) {
        QTest::keyClick(target, key.key, key.modifiers);
        return;
    }
    // An event as the X11 platform makes it, with its own text.
    QKeyEvent pressEvent(QEvent::KeyPress, key.key, key.modifiers, key.text);
    QApplication::sendEvent(target, &pressEvent);
    QKeyEvent releaseEvent(QEvent::KeyRelease, key.key, key.modifiers, key.text);
    QApplication::sendEvent(target, &releaseEvent);
}

QPointer<QTimer> FrmKolvartTest::whenMessageBoxOpens(std::function<void(QMessageBox*)> check) {
    // Polls from inside the modal loop that the box runs.
    auto* poll = new QTimer(this);
    connect(poll, &QTimer::timeout, this, [poll, check] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box)
            return;
        poll->deleteLater();
        poll->stop();
        check(box);
        box->accept();
    });
    poll->start(10);
    return poll;
}

void FrmKolvartTest::startsEmptyCentredWithTheCaretInTheDiameter_data() {
    QTest::addColumn<QFont>("applicationFont");
    QTest::addColumn<bool>("asDesigned"); // every text fits the window as designed
    QTest::newRow("default font") << QFont() << true;
    QTest::newRow("GNOME's Cantarell 11") << QFont(QStringLiteral("Cantarell"), 11) << true;
    QTest::newRow("Noto Sans 16") << QFont(QStringLiteral("Noto Sans"), 16) << false;
}

void FrmKolvartTest::startsEmptyCentredWithTheCaretInTheDiameter() {
    QFETCH(QFont, applicationFont);
    QFETCH(bool, asDesigned);
    if (!openWith(applicationFont))
        return;
    QCOMPARE(window_->windowTitle(), QStringLiteral("Berekenen van luchtspoeltjes"));
    for (const char* name : {"txtSpD", "txtDD", "txtZI", "txtSpD2", "txtSpL", "txtAW"})
        QVERIFY2(box(name)->text().isEmpty(), name);
    QCOMPARE(QApplication::focusWidget(), box("txtSpD"));
    const QRect screen = window_->screen()->availableGeometry();
    QVERIFY(qAbs(window_->frameGeometry().center().x() - screen.center().x()) <= 1);
    QVERIFY(qAbs(window_->frameGeometry().center().y() - screen.center().y()) <= 1);
    QVERIFY(qAbs(window_->height() - 4632.0 / kolvart::twipsPerPixel * factor()) <= 1);
    if (asDesigned) // 5316 x 4632 twips, 354.4 x 308.8 pixels
        QCOMPARE(window_->size(), QSize(354, 309));
    QCOMPARE(window_->minimumSize(), window_->maximumSize());
    QVERIFY(!window_->windowIcon().isNull());
}

void FrmKolvartTest::placesEveryControl_data() {
    QTest::addColumn<QString>("container");
    QTest::addColumn<QRect>("geometry");
    QTest::addColumn<QFont>("applicationFont");
    const auto row = [](const char* name, const char* container, QRect geometry) {
        QTest::newRow(name) << QString::fromLatin1(container) << geometry << QFont();
        QTest::addRow("%s, Noto Sans 16", name)
            << QString::fromLatin1(container) << geometry << QFont(QStringLiteral("Noto Sans"), 16);
    };
    // The places as designed, in pixels worked out by hand from the twips (15
    // to a pixel, every edge on the nearest one): not by the window's own sums.
    row("Label1", "frmKolvart", QRect(8, 8, 337, 25));
    row("Line2", "frmKolvart", QRect(8, 32, 336, 1));
    row("Frame2", "frmKolvart", QRect(8, 40, 337, 105));
    row("Label2", "Frame2", QRect(8, 24, 217, 17));
    row("txtSpD", "Frame2", QRect(232, 24, 89, 19));
    row("Label3", "Frame2", QRect(8, 48, 209, 17));
    row("txtDD", "Frame2", QRect(232, 48, 89, 19));
    row("Label4", "Frame2", QRect(8, 72, 209, 17));
    row("txtZI", "Frame2", QRect(232, 72, 89, 19));
    row("Frame1", "frmKolvart", QRect(8, 152, 337, 105));
    row("Label7", "Frame1", QRect(8, 24, 201, 17));
    row("txtSpD2", "Frame1", QRect(232, 24, 89, 19));
    row("Label6", "Frame1", QRect(8, 48, 209, 17));
    row("txtSpL", "Frame1", QRect(232, 48, 89, 19));
    row("Label8", "Frame1", QRect(8, 72, 201, 17));
    row("txtAW", "Frame1", QRect(232, 72, 89, 19));
    row("cmdAfdruk", "frmKolvart", QRect(32, 272, 65, 25));
    row("cmdStoppen", "frmKolvart", QRect(144, 272, 65, 25));
    row("cmdBereken", "frmKolvart", QRect(256, 272, 65, 25));
}

void FrmKolvartTest::placesEveryControl() {
    QFETCH(QString, container);
    QFETCH(QRect, geometry);
    QFETCH(QFont, applicationFont);
    if (!openWith(applicationFont))
        return;
    auto* widget =
        child<QWidget>(qPrintable(QString::fromLatin1(QTest::currentDataTag()).section(',', 0, 0)));
    QCOMPARE(widget->parentWidget()->objectName(), container);
    const QRect shown = widget->geometry();
    // Today's pixels scaled by the window's factor, but for the rounding of
    // both from the twips and of the factor read off the window.
    const auto near = [scale = factor()](int edge, int today) {
        return qAbs(edge - today * scale) <= 1 + scale / 2;
    };
    if (applicationFont == startFont_)
        QCOMPARE(shown, geometry);
    else
        QVERIFY(near(shown.x(), geometry.x()) && near(shown.y(), geometry.y()) &&
                near(shown.width(), geometry.width()) && near(shown.height(), geometry.height()));
    QVERIFY(widget->isVisible());
}

void FrmKolvartTest::usesTheFontsOfItsCaptions() {
    QFETCH(QFont, applicationFont);
    if (!openWith(applicationFont))
        return;
    const QString standIn = QFontInfo(child<QLabel>("Label2")->font()).family();
    QVERIFY2(standIn == QLatin1String("Liberation Sans") || standIn == QLatin1String("Arimo"),
             qPrintable(standIn));
    for (const char* name : {"Frame1", "Frame2", "Label1", "Label2", "Label3", "Label4", "Label6",
                             "Label7", "Label8"}) {
        const QFont font = child<QWidget>(name)->font();
        const bool bold = name[0] == 'F' || QByteArray(name) == "Label1";
        QCOMPARE(QFontInfo(font).family(), standIn);
        QVERIFY(qAbs(font.pointSizeF() - 9.6 * factor()) < 0.02); // as the window grew
        QCOMPARE(font.weight(), bold ? QFont::Bold : QFont::Normal);
        QVERIFY(!font.italic() && !font.underline() && !font.strikeOut());
    }
    // Boxes and buttons keep the platform's font, also inside the bold frames.
    const QFont platform = QApplication::font();
    for (const char* name : {"txtSpD", "txtAW", "cmdBereken"}) {
        const QFont font = child<QWidget>(name)->font();
        QCOMPARE(font.family(), platform.family());
        QCOMPARE(font.weight(), platform.weight());
        QCOMPARE(font.pointSizeF(), platform.pointSizeF());
    }
}

void FrmKolvartTest::clipsNoCaption() {
    QFETCH(QFont, applicationFont);
    if (!openWith(applicationFont))
        return;
    for (QLabel* label : window_->findChildren<QLabel*>()) {
        const int needed = QFontMetrics(label->font()).horizontalAdvance(label->text());
        QVERIFY2(needed <= label->contentsRect().width(),
                 qPrintable(QStringLiteral("%1 needs %2 of %3 px")
                                .arg(label->objectName())
                                .arg(needed)
                                .arg(label->contentsRect().width())));
        QVERIFY(QFontMetrics(label->font()).height() <= label->height());
    }
    for (QGroupBox* frame : window_->findChildren<QGroupBox*>()) {
        QStyleOptionGroupBox option;
        option.initFrom(frame);
        option.text = frame->title();
        option.subControls = QStyle::SC_GroupBoxLabel | QStyle::SC_GroupBoxFrame;
        option.lineWidth = 1;
        const QRect label = frame->style()->subControlRect(QStyle::CC_GroupBox, &option,
                                                           QStyle::SC_GroupBoxLabel, frame);
        const int needed = QFontMetrics(frame->font()).horizontalAdvance(frame->title());
        QVERIFY2(label.left() >= 0 && label.right() < frame->width() && needed <= label.width(),
                 qPrintable(frame->objectName()));
    }
    // A caption has the room Qt's common style gives it: the button margin
    // and the frame, which is also all a line of the font has to spare.
    for (QPushButton* button : window_->findChildren<QPushButton*>()) {
        const QString caption = QString(button->text()).remove(QLatin1Char('&'));
        const QFontMetrics metrics(button->font());
        const int frame = 2 * button->style()->pixelMetric(QStyle::PM_DefaultFrameWidth);
        const int needed = metrics.horizontalAdvance(caption) + frame +
                           button->style()->pixelMetric(QStyle::PM_ButtonMargin);
        QVERIFY2(needed <= button->width() && metrics.height() + frame <= button->height(),
                 qPrintable(button->objectName()));
    }
}

void FrmKolvartTest::namesEveryBoxAndButtonForScreenReaders() {
    // What a screen reader reads is also what the window shows of captions.
    const QList<QPair<const char*, const char*>> names{
        {"Label1", "Luchtspoelberekening volgens Wheeler"},
        {"Frame2", "Invoer gegevens"},
        {"Frame1", "Resultaat voor enkellaags luchtspoel"},
        {"txtSpD", "Spoel diameter in mm"},
        {"txtDD", "Draaddikte in mm"},
        {"txtZI", "Zelfinductie in uH  (min. 0.001)"},
        {"txtSpD2", "Spoel diameter in mm (gecorr.)"},
        {"txtSpL", "Spoel lengte (wikkelruimte) in mm"},
        {"txtAW", "Aantal windingen"},
        {"cmdAfdruk", "Afdruk"},
        {"cmdStoppen", "Stoppen"},
        {"cmdBereken", "Bereken"}};
    for (const auto& [name, accessible] : names) {
        QAccessibleInterface* reader = QAccessible::queryAccessibleInterface(child<QWidget>(name));
        QCOMPARE(reader->text(QAccessible::Name), QString::fromUtf8(accessible));
    }
}

void FrmKolvartTest::tabWalksTheFocusCycle() {
    const QStringList cycle{"cmdBereken", "cmdAfdruk", "cmdStoppen", "txtSpD2", "txtSpL",
                            "txtAW",      "txtSpD",    "txtDD",      "txtZI"};
    // Forwards from txtSpD round the whole cycle and back to it, then backwards.
    for (int step = 1; step <= cycle.size(); ++step) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget()->objectName(),
                 cycle[(cycle.indexOf(QStringLiteral("txtSpD")) + step) % cycle.size()]);
    }
    for (int step = 1; step <= cycle.size(); ++step) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab, Qt::ShiftModifier);
        QCOMPARE(
            QApplication::focusWidget()->objectName(),
            cycle[(cycle.indexOf(QStringLiteral("txtSpD")) - step + cycle.size()) % cycle.size()]);
    }
    QCOMPARE(beeps_, 0);
}

void FrmKolvartTest::enterWalksTheEntryRing() {
    for (const char* next : {"txtDD", "txtZI", "txtSpD", "txtDD"}) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QCOMPARE(QApplication::focusWidget(), box(next));
    }
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Enter, Qt::KeypadModifier);
    QCOMPARE(QApplication::focusWidget(), box("txtZI"));
    for (const char* name : {"txtSpD", "txtDD", "txtZI"})
        QVERIFY(box(name)->text().isEmpty());
    QCOMPARE(beeps_, 0);
    QCOMPARE(ends_, 0);
}

void FrmKolvartTest::filtersKeys_data() {
    QTest::addColumn<QString>("boxName");
    QTest::addColumn<QString>("before");
    QTest::addColumn<QList<Key>>("keys");
    QTest::addColumn<QString>("after");
    QTest::addColumn<int>("beeps");

    const QList<Key> digitsAndPoint{{Qt::Key_1}, {Qt::Key_2}, {Qt::Key_Period}, {Qt::Key_5}};
    QTest::newRow("digits and a point") << "txtSpD"
                                        << "" << digitsAndPoint << "12.5" << 0;
    QList<Key> everyDigit;
    for (int key = Qt::Key_0; key <= Qt::Key_9; ++key)
        everyDigit.append(Key{Qt::Key(key)});
    QTest::newRow("every digit") << "txtZI"
                                 << "" << everyDigit << "0123456789" << 0;
    QTest::newRow("a second point passes")
        << "txtDD"
        << ""
        << QList<Key>{{Qt::Key_1}, {Qt::Key_Period}, {Qt::Key_2}, {Qt::Key_Period}, {Qt::Key_3}}
        << "1.2.3" << 0;
    QTest::newRow("letter, minus, comma, blank")
        << "txtZI"
        << "7" << QList<Key>{{Qt::Key_A}, {Qt::Key_Minus}, {Qt::Key_Comma}, {Qt::Key_Space}} << "7"
        << 4;
    QTest::newRow("capital letter") << "txtSpD"
                                    << "" << QList<Key>{{Qt::Key_E, Qt::ShiftModifier}} << "" << 1;
    QTest::newRow("backspace edits an entry")
        << "txtSpD"
        << "12" << QList<Key>{{Qt::Key_Backspace}} << "1" << 0;
    QTest::newRow("escape is refused") << "txtDD"
                                       << "3" << QList<Key>{{Qt::Key_Escape}} << "3" << 1;
    QTest::newRow("keys that type nothing")
        << "txtSpD"
        << "123" << QList<Key>{{Qt::Key_Home}, {Qt::Key_Delete}, {Qt::Key_End},
                               {Qt::Key_Left}, {Qt::Key_F5},     {Qt::Key_Shift, Qt::ShiftModifier}}
        << "23" << 0;
    QTest::newRow("clipboard keys are refused") << "txtSpD"
                                                << "42"
                                                << QList<Key>{{Qt::Key_A, Qt::ControlModifier},
                                                              {Qt::Key_C, Qt::ControlModifier},
                                                              {Qt::Key_X, Qt::ControlModifier},
                                                              {Qt::Key_V, Qt::ControlModifier},
                                                              {Qt::Key_Z, Qt::ControlModifier}}
                                                << "42" << 5;
    QTest::newRow("x11 delete types nothing")
        << "txtZI"
        << "98" << QList<Key>{{Qt::Key_Home}, {Qt::Key_Delete, {}, QStringLiteral("\x7f")}} << "8"
        << 0;
    // DEL as the text of a key of no known code types nothing, as Delete does.
    QTest::newRow("DEL text types nothing")
        << "txtDD"
        << "98" << QList<Key>{{Qt::Key(0), {}, QStringLiteral("\x7f")}} << "98" << 0;
    const Qt::KeyboardModifiers ctrlKeypad = Qt::ControlModifier | Qt::KeypadModifier;
    QTest::newRow("ctrl with keypad keys types nothing")
        << "txtZI"
        << "12" << QList<Key>{x11(Qt::Key_Minus, ctrlKeypad, "-"), x11(Qt::Key_7, ctrlKeypad, "7")}
        << "12" << 0;
    QTest::newRow("ctrl with a keypad key types no result")
        << "txtAW"
        << "12" << QList<Key>{x11(Qt::Key_Plus, ctrlKeypad, "+")} << "12" << 0;
    QTest::newRow("x11 ctrl+v is refused")
        << "txtZI"
        << "98" << QList<Key>{{Qt::Key_V, Qt::ControlModifier, QStringLiteral("\x16")}} << "98"
        << 1;
    QTest::newRow("composed letter") << "txtSpD"
                                     << "1" << QList<Key>{commit(QStringLiteral("é"))} << "1" << 1;
    QTest::newRow("composed letter after its pre-edit")
        << "txtDD"
        << "2" << QList<Key>{commit(QString(), QStringLiteral("´")), commit(QStringLiteral("é"))}
        << "2" << 1;
    QTest::newRow("mixed commit") << "txtZI"
                                  << "" << QList<Key>{commit(QStringLiteral("1é2"))} << "12" << 1;
    QTest::newRow("commit beyond the basic plane")
        << "txtSpD"
        << "4" << QList<Key>{commit(QStringLiteral("😀5"))} << "45" << 1;
    QTest::newRow("commit with a backspace")
        << "txtSpD"
        << "7" << QList<Key>{commit(QStringLiteral("1\b2"))} << "72" << 0;
    QTest::newRow("pre-edit then cancelled")
        << "txtDD"
        << "5" << QList<Key>{commit(QString(), QStringLiteral("´")), commit(QString())} << "5" << 0;
    QTest::newRow("pre-edit left standing")
        << "txtSpD"
        << "5" << QList<Key>{commit(QString(), QStringLiteral("12"))} << "5" << 0;
    const Qt::KeyboardModifiers ctrlAlt = Qt::ControlModifier | Qt::AltModifier;
    QTest::newRow("alt with digits and the point")
        << "txtSpD"
        << "" << QList<Key>{{Qt::Key_1, Qt::AltModifier}, {Qt::Key_Period, Qt::AltModifier},
                            {Qt::Key_E, Qt::AltModifier}, {Qt::Key_5, Qt::MetaModifier},
                            {Qt::Key_1, ctrlAlt},         x11(Qt::Key_7, ctrlAlt, "7")}
        << "" << 0;
    QTest::newRow("x11 altgr characters")
        << "txtSpD"
        << "3"
        << QList<Key>{x11(Qt::Key_Eacute, Qt::GroupSwitchModifier, QStringLiteral("é")),
                      x11(Qt::Key_twosuperior, Qt::GroupSwitchModifier, QStringLiteral("²")),
                      x11(Qt::Key_exclamdown, Qt::GroupSwitchModifier, QStringLiteral("¡"))}
        << "3" << 3;
    const QList<Key> controlChords{{Qt::Key_Return, Qt::ControlModifier},
                                   {Qt::Key_Enter, Qt::ControlModifier | Qt::KeypadModifier},
                                   {Qt::Key_Backspace, Qt::ControlModifier},
                                   {Qt::Key_BracketLeft, Qt::ControlModifier},
                                   {Qt::Key_BracketRight, Qt::ControlModifier},
                                   {Qt::Key_Backslash, Qt::ControlModifier},
                                   {Qt::Key_2, Qt::ControlModifier},
                                   {Qt::Key_6, Qt::ControlModifier},
                                   {Qt::Key_Minus, Qt::ControlModifier},
                                   {Qt::Key_Space, Qt::ControlModifier}};
    QTest::newRow("control-character chords") << "txtSpD"
                                              << "12" << controlChords << "12" << 10;
    QTest::newRow("x11 control-character chords")
        << "txtDD"
        << "12"
        << QList<Key>{x11(Qt::Key_Return, Qt::ControlModifier, QStringLiteral("\r")),
                      x11(Qt::Key_Backspace, Qt::ControlModifier, QStringLiteral("\b")),
                      x11(Qt::Key_BracketLeft, Qt::ControlModifier, QStringLiteral("\x1b")),
                      x11(Qt::Key_BracketRight, Qt::ControlModifier, QStringLiteral("\x1d")),
                      x11(Qt::Key_Backslash, Qt::ControlModifier, QStringLiteral("\x1c")),
                      x11(Qt::Key_2, Qt::ControlModifier, QString(QChar(0))),
                      x11(Qt::Key_6, Qt::ControlModifier, QStringLiteral("\x1e")),
                      x11(Qt::Key_Minus, Qt::ControlModifier, QStringLiteral("-"))}
        << "12" << 8;
    QTest::newRow("x11 ctrl with keys of no control character")
        << "txtZI"
        << "12"
        << QList<Key>{x11(Qt::Key_1, Qt::ControlModifier, QStringLiteral("1")),
                      x11(Qt::Key_3, Qt::ControlModifier, QStringLiteral("\x1b")),
                      x11(Qt::Key_8, Qt::ControlModifier, QStringLiteral("\x7f")),
                      x11(Qt::Key_Period, Qt::ControlModifier, QStringLiteral("."))}
        << "12" << 0;
    QTest::newRow("digit in a result") << "txtAW"
                                       << "13.6" << QList<Key>{{Qt::Key_1}} << "13.6" << 1;
    QTest::newRow("backspace in a result")
        << "txtSpL"
        << "13.8" << QList<Key>{{Qt::Key_Backspace}} << "13.8" << 1;
    QTest::newRow("enter in a result") << "txtSpD2"
                                       << "10" << QList<Key>{{Qt::Key_Return}} << "10" << 1;
    QTest::newRow("letters in a result")
        << "txtAW"
        << "" << QList<Key>{{Qt::Key_A}, {Qt::Key_B}, {Qt::Key_C}} << "" << 3;
    QTest::newRow("commit in a result")
        << "txtSpL"
        << "13.8" << QList<Key>{commit(QStringLiteral("1é2"))} << "13.8" << 3;
    QTest::newRow("alt chords in a result") << "txtAW"
                                            << "13.6"
                                            << QList<Key>{{Qt::Key_1, Qt::AltModifier},
                                                          {Qt::Key_Return, Qt::AltModifier},
                                                          {Qt::Key_Backspace, Qt::AltModifier}}
                                            << "13.6" << 0;
    QTest::newRow("control-character chords in a result") << "txtSpD2"
                                                          << "10" << controlChords << "10" << 10;
    QTest::newRow("x11 ctrl+v in a result")
        << "txtSpD2"
        << "10" << QList<Key>{{Qt::Key_V, Qt::ControlModifier, QStringLiteral("\x16")}} << "10"
        << 1;
}

void FrmKolvartTest::filtersKeys() {
    QFETCH(QString, boxName);
    QFETCH(QString, before);
    QFETCH(QList<Key>, keys);
    QFETCH(QString, after);
    QFETCH(int, beeps);

    QLineEdit* target = box(qPrintable(boxName));
    target->setText(before);
    target->setFocus();
    const QRect caret = target->inputMethodQuery(Qt::ImCursorRectangle).toRect();
    for (const Key& key : keys)
        press(target, key);
    QCOMPARE(target->text(), after);
    QCOMPARE(beeps_, beeps);
    QCOMPARE(QApplication::focusWidget(), target);
    // Nothing the box does not hold stands in it: no pre-edit moved the caret.
    if (after == before)
        QCOMPARE(target->inputMethodQuery(Qt::ImCursorRectangle).toRect(), caret);
}

void FrmKolvartTest::commitAfterEnterGoesToTheNextEntry() {
    // As typed: 1 into the diameter, Enter moves on, 2 into the wire.
    box("txtSpD")->setFocus();
    press(box("txtSpD"), commit(QStringLiteral("1\r2")));
    QCOMPARE(box("txtSpD")->text(), QStringLiteral("1"));
    QCOMPARE(box("txtDD")->text(), QStringLiteral("2"));
    QCOMPARE(QApplication::focusWidget(), box("txtDD"));
    QCOMPARE(beeps_, 0);
}

void FrmKolvartTest::deleteStillEditsAResultBox() {
    QLineEdit* turns = box("txtAW");
    turns->setText(QStringLiteral("13.6"));
    turns->setFocus();
    QTest::keyClick(turns, Qt::Key_Home);
    QTest::keyClick(turns, Qt::Key_Delete);
    QCOMPARE(turns->text(), QStringLiteral("3.6"));
    QCOMPARE(beeps_, 0);
}

void FrmKolvartTest::pasteKeepsLongTexts() {
    // A pasted number longer than Qt's default limit keeps every digit.
    const QString digits =
        QStringLiteral("10.") + QString(40000, QLatin1Char('0')) + QStringLiteral("1");
    QApplication::clipboard()->setText(digits);
    QLineEdit* diameter = box("txtSpD");
    diameter->setFocus();
    QTest::keyClick(diameter, Qt::Key_Insert, Qt::ShiftModifier);
    QCOMPARE(diameter->text(), digits);
    QCOMPARE(beeps_, 0);
}

void FrmKolvartTest::keysClickOnlyTheFocusedButton_data() {
    QTest::addColumn<QString>("focus");
    QTest::addColumn<int>("key");
    QTest::addColumn<bool>("calculates");
    QTest::newRow("enter on Bereken") << "cmdBereken" << int(Qt::Key_Return) << true;
    QTest::newRow("space on Bereken") << "cmdBereken" << int(Qt::Key_Space) << true;
    QTest::newRow("escape on Bereken") << "cmdBereken" << int(Qt::Key_Escape) << false;
    QTest::newRow("enter on Afdruk") << "cmdAfdruk" << int(Qt::Key_Return) << false;
    QTest::newRow("escape in an entry") << "txtZI" << int(Qt::Key_Escape) << false;
}

void FrmKolvartTest::keysClickOnlyTheFocusedButton() {
    QFETCH(QString, focus);
    QFETCH(int, key);
    QFETCH(bool, calculates);
    enter("10", "1", "1");
    QWidget* target = child<QWidget>(qPrintable(focus));
    target->setFocus();
    QTest::keyClick(target, Qt::Key(key));
    QTest::qWait(150); // a click by key may come a moment later
    QCOMPARE(box("txtAW")->text(), calculates ? QStringLiteral("13.6") : QString());
    QCOMPARE(ends_, 0);
}

void FrmKolvartTest::typicalRoad() {
    QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("10"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("1"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("1"));
    QCOMPARE(QApplication::focusWidget(), box("txtZI"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_B, Qt::AltModifier);
    QTRY_COMPARE(box("txtSpD2")->text(), QStringLiteral("10"));
    QCOMPARE(box("txtSpL")->text(), QStringLiteral("13.8"));
    QCOMPARE(box("txtAW")->text(), QStringLiteral("13.6"));
    QCOMPARE(QApplication::focusWidget(), box("txtSpD"));
    QCOMPARE(box("txtSpD")->text(), QStringLiteral("10"));
    QCOMPARE(beeps_, 0);
}

void FrmKolvartTest::accessKeysWorkFromAnyBox() {
    box("txtSpD")->setText(QStringLiteral("20"));
    box("txtDD")->setText(QStringLiteral("0.5"));
    box("txtZI")->setText(QStringLiteral("10"));
    box("txtAW")->setFocus();
    QTest::keyClick(box("txtAW"), Qt::Key_B, Qt::AltModifier);
    QTRY_COMPARE(box("txtSpD2")->text(), QStringLiteral("14.5"));
    QCOMPARE(box("txtAW")->text(), QStringLiteral("33.4"));
    QCOMPARE(QApplication::focusWidget(), box("txtSpD"));

    QTest::keyClick(box("txtSpD"), Qt::Key_S, Qt::AltModifier);
    QTRY_COMPARE(ends_, 1);
    QCOMPARE(beeps_, 0);
}

void FrmKolvartTest::accessKeyActsBeforeTheNextKey_data() {
    QTest::addColumn<int>("key");
    QTest::addColumn<bool>("calculates");
    QTest::addColumn<bool>("prints");
    QTest::addColumn<int>("ends");
    QTest::addColumn<QString>("diameter");
    // The 5 is typed at once after the access key; the action must have
    // read the boxes before it.
    QTest::newRow("Bereken, then 5") << int(Qt::Key_B) << true << false << 0 << "105";
    QTest::newRow("Afdruk, then 5") << int(Qt::Key_A) << false << true << 0 << "105";
    QTest::newRow("Stoppen, then 5") << int(Qt::Key_S) << false << false << 1 << "10";
}

void FrmKolvartTest::accessKeyActsBeforeTheNextKey() {
    QFETCH(int, key);
    QFETCH(bool, calculates);
    QFETCH(bool, prints);
    QFETCH(int, ends);
    QFETCH(QString, diameter);
    enter("10", "1", "1");
    QLineEdit* entry = box("txtSpD");
    entry->setFocus();
    entry->end(false);
    const auto check = [&] {
        QCOMPARE(box("txtAW")->text(), calculates ? QStringLiteral("13.6") : QString());
        QCOMPARE(box("txtSpL")->text(), calculates ? QStringLiteral("13.8") : QString());
        QCOMPARE(count("dialog"), prints ? 1 : 0);
        if (prints) {
            const bool printedTen =
                std::any_of(printer_.log.begin(), printer_.log.end(), [](const std::string& entry) {
                    return entry.find("Tab(40) \"10 mm\"") != std::string::npos;
                });
            QVERIFY(printedTen);
        }
        QCOMPARE(ends_, ends);
        QCOMPARE(entry->text(), diameter);
        QCOMPARE(beeps_, 0);
    };
    QTest::keyClick(QApplication::focusWidget(), Qt::Key(key), Qt::AltModifier);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_5);
    check();
    // No click is left to come later.
    QTest::qWait(300);
    check();
}

void FrmKolvartTest::failingGuardChangesNothing() {
    box("txtSpD2")->setText(QStringLiteral("old"));
    box("txtSpD")->setText(QStringLiteral("10"));
    box("txtDD")->setText(QStringLiteral("1"));
    box("txtZI")->setText(QStringLiteral("0.0009"));
    box("txtDD")->setFocus();
    QTest::keyClick(box("txtDD"), Qt::Key_B, Qt::AltModifier);
    QTest::qWait(300);
    QCOMPARE(box("txtSpD2")->text(), QStringLiteral("old"));
    QVERIFY(box("txtSpL")->text().isEmpty());
    QCOMPARE(QApplication::focusWidget(), box("txtDD"));
}

void FrmKolvartTest::faultIsReportedAndChangesNothing_data() {
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QStringList>("entries");
    QTest::addColumn<QStringList>("results");
    QTest::addColumn<QString>("message"); // empty: none
    const QStringList before{"1", "2", "3"};
    QTest::newRow("division by zero")
        << "C" << QStringList{"0.2", "1", "1"} << before << "Rekenfout: Deling door nul.";
    QTest::newRow("overflow, pasted")
        << "C" << QStringList{"1e39", "1", "1"} << before << "Rekenfout: Overloop.";
    QTest::newRow("invalid argument, pasted")
        << "C" << QStringList{"-10", "1", "1"} << before << "Rekenfout: Ongeldig argument.";
    // The results take the locale's separator; the entries still the point.
    QTest::newRow("comma locale") << "nl_NL" << QStringList{"20", "0.5", "10"}
                                  << QStringList{"14,5", "16,6", "33,4"} << "";
}

void FrmKolvartTest::faultIsReportedAndChangesNothing() {
    QFETCH(QString, locale);
    QFETCH(QStringList, entries);
    QFETCH(QStringList, results);
    QFETCH(QString, message);
    const QLocale previous;
    QLocale::setDefault(QLocale(locale));
    const auto restore = qScopeGuard([&previous] { QLocale::setDefault(previous); });
    box("txtSpD2")->setText(QStringLiteral("1"));
    box("txtSpL")->setText(QStringLiteral("2"));
    box("txtAW")->setText(QStringLiteral("3"));
    enter(qPrintable(entries[0]), qPrintable(entries[1]), qPrintable(entries[2]));
    box("txtZI")->setFocus();
    QString title, text;
    const QPointer<QTimer> watch = whenMessageBoxOpens([&](QMessageBox* messageBox) {
        title = messageBox->windowTitle();
        text = messageBox->text();
    });
    child<QPushButton>("cmdBereken")->click();
    delete watch.data(); // still waiting when no box came
    QCOMPARE(title, message.isEmpty() ? QString() : QStringLiteral("Kolvart"));
    QCOMPARE(text, message);
    const QStringList shown{box("txtSpD2")->text(), box("txtSpL")->text(), box("txtAW")->text()};
    QCOMPARE(shown, results);
    QCOMPARE(box("txtSpD")->text(), entries[0]);
}

void FrmKolvartTest::modalBoxDoesNotActivateAgain() {
    box("txtSpD")->setText(QStringLiteral("10"));
    box("txtDD")->setText(QStringLiteral("0.1"));
    box("txtZI")->setText(QStringLiteral("0.001"));
    box("txtDD")->setFocus();
    bool shown = false;
    whenMessageBoxOpens([&shown](QMessageBox*) { shown = true; });
    QTest::keyClick(box("txtDD"), Qt::Key_B, Qt::AltModifier);
    QTRY_VERIFY(shown);
    QTRY_VERIFY(!QApplication::activeModalWidget());
    // A window manager activates the window again when the box closes.
    window_->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(window_.get()));
    // Back from the box the focus is where it was, not moved into txtSpD.
    QCOMPARE(QApplication::focusWidget(), box("txtDD"));
}

void FrmKolvartTest::stopEndsTheProgram() {
    child<QPushButton>("cmdStoppen")->click();
    QCOMPARE(ends_, 1);
    // Nothing runs after the end: not even a calculation.
    box("txtSpD")->setText(QStringLiteral("10"));
    box("txtDD")->setText(QStringLiteral("1"));
    box("txtZI")->setText(QStringLiteral("1"));
    child<QPushButton>("cmdBereken")->click();
    QVERIFY(box("txtSpD2")->text().isEmpty());
}

void FrmKolvartTest::stopDropsQueuedInput() {
    enter("10", "1", "1");
    QLineEdit* entry = box("txtSpD");
    entry->setFocus();
    // Typed ahead of Stop and still queued when it ends the program: a digit,
    // a letter that would beep, Enter and Tab that would move the focus, a
    // commit, a click on Bereken and a window activation.
    const auto post = [](QWidget* target, Qt::Key key, const QString& text) {
        QCoreApplication::postEvent(target,
                                    new QKeyEvent(QEvent::KeyPress, key, Qt::NoModifier, text));
        QCoreApplication::postEvent(target,
                                    new QKeyEvent(QEvent::KeyRelease, key, Qt::NoModifier, text));
    };
    post(entry, Qt::Key_5, QStringLiteral("5"));
    post(entry, Qt::Key_A, QStringLiteral("a"));
    post(entry, Qt::Key_Return, QStringLiteral("\r"));
    post(entry, Qt::Key_Tab, QStringLiteral("\t"));
    auto* composed = new QInputMethodEvent;
    composed->setCommitString(QStringLiteral("7é"));
    QCoreApplication::postEvent(entry, composed);
    auto* bereken = child<QPushButton>("cmdBereken");
    const QPoint centre = bereken->rect().center();
    const QPoint global = bereken->mapToGlobal(centre);
    for (const QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease})
        QCoreApplication::postEvent(
            bereken,
            new QMouseEvent(type, centre, global, Qt::LeftButton,
                            type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton,
                            Qt::NoModifier));
    QCoreApplication::postEvent(window_.get(), new QEvent(QEvent::WindowActivate));

    child<QPushButton>("cmdStoppen")->click();
    QCoreApplication::sendPostedEvents();
    QCOMPARE(ends_, 1);
    QCOMPARE(entry->text(), QStringLiteral("10"));
    QVERIFY(box("txtDD")->text() == QStringLiteral("1") && box("txtZI")->text() == "1");
    QCOMPARE(beeps_, 0);
    QCOMPARE(QApplication::focusWidget(), entry);
    QVERIFY(box("txtAW")->text().isEmpty());
}

void FrmKolvartTest::labelsShowTheirBackground_data() {
    QTest::addColumn<QString>("label");
    QTest::addColumn<QString>("style");    // empty: the tests' own
    QTest::addColumn<QPalette>("palette"); // none set: the style's own
    // Window, button and text shades all apart, so that a fill or a rule in
    // the wrong one shows; and Breeze Dark's.
    QPalette apart(QColor(70, 70, 74), QColor(40, 40, 44));
    apart.setColor(QPalette::WindowText, QColor(230, 230, 230));
    QPalette breezeDark(QColor(0x29, 0x2c, 0x30), QColor(0x20, 0x23, 0x26));
    breezeDark.setColor(QPalette::WindowText, QColor(0xfc, 0xfc, 0xfc));
    // A label in a frame shows the frame's interior; Label1 fills its own
    // background in the window's colour, with the rule drawn over it.
    for (const bool dark : {false, true}) {
        const char* palette = dark ? "dark" : "default";
        for (const char* label : {"Label2", "Label4", "Label7", "Label8", "Label1"})
            QTest::addRow("%s, %s palette", label, palette)
                << QString::fromLatin1(label) << QString() << (dark ? apart : QPalette());
    }
    QTest::newRow("Label1, Breeze Dark")
        << QStringLiteral("Label1") << QStringLiteral("Breeze") << breezeDark;
}

void FrmKolvartTest::labelsShowTheirBackground() {
    QFETCH(QString, label);
    QFETCH(QString, style);
    QFETCH(QPalette, palette);
    if (!style.isEmpty()) {
        QStyle* const styled = QStyleFactory::create(style);
        if (!styled) // Debian packages KDE's style for Qt 6 from Qt 6.8 on
            return skipOrFailWithout(style, "kde-style-breeze",
                                     QT_VERSION >= QT_VERSION_CHECK(6, 8, 0));
        window_.reset();
        QApplication::setStyle(styled);
        init();
    }
    if (palette.resolveMask() != 0)
        window_->setPalette(palette);
    auto* shown = child<QLabel>(qPrintable(label));
    const QImage image = window_->grab().toImage();
    QCOMPARE(image.size(), window_->size() * image.devicePixelRatio());
    const auto pixel = [&image](QPoint point) {
        return image.pixelColor(point * image.devicePixelRatio()).rgb();
    };
    // The label's last column, past its caption, half-way down.
    const QPoint inLabel =
        shown->mapTo(window_.get(), QPoint(shown->width() - 2, shown->height() / 2));
    if (label == QLatin1String("Label1")) {
        const QRgb windowColour = shown->palette().color(QPalette::Window).rgb();
        QCOMPARE(pixel(inLabel), windowColour);
        // The rule: one solid row of the text colour across the banner.
        const QRect rule = child<QFrame>("Line2")->geometry();
        for (const int x : {rule.left(), rule.center().x(), rule.right()}) {
            QCOMPARE(pixel({x, rule.top()}), shown->palette().color(QPalette::WindowText).rgb());
            QCOMPARE(pixel({x, rule.top() - 1}), windowColour);
        }
        return;
    }
    // The frame's interior just right of the label, left of its box.
    const QPoint inFrame = inLabel + QPoint(4, 0);
    QWidget* frame = shown->parentWidget();
    QVERIFY(!frame->childAt(frame->mapFrom(window_.get(), inFrame)));
    QCOMPARE(pixel(inLabel), pixel(inFrame));
}

void FrmKolvartTest::enter(const char* spD, const char* dd, const char* zi) {
    box("txtSpD")->setText(QString::fromLatin1(spD));
    box("txtDD")->setText(QString::fromLatin1(dd));
    box("txtZI")->setText(QString::fromLatin1(zi));
}

void FrmKolvartTest::printsTheBoxesAsTheyStand() {
    enter("10", "1", "1");
    child<QPushButton>("cmdBereken")->click();
    // An entry edited after the calculation is printed as it now stands.
    box("txtZI")->setText(QStringLiteral("2.5"));
    QTest::keyClick(box("txtSpD"), Qt::Key_A, Qt::AltModifier);
    QTRY_COMPARE(window_->printJob().afdrukValue(), qint16(-1));
    QCOMPARE(count("dialog"), 1);
    const auto printed = [this](const char* value) {
        return std::any_of(printer_.log.begin(), printer_.log.end(), [value](const auto& entry) {
            return entry.find(std::string("Tab(40) \"") + value) != std::string::npos;
        });
    };
    for (const char* value : {"10 mm", "1 mm", "2.5 uH", "13.8 mm", "13.6\""})
        QVERIFY2(printed(value), value);
    QCOMPARE(window_->printJob().aantalValue(), 10.0f);
    QCOMPARE(ends_, 0);
}

void FrmKolvartTest::printJobOutlivesModalBoxes() {
    child<QPushButton>("cmdAfdruk")->click();
    QCOMPARE(window_->printJob().afdrukValue(), qint16(-1));
    // A fault box, and the activation a window manager sends when it closes.
    enter("0.2", "1", "1");
    whenMessageBoxOpens([](QMessageBox*) {});
    child<QPushButton>("cmdBereken")->click();
    QEvent activation(QEvent::WindowActivate);
    QApplication::sendEvent(window_.get(), &activation);
    QCOMPARE(window_->printJob().afdrukValue(), qint16(-1));
    child<QPushButton>("cmdAfdruk")->click();
    QCOMPARE(count("dialog"), 1);
    QCOMPARE(window_->printJob().aantalValue(), 20.0f);
}

void FrmKolvartTest::stopReleasesTheJobThenEnds() {
    for (int click = 0; click < 3; ++click)
        child<QPushButton>("cmdAfdruk")->click();
    QTest::keyClick(box("txtSpD"), Qt::Key_S, Qt::AltModifier);
    QTRY_COMPARE(ends_, 1);
    QCOMPARE(count("endDocument"), 1);
    QCOMPARE(count("newPage"), 0);
    // The window closing as the program ends releases nothing twice.
    window_->close();
    QCOMPARE(count("endDocument"), 1);
}

void FrmKolvartTest::failingStopIsReportedAndEnds() {
    child<QPushButton>("cmdAfdruk")->click();
    printer_.failAt = printer_.operations; // the end of the document fails
    QString title, text;
    whenMessageBoxOpens([&](QMessageBox* messageBox) {
        title = messageBox->windowTitle();
        text = messageBox->text();
    });
    child<QPushButton>("cmdStoppen")->click();
    QCOMPARE(title, QStringLiteral("Kolvart"));
    QVERIFY(!text.isEmpty());
    QCOMPARE(ends_, 1);
}

void FrmKolvartTest::closingReleasesAnOpenJob_data() {
    QTest::addColumn<int>("prints");
    QTest::addColumn<bool>("refused");
    QTest::addColumn<bool>("byQuit"); // the Quit event a session manager's end of the session sends
    QTest::addColumn<int>("released");
    QTest::newRow("no job") << 0 << false << false << 0;
    QTest::newRow("open job") << 2 << false << false << 1;
    // The user learns of it before the program ends.
    QTest::newRow("release refused") << 2 << true << false << 0;
    QTest::newRow("open job, end of the session") << 2 << false << true << 1;
}

void FrmKolvartTest::closingReleasesAnOpenJob() {
    QFETCH(int, prints);
    QFETCH(bool, refused);
    QFETCH(bool, byQuit);
    QFETCH(int, released);
    for (int click = 0; click < prints; ++click)
        child<QPushButton>("cmdAfdruk")->click();
    if (refused)
        printer_.failAt = printer_.operations; // the end of the document fails
    QString title, text;
    const QPointer<QTimer> watch = whenMessageBoxOpens([&](QMessageBox* messageBox) {
        title = messageBox->windowTitle();
        text = messageBox->text();
    });
    if (byQuit) {
        QEvent quit(QEvent::Quit);
        QCoreApplication::sendEvent(qApp, &quit);
    } else {
        window_->close();
    }
    delete watch.data(); // still waiting when no box came
    QCOMPARE(title, refused ? QStringLiteral("Kolvart") : QString());
    QCOMPARE(text, refused ? QStringLiteral("mislukt: endDocument") : QString());
    QCOMPARE(count("endDocument"), released);
    QCOMPARE(count("dialog"), prints > 0 ? 1 : 0);
    QCOMPARE(ends_, 0);
}

QTEST_MAIN(FrmKolvartTest)
#include "frmkolvart_test.moc"
