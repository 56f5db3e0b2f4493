#include "ui/frmkolvart.h"

#include "calc/coil_design.h"
#include "report/print_job.h"
#include "report/qt_report_platform.h"
#include "resources/app_icon.h"
#include "ui/character_code.h"
#include "ui/desktop.h"
#include "ui/input_events.h"
#include "ui/twips.h"
#include "ui/window_frame.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFrame>
#include <QGroupBox>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QShortcutEvent>

#include <initializer_list>
#include <limits>

namespace kolvart {
namespace {

// The face that the frames and labels ask for, with the installed stand-ins
// of the same narrow proportions behind it.
const QStringList labelFamilies{QStringLiteral("MS Sans Serif"), QStringLiteral("Liberation Sans"),
                                QStringLiteral("Arimo"), QStringLiteral("Arial")};
constexpr qreal labelPointSize = 9.6;

QFont labelFont(QFont::Weight weight) {
    QFont font;
    font.setFamilies(labelFamilies);
    font.setPointSizeF(labelPointSize);
    font.setWeight(weight);
    font.setItalic(false);
    font.setUnderline(false);
    font.setStrikeOut(false);
    return font;
}

// The platform's default font with every property set, so that a box inside
// a frame keeps it instead of inheriting the frame's bold caption font.
QFont defaultFont() {
    QFont font = QApplication::font();
    font.setFamilies(font.families().isEmpty() ? QStringList{font.family()} : font.families());
    font.setPointSizeF(font.pointSizeF());
    font.setWeight(font.weight());
    font.setItalic(font.italic());
    return font;
}

// How a label's background is painted: Label1 fills its own, in the 3-D face
// colour, under the rule; a label in a frame lets the frame's own background
// show, which some styles paint in another shade than the window's.
enum class LabelBackground { Own, Container };

QLabel* makeLabel(QWidget* container, const char* name, const QString& caption, QRect geometry,
                  QFont::Weight weight, LabelBackground background) {
    auto* label = new QLabel(caption, container);
    label->setObjectName(QLatin1String(name));
    label->setGeometry(geometry);
    label->setFont(labelFont(weight));
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    label->setWordWrap(false);
    label->setTextFormat(Qt::PlainText);
    if (background == LabelBackground::Own) {
        label->setBackgroundRole(QPalette::Button);
        label->setAutoFillBackground(true);
    }
    return label;
}

QLineEdit* makeBox(QWidget* container, const char* name, QRect geometry, QLabel* label) {
    auto* box = new QLineEdit(container);
    box->setObjectName(QLatin1String(name));
    box->setGeometry(geometry);
    box->setFont(defaultFont());
    box->setAccessibleName(label->text());
    // No length limit: Qt's default of 32767 characters would cut a long
    // pasted number short and so change its value.
    box->setMaxLength(std::numeric_limits<int>::max());
    return box;
}

// One row of a frame: the label at the left and its box at the right.
void makeRow(QGroupBox* frame, int top, QLabel*& label, const char* labelName,
             const QString& caption, int labelWidth, QLineEdit*& box, const char* boxName) {
    label = makeLabel(frame, labelName, caption, twipsRect(120, top, labelWidth, 252),
                      QFont::Normal, LabelBackground::Container);
    box = makeBox(frame, boxName, twipsRect(3480, top, 1335, 285), label);
}

QGroupBox* makeFrame(QWidget* window, const char* name, const QString& caption, QRect geometry) {
    auto* frame = new QGroupBox(caption, window);
    frame->setObjectName(QLatin1String(name));
    frame->setGeometry(geometry);
    frame->setFont(labelFont(QFont::Bold));
    return frame;
}

QPushButton* makeButton(QWidget* window, const char* name, const QString& caption, QRect geometry) {
    auto* button = new QPushButton(caption, window);
    button->setObjectName(QLatin1String(name));
    button->setGeometry(geometry);
    button->setFocusPolicy(Qt::StrongFocus);
    // Enter clicks a button that has the focus; outside a dialog no button
    // is ever the default, so Enter elsewhere clicks nothing.
    button->setAutoDefault(true);
    button->setAccessibleName(QString(caption).remove(QLatin1Char('&')));
    return button;
}

// A failure the user has to know of, in a box titled with the program's name.
void showFailure(QWidget* parent, const QString& text) {
    QMessageBox::critical(parent, QApplication::applicationName(), text);
}

} // namespace

frmKolvart::frmKolvart(std::unique_ptr<Desktop> desktop, std::unique_ptr<ReportPlatform> printer,
                       QWidget* parent)
    : QWidget(parent)
    , desktop_(desktop ? std::move(desktop) : std::make_unique<Desktop>()) {
    setObjectName(QStringLiteral("frmKolvart"));
    setWindowTitle(QStringLiteral("Berekenen van luchtspoeltjes"));
    setWindowIcon(applicationIcon());
    // The layout is fixed from left to right, also where Qt's translations
    // turn the rest of the application to a right-to-left language.
    setLayoutDirection(Qt::LeftToRight);
    setFixedSize(twips(5316), twips(4632));

    buildControls();
    bindEvents();

    // The printer makes its QPrinter, dialog and painter at the first print.
    job_ = std::make_unique<PrintJob>(printer ? std::move(printer)
                                              : std::make_unique<QtReportPlatform>(this));
}

frmKolvart::~frmKolvart() = default;

void frmKolvart::buildControls() {
    Label1 = makeLabel(this, "Label1", QStringLiteral("Luchtspoelberekening volgens Wheeler"),
                       twipsRect(120, 120, 5055, 375), QFont::Bold, LabelBackground::Own);

    // A rule in the window-text colour, drawn over the banner's background.
    Line2 = new QFrame(this);
    Line2->setObjectName(QStringLiteral("Line2"));
    Line2->setFrameShape(QFrame::HLine);
    Line2->setFrameShadow(QFrame::Plain);
    Line2->setLineWidth(1);
    Line2->setGeometry(twips(120), twips(480), twips(5160) - twips(120), 1);
    Line2->raise();

    Frame2 = makeFrame(this, "Frame2", QStringLiteral("Invoer gegevens"),
                       twipsRect(120, 600, 5052, 1575));
    makeRow(Frame2, 360, Label2, "Label2", QStringLiteral("Spoel diameter in mm"), 3252, txtSpD,
            "txtSpD");
    makeRow(Frame2, 720, Label3, "Label3", QStringLiteral("Draaddikte in mm"), 3132, txtDD,
            "txtDD");
    makeRow(Frame2, 1080, Label4, "Label4", QStringLiteral("Zelfinductie in uH  (min. 0.001)"),
            3132, txtZI, "txtZI");

    Frame1 = makeFrame(this, "Frame1", QStringLiteral("Resultaat voor enkellaags luchtspoel"),
                       twipsRect(120, 2280, 5052, 1575));
    makeRow(Frame1, 360, Label7, "Label7", QStringLiteral("Spoel diameter in mm (gecorr.)"), 3012,
            txtSpD2, "txtSpD2");
    makeRow(Frame1, 720, Label6, "Label6", QStringLiteral("Spoel lengte (wikkelruimte) in mm"),
            3132, txtSpL, "txtSpL");
    makeRow(Frame1, 1080, Label8, "Label8", QStringLiteral("Aantal windingen"), 3012, txtAW,
            "txtAW");

    cmdAfdruk =
        makeButton(this, "cmdAfdruk", QStringLiteral("&Afdruk"), twipsRect(480, 4080, 975, 375));
    cmdStoppen =
        makeButton(this, "cmdStoppen", QStringLiteral("&Stoppen"), twipsRect(2160, 4080, 975, 375));
    cmdBereken =
        makeButton(this, "cmdBereken", QStringLiteral("&Bereken"), twipsRect(3840, 4080, 975, 375));

    // Tab walks the buttons, then the results, then the entries, and round.
    QWidget* const order[] = {cmdBereken, cmdAfdruk, cmdStoppen, txtSpD2, txtSpL,
                              txtAW,      txtSpD,    txtDD,      txtZI};
    for (std::size_t i = 0; i + 1 < std::size(order); ++i)
        setTabOrder(order[i], order[i + 1]);
}

void frmKolvart::bindEvents() {
    connect(cmdBereken, &QPushButton::clicked, this, &frmKolvart::berekenClicked);
    connect(cmdAfdruk, &QPushButton::clicked, this, &frmKolvart::afdrukClicked);
    connect(cmdStoppen, &QPushButton::clicked, this, &frmKolvart::stoppenClicked);
    // The boxes' key and input-method events go through the KeyPress
    // handlers, the buttons' access keys click at once.
    for (QWidget* control : std::initializer_list<QWidget*>{
             txtSpD, txtDD, txtZI, txtSpD2, txtSpL, txtAW, cmdAfdruk, cmdStoppen, cmdBereken})
        control->installEventFilter(this);
}

void frmKolvart::showCentred() {
    // Where a window manager frames the window it says, before the window is
    // mapped, how wide the frame will be: the window then opens centred,
    // frame included, in one go. Without a window manager there is no frame
    // and the client area is centred.
    winId();
    announcedFrame_ = announcedFrameMargins(*windowHandle());
    placeCentred(announcedFrame_.value_or(QMargins()));
    show();
    // Without a window manager nothing activates a new window: ask for it.
    activateWindow();
}

void frmKolvart::placeCentred(const QMargins& frame) {
    QRect outer(QPoint(), size().grownBy(frame));
    outer.moveCenter(screen()->availableGeometry().center());
    setGeometry(QRect(outer.topLeft() + QPoint(frame.left(), frame.top()), size()));
}

bool frmKolvart::event(QEvent* event) {
    // Once Stop has ended the program, input still queued goes nowhere.
    if (ending_ && isUserInput(*event))
        return true;
    const bool handled = QWidget::event(event);
    // Qt reports an activation again whenever a modal box closes; the
    // handler belongs to the first one, right after start-up.
    if (event->type() == QEvent::WindowActivate && !activatedOnce_ && !ending_) {
        activatedOnce_ = true;
        // By now a window manager has put its frame round the window. Where
        // it did not announce that frame, or announced another, the window
        // is centred again with the frame it has.
        const std::optional<QMargins> frame = actualFrameMargins(*windowHandle());
        if (frame && *frame != announcedFrame_.value_or(QMargins()))
            placeCentred(*frame);
        activated();
    }
    return handled;
}

bool frmKolvart::eventFilter(QObject* watched, QEvent* event) {
    // Once Stop has ended the program, input still queued (keys typed ahead,
    // clicks, access keys) reaches no control and runs no handler.
    if (ending_ && isUserInput(*event))
        return true;
    switch (event->type()) {
    case QEvent::KeyPress:
        if (auto* box = qobject_cast<QLineEdit*>(watched))
            return boxKeyPress(box, *static_cast<QKeyEvent*>(event));
        break;
    case QEvent::InputMethod:
        if (auto* box = qobject_cast<QLineEdit*>(watched))
            return boxInputMethod(box, *static_cast<QInputMethodEvent*>(event));
        break;
    case QEvent::Shortcut:
        if (auto* button = qobject_cast<QPushButton*>(watched))
            return accessKey(button, *static_cast<QShortcutEvent*>(event));
        break;
    default:
        break;
    }
    return QWidget::eventFilter(watched, event);
}

bool frmKolvart::boxKeyPress(QLineEdit* box, const QKeyEvent& event) {
    // Alt with a key that is no access key types nothing (an access key never
    // gets here: Qt turns it into a shortcut first).
    if (isCommandChord(event))
        return true;
    const std::optional<qint16> code = characterCode(event);
    if (!code)
        return false; // keys that type nothing edit and move as the box does by itself

    qint16 keyAscii = *code;
    keyPress(box, keyAscii);
    // A discarded character goes no further, and Enter has already done its
    // work by moving the focus.
    return keyAscii == 0 || keyAscii == 13;
}

bool frmKolvart::boxInputMethod(QLineEdit* box, const QInputMethodEvent& event) {
    if (&event == forwarding_)
        return false;
    // Composed text (dead keys, Compose, an input method) comes as a commit
    // instead of key presses: each of its characters goes through the box's
    // KeyPress handler as if typed, and only what that lets through reaches
    // the box. The pre-edit is not shown, so no text stands in a box that
    // the handler has not seen; nor is surrounding text replaced, since the
    // input method cannot know which of its characters were refused.
    QLineEdit* target = box;
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
        keyPress(target, keyAscii);
        if (keyAscii == 0)
            continue;
        if (keyAscii == 13) {
            // The focus has moved on: what follows goes to the next entry.
            deliver();
            target = nextEntry(target);
        } else if (keyAscii == 8) {
            deliver();
            target->backspace();
        } else {
            passed += character.text;
        }
    }
    deliver();
    return true;
}

