#include "ui/frmkolvart.h"

#include "calc/coil_design.h"
#include "report/print_job.h"
#include "report/qt_report_platform.h"
#include "resources/app_icon.h"
#include "ui/character_code.h"
#include "ui/desktop.h"
#include "ui/twips.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFrame>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>

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

QLabel* makeLabel(QWidget* container, const char* name, const QString& caption, QRect geometry,
                  QFont::Weight weight) {
    auto* label = new QLabel(caption, container);
    label->setObjectName(QLatin1String(name));
    label->setGeometry(geometry);
    label->setFont(labelFont(weight));
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    label->setWordWrap(false);
    label->setTextFormat(Qt::PlainText);
    label->setBackgroundRole(QPalette::Button);
    label->setAutoFillBackground(true);
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
    label =
        makeLabel(frame, labelName, caption, twipsRect(120, top, labelWidth, 252), QFont::Normal);
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
                       twipsRect(120, 120, 5055, 375), QFont::Bold);

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
    for (QLineEdit* box : {txtSpD, txtDD, txtZI, txtSpD2, txtSpL, txtAW})
        box->installEventFilter(this);
}

void frmKolvart::showCentred() {
    const QPoint centre = screen()->availableGeometry().center();
    move(centre - rect().center());
    show();
    // Once shown, the frame that the window system adds is known: centre the
    // whole window, frame included.
    QRect frame = frameGeometry();
    frame.moveCenter(centre);
    move(frame.topLeft());
    // Without a window manager nothing activates a new window: ask for it.
    activateWindow();
}

bool frmKolvart::event(QEvent* event) {
    const bool handled = QWidget::event(event);
    // Qt reports an activation again whenever a modal box closes; the
    // handler belongs to the first one, right after start-up.
    if (event->type() == QEvent::WindowActivate && !activatedOnce_) {
        activatedOnce_ = true;
        activated();
    }
    return handled;
}

bool frmKolvart::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress)
        return QWidget::eventFilter(watched, event);
    const std::optional<qint16> code = characterCode(*static_cast<QKeyEvent*>(event));
    if (!code)
        return false; // keys that type nothing edit and move as the box does by itself

    qint16 keyAscii = *code;
    if (watched == txtSpD)
        entryKeyPress(txtDD, keyAscii);
    else if (watched == txtDD)
        entryKeyPress(txtZI, keyAscii);
    else if (watched == txtZI)
        entryKeyPress(txtSpD, keyAscii);
    else
        resultKeyPress(keyAscii);

    // A discarded character goes no further, and Enter has already done its
    // work by moving the focus.
    return keyAscii == 0 || keyAscii == 13;
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
