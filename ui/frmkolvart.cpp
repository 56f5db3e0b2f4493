#include "ui/frmkolvart.h"

#include "calc/coil_design.h"
#include "report/print_job.h"
#include "resources/app_icon.h"
#include "ui/controls.h"
#include "ui/key_codes.h"
#include "ui/layout.h"
#include "ui/text_room.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMessageBox>
#include <QPushButton>

#include <algorithm>
#include <initializer_list>

namespace kolvart {
namespace {

// The size of the boxes and of the buttons, in twips, and the buttons'
// captions, their access keys marked with "&".
constexpr int boxWidth = 1335;
constexpr int boxHeight = 285;
constexpr int buttonWidth = 975;
constexpr int buttonHeight = 375;
const QString afdrukCaption = QStringLiteral("&Afdruk");
const QString stoppenCaption = QStringLiteral("&Stoppen");
const QString berekenCaption = QStringLiteral("&Bereken");

// The least scale, from the designed size up, at which the boxes have room
// for their digits in the application's font and the buttons for their
// captions in theirs (a platform theme may give buttons a font of their
// own). Measured once: the window is laid out when it is made.
Layout fittingLayout(const QStyle& style) {
    const QFont boxFont = QApplication::font();
    const QFont buttonFont = QApplication::font("QPushButton");
    const QString captions[] = {afdrukCaption, stoppenCaption, berekenCaption};
    const auto fits = [&](const Layout& layout) {
        const QSize button = layout.size(buttonWidth, buttonHeight);
        return boxHasRoom(style, boxFont, layout.size(boxWidth, boxHeight)) &&
               std::ranges::all_of(captions, [&](const QString& caption) {
                   return buttonHasRoom(style, buttonFont, caption, button);
               });
    };
    // Ten times the designed size at most, whatever a style asks for.
    Layout layout;
    while (!fits(layout) && layout.percent() < 1000)
        layout = layout.larger();
    return layout;
}

// One row of a frame: the label at the left and its box at the right.
void makeRow(const Layout& layout, QGroupBox* frame, int top, QLabel*& label, const char* labelName,
             const QString& caption, int labelWidth, QLineEdit*& box, const char* boxName) {
    label = makeLabel(frame, labelName, caption, layout.rect(120, top, labelWidth, 252),
                      QFont::Normal, LabelBackground::Container, layout);
    box = makeBox(frame, boxName, layout.rect(3480, top, boxWidth, boxHeight), label);
}

// A failure the user has to know of, in a box titled with the program's name.
void showFailure(QWidget* parent, const QString& text) {
    QMessageBox::critical(parent, QApplication::applicationName(), text);
}

} // namespace

frmKolvart::frmKolvart(std::unique_ptr<Desktop> desktop, std::unique_ptr<ReportPlatform> printer,
                       QWidget* parent)
    : QWidget(parent)
    , layout_(fittingLayout(*style()))
    , desktop_(std::move(desktop))
    , job_(std::make_unique<PrintJob>(std::move(printer))) {
    setObjectName(QStringLiteral("frmKolvart"));
    setWindowTitle(QStringLiteral("Berekenen van luchtspoeltjes"));
    setWindowIcon(applicationIcon());
    // The layout is fixed from left to right, also where Qt's translations
    // turn the rest of the application to a right-to-left language.
    setLayoutDirection(Qt::LeftToRight);
    setFixedSize(layout_.size(5316, 4632));

    buildControls();
    bindEvents();
}

frmKolvart::~frmKolvart() = default;

void frmKolvart::buildControls() {
    Label1 =
        makeLabel(this, "Label1", QStringLiteral("Luchtspoelberekening volgens Wheeler"),
                  layout_.rect(120, 120, 5055, 375), QFont::Bold, LabelBackground::Own, layout_);

    // A solid rule in the window-text colour, drawn over the banner's
    // background. It is filled, not drawn as a frame's line: a style draws
    // those in its own shade (KDE's Breeze in a pale grey).
    Line2 = new QFrame(this);
    Line2->setObjectName(QStringLiteral("Line2"));
    Line2->setFrameShape(QFrame::NoFrame);
    Line2->setBackgroundRole(QPalette::WindowText);
    Line2->setAutoFillBackground(true);
    Line2->setGeometry(layout_.pixels(120), layout_.pixels(480),
                       layout_.pixels(5160) - layout_.pixels(120), 1);
    Line2->raise();

    Frame2 = makeFrame(this, "Frame2", QStringLiteral("Invoer gegevens"),
                       layout_.rect(120, 600, 5052, 1575), layout_);
    makeRow(layout_, Frame2, 360, Label2, "Label2", QStringLiteral("Spoel diameter in mm"), 3252,
            txtSpD, "txtSpD");
    makeRow(layout_, Frame2, 720, Label3, "Label3", QStringLiteral("Draaddikte in mm"), 3132, txtDD,
            "txtDD");
    makeRow(layout_, Frame2, 1080, Label4, "Label4",
            QStringLiteral("Zelfinductie in uH  (min. 0.001)"), 3132, txtZI, "txtZI");

    Frame1 = makeFrame(this, "Frame1", QStringLiteral("Resultaat voor enkellaags luchtspoel"),
                       layout_.rect(120, 2280, 5052, 1575), layout_);
    makeRow(layout_, Frame1, 360, Label7, "Label7",
            QStringLiteral("Spoel diameter in mm (gecorr.)"), 3012, txtSpD2, "txtSpD2");
    makeRow(layout_, Frame1, 720, Label6, "Label6",
            QStringLiteral("Spoel lengte (wikkelruimte) in mm"), 3132, txtSpL, "txtSpL");
    makeRow(layout_, Frame1, 1080, Label8, "Label8", QStringLiteral("Aantal windingen"), 3012,
            txtAW, "txtAW");

    cmdAfdruk = makeButton(this, "cmdAfdruk", afdrukCaption,
                           layout_.rect(480, 4080, buttonWidth, buttonHeight));
    cmdStoppen = makeButton(this, "cmdStoppen", stoppenCaption,
                            layout_.rect(2160, 4080, buttonWidth, buttonHeight));
    cmdBereken = makeButton(this, "cmdBereken", berekenCaption,
                            layout_.rect(3840, 4080, buttonWidth, buttonHeight));

    // Tab walks the buttons, then the results, then the entries, and round.
    QWidget* const order[] = {cmdBereken, cmdAfdruk, cmdStoppen, txtSpD2, txtSpL,
                              txtAW,      txtSpD,    txtDD,      txtZI};
    for (std::size_t i = 0; i + 1 < std::size(order); ++i)
        setTabOrder(order[i], order[i + 1]);
}

void frmKolvart::bindEvents() {
    // A click runs its handler only while the program runs. The key filter
    // stops the user's input once the program has ended; this stops the
    // clicks that come another way, such as a screen reader's press.
    const auto bind = [this](QPushButton* button, void (frmKolvart::*handler)()) {
        connect(button, &QPushButton::clicked, this, [this, handler] {
            if (!ended())
                (this->*handler)();
        });
    };
    bind(cmdBereken, &frmKolvart::berekenClicked);
    bind(cmdAfdruk, &frmKolvart::afdrukClicked);
    bind(cmdStoppen, &frmKolvart::stoppenClicked);
    for (QWidget* control : std::initializer_list<QWidget*>{
             this, txtSpD, txtDD, txtZI, txtSpD2, txtSpL, txtAW, cmdAfdruk, cmdStoppen, cmdBereken})
        keyFilter_.watch(*control);
}

void frmKolvart::showCentred() {
    placement_.show(*this);
}

bool frmKolvart::event(QEvent* event) {
    const bool handled = QWidget::event(event);
    // Qt reports an activation again whenever a modal box closes; the
    // handler belongs to the first one, right after start-up.
    if (event->type() == QEvent::WindowActivate && !activatedOnce_) {
        activatedOnce_ = true;
        placement_.settle(*this);
        activated();
    }
    return handled;
}

void frmKolvart::closeEvent(QCloseEvent* event) {
    // Closing ends the program too: a job still open is released first.
    releaseJob();
    event->accept();
}

void frmKolvart::keyPress(QLineEdit& box, qint16& keyAscii) {
    if (&box == txtSpD)
        entryKeyPress(txtDD, keyAscii);
    else if (&box == txtDD)
        entryKeyPress(txtZI, keyAscii);
    else if (&box == txtZI)
        entryKeyPress(txtSpD, keyAscii);
    else
        resultKeyPress(keyAscii);
}

void frmKolvart::activated() {
    txtSpD->setFocus();
    job_->clearAfdruk();
}

void frmKolvart::entryKeyPress(QLineEdit* next, qint16& keyAscii) {
    if ((keyAscii >= KeyCode::Digit0 && keyAscii <= KeyCode::Digit9) ||
        keyAscii == KeyCode::Point || keyAscii == KeyCode::Backspace)
        return;
    if (keyAscii == KeyCode::Return) {
        next->setFocus();
        return;
    }
    keyAscii = KeyCode::None;
    desktop_->beep();
}

void frmKolvart::resultKeyPress(qint16& keyAscii) {
    keyAscii = KeyCode::None;
    desktop_->beep();
}

void frmKolvart::berekenClicked() {
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
    job_->Print([this](ReportBox box) {
        QLineEdit* const boxes[] = {txtSpD, txtDD, txtZI, txtSpD2, txtSpL, txtAW}; // as ReportBox
        return boxes[static_cast<int>(box)]->text();
    });
}

void frmKolvart::stoppenClicked() {
    releaseJob();
    ended_ = true;
    desktop_->endProgram();
}

void frmKolvart::releaseJob() {
    // A job the printer cannot release is shown before the program ends.
    try {
        job_->Stop();
    } catch (const PrinterError& error) {
        showFailure(this, QString::fromUtf8(error.what()));
    }
}

} // namespace kolvart