bool frmKolvart::accessKey(QPushButton* button, const QShortcutEvent& event) {
    if (event.isAmbiguous())
        return false;
    // Qt would animate the click and make it 100 ms later: keys typed in the
    // meantime would reach the boxes first, and the click could still come
    // inside a modal box or after Stop. The click is made now instead.
    button->click();
    return true;
}

void frmKolvart::keyPress(QLineEdit* box, qint16& keyAscii) {
    if (QLineEdit* next = nextEntry(box))
        entryKeyPress(next, keyAscii);
    else
        resultKeyPress(keyAscii);
}

QLineEdit* frmKolvart::nextEntry(const QLineEdit* box) const {
    if (box == txtSpD)
        return txtDD;
    if (box == txtDD)
        return txtZI;
    if (box == txtZI)
        return txtSpD;
    return nullptr;
}

void frmKolvart::closeEvent(QCloseEvent* event) {
    // Closing ends the program too: a job still open is released, and a
    // failure to release it is shown before the program ends.
    if (!ending_) {
        try {
            job_->releaseOpenJob();
        } catch (const PrinterError& error) {
            showFailure(this, QString::fromUtf8(error.what()));
        }
    }
    event->accept();
}

void frmKolvart::activated() {
    txtSpD->setFocus();
    job_->clearAfdruk();
}

void frmKolvart::entryKeyPress(QLineEdit* next, qint16& keyAscii) {
    if ((keyAscii >= 48 && keyAscii <= 57) || keyAscii == 46 || keyAscii == 8)
        return;
    if (keyAscii == 13) {
        next->setFocus();
        return;
    }
    keyAscii = 0;
    desktop_->beep();
}

void frmKolvart::resultKeyPress(qint16& keyAscii) {
    keyAscii = 0;
    desktop_->beep();
}

void frmKolvart::berekenClicked() {
    if (ending_)
        return;
    const std::string spD = txtSpD->text().toStdString();
    const std::string dd = txtDD->text().toStdString();
    const std::string zi = txtZI->text().toStdString();
    const std::string separator = QLocale().decimalPoint().toStdString();
    try {
        const std::optional<CoilDesign> design = Bereken(spD, dd, zi, separator);
        if (!design)
            return;
        txtSpD2->setText(QString::fromStdString(design->diameter));
        txtSpL->setText(QString::fromStdString(design->length));
        txtAW->setText(QString::fromStdString(design->turns));
        txtSpD->setFocus();
    } catch (const FloatingPointError& error) {
        showFailure(this, QStringLiteral("Rekenfout: %1.").arg(QString::fromUtf8(error.what())));
    }
}

void frmKolvart::afdrukClicked() {
    if (ending_)
        return;
    job_->Print([this](ReportBox box) {
        switch (box) {
        case ReportBox::SpD:
            return txtSpD->text();
        case ReportBox::DD:
            return txtDD->text();
        case ReportBox::ZI:
            return txtZI->text();
        case ReportBox::SpD2:
            return txtSpD2->text();
        case ReportBox::SpL:
            return txtSpL->text();
        case ReportBox::AW:
            return txtAW->text();
        }
        return QString();
    });
}

void frmKolvart::stoppenClicked() {
    if (ending_)
        return;
    try {
        job_->Stop();
    } catch (const PrinterError& error) {
        showFailure(this, QString::fromUtf8(error.what()));
    }
    ending_ = true;
    desktop_->endProgram();
}

} // namespace kolvart
