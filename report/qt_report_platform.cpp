#include "report/qt_report_platform.h"

#include "report/cups_service.h"
#include "report/print_job.h"

#include <QCoreApplication>
#include <QFile>
#include <QFontDatabase>
#include <QFontMetricsF>
#include <QMessageBox>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QRegularExpression>
#include <QTextBoundaryFinder>
#include <QTextLayout>
#include <QTimer>

#include <algorithm>
#include <type_traits>
#include <utility>

namespace kolvart {

namespace {

[[noreturn]] void fail(const QString& message) {
    throw PrinterError(message.toStdString());
}

// A lone carriage return separates lines in the texts of the report; a
// QMessageBox breaks lines at a line feed only.
QString withLineBreaks(QString text) {
    return text.replace(QRegularExpression(QStringLiteral("\r(?!\n)")), QStringLiteral("\n"));
}

const QString noPrinter =
    QStringLiteral("Er is geen printer gekozen: de afdruk is niet verstuurd.");

// Why the painter could not begin the job on the printer.
QString notBegun(const QPrinter& printer) {
    if (const QString path = printer.outputFileName(); !path.isEmpty()) {
        QFile file(path); // the system's words for why it cannot be written
        if (file.open(QIODevice::WriteOnly | QIODevice::Append))
            return QStringLiteral("Het bestand \"%1\" kan niet worden geschreven.").arg(path);
        return QStringLiteral("Het bestand \"%1\" kan niet worden geschreven: %2.")
            .arg(path, file.errorString());
    }
    // Without any print queue, Qt's printer writes PDF and needs a file.
    if (printer.printerName().isEmpty())
        return noPrinter;
    return QStringLiteral("De afdruk op \"%1\" kan niet worden begonnen.")
        .arg(printer.printerName());
}

// Qt's PDF writer ends every document with this marker and does not tell when
// a write fails: a file without it at its end was not written whole.
bool writtenWhole(const QString& path) {
    constexpr qint64 tail = 16;
    QFile file(path);
    return file.open(QIODevice::ReadOnly) && file.size() >= tail && file.seek(file.size() - tail) &&
           file.read(tail).contains("%%EOF");
}

} // namespace

QtReportPlatform::QtReportPlatform(QWidget* dialogParent)
    : dialogParent_(dialogParent) {}

QtReportPlatform::QtReportPlatform(QWidget* dialogParent, PdfOutput pdf)
    : dialogParent_(dialogParent)
    , pdf_(std::move(pdf)) {}

QtReportPlatform::~QtReportPlatform() = default;

bool QtReportPlatform::dialogsShown() const {
    return !pdf_ || pdf_->showDialogs;
}

QPrinter& QtReportPlatform::printer() {
    if (!printer_) {
        printer_ = std::make_unique<QPrinter>(QPrinter::HighResolution);
        // The name the print queue shows for the job.
        printer_->setDocName(QCoreApplication::applicationName());
        if (pdf_) {
            printer_->setOutputFormat(QPrinter::PdfFormat);
            printer_->setOutputFileName(pdf_->filePath);
            if (pdf_->paper)
                printer_->setPageLayout(*pdf_->paper);
        }
    }
    return *printer_;
}

QFont& QtReportPlatform::font() {
    if (!font_) {
        // The printer starts with the system's general font, in plain style.
        const QFont system = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
        QFont start(pdf_ && !pdf_->startFont.isEmpty() ? pdf_->startFont : system.family());
        start.setPointSizeF(system.pointSizeF() > 0 ? system.pointSizeF() : 10);
        font_ = start;
    }
    return *font_;
}

QFontMetricsF QtReportPlatform::metrics() {
    return QFontMetricsF(font(), &printer());
}

void QtReportPlatform::showPrinterDialog() {
    QPrinter& target = printer();
    if (!dialogsShown())
        return;
    QPrintDialog dialog(&target, dialogParent_);
    dialog.setWindowModality(Qt::ApplicationModal);
    // The set-up variant: the user picks the printer and its page settings;
    // a page range means nothing for the report.
    dialog.setOptions(QAbstractPrintDialog::PrintToFile | QAbstractPrintDialog::PrintShowPageSize);
    // Cancel keeps the printer as it was; either way printing goes on.
    dialog.exec();
}

QPainter& QtReportPlatform::openJob() {
    if (!painter_)
        painter_ = std::make_unique<QPainter>();
    if (!painter_->isActive()) {
        QPrinter& target = printer();
        if (!painter_->begin(&target)) {
            const QString message = notBegun(target);
            // Print ends silently at this failure; the end of the document
            // reports it, so that the lost blocks do not go unnoticed.
            if (notBegun_.isEmpty())
                notBegun_ = message;
            fail(message);
        }
        x_ = 0;
        y_ = 0;
        line_ = 0;
    }
    return *painter_;
}

void QtReportPlatform::printLine(const std::vector<PrintItem>& items) {
    openJob();
    for (const PrintItem& item : items) {
        std::visit(
            [this](const auto& value) {
                if constexpr (std::is_same_v<std::decay_t<decltype(value)>, TabTo>)
                    tabTo(value.column);
                else
                    printText(value);
            },
            item);
    }
    lineEnd();
}

// A text wider than the rest of the line goes on from the left margin of the
// next line, broken where a line may break, or anywhere in a word wider than
// the sheet: nothing runs off its right edge.
void QtReportPlatform::printText(const QString& text) {
    if (text.isEmpty())
        return;
    const QFontMetricsF m = metrics();
    const qreal width = printer().width();
    if (x_ + m.horizontalAdvance(text) <= width) {
        drawText(text);
        return;
    }
    // A first word that does not fit the rest of this line starts the next.
    QTextBoundaryFinder breaks(QTextBoundaryFinder::Line, text);
    if (x_ > 0 && x_ + m.horizontalAdvance(text.left(breaks.toNextBoundary())) > width) {
        x_ = 0;
        nextLine();
    }
    QTextLayout layout(text, font(), &printer());
    QTextOption wrap;
    wrap.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout.setTextOption(wrap);
    layout.beginLayout();
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine())
        line.setLineWidth(layout.lineCount() == 1 ? width - x_ : width);
    layout.endLayout();
    for (int i = 0; i < layout.lineCount(); ++i) {
        if (i > 0) {
            x_ = 0;
            nextLine();
        }
        const QTextLine line = layout.lineAt(i);
        drawText(text.mid(line.textStart(), line.textLength()));
    }
}

void QtReportPlatform::drawText(const QString& text) {
    QPainter& painter = openJob();
    const QFontMetricsF m = metrics();
    // A line that would run past the bottom of the sheet goes on the next
    // one: the printer's own page handling, apart from the report's counter.
    // Line steps that fill a sheet to its bottom may add up to a hair more.
    constexpr qreal rounding = 1e-6;
    if (y_ > 0 && y_ + m.height() > printer().height() + rounding) {
        startNewSheet();
        y_ = 0;
        line_ = 0;
    }
    painter.setFont(font());
    painter.drawText(QPointF(x_, y_ + m.ascent()), text);
    x_ += m.horizontalAdvance(text);
}

void QtReportPlatform::tabTo(int column) {
    const QFontMetricsF m = metrics();
    const qreal edge = (column - 1) * m.averageCharWidth();
    // Past the column already: the rest of the line goes to that column of
    // the next line.
    if (x_ > edge)
        nextLine();
    x_ = edge;
}

void QtReportPlatform::lineEnd() {
    x_ = 0;
    nextLine();
}

void QtReportPlatform::nextLine() {
    y_ += lineStep();
    ++line_;
}

// The font's own line spacing, or closer where the lines that a full sheet
// has still to hold would not fit at that spacing: a sheet holds its seven
// blocks whatever the font and the paper. Never closer than the font's size;
// where even that does not fit, lines run onto the next sheet.
qreal QtReportPlatform::lineStep() {
    const QFontMetricsF m = metrics();
    const int linesAfter = PrintJob::linesPerSheet - 1 - line_;
    if (linesAfter <= 0)
        return m.lineSpacing();
    const qreal fit = (printer().height() - y_ - m.height()) / linesAfter;
    const qreal fontSize = font().pointSizeF() * printer().resolution() / 72.0;
    return std::min(m.lineSpacing(), std::max(fit, fontSize));
}

QString QtReportPlatform::fontName() {
    return font().family();
}

void QtReportPlatform::setFontName(const QString& name) {
    font().setFamily(name);
}

void QtReportPlatform::setFontSize(float points) {
    if (!(points > 0))
        fail(QStringLiteral("Ongeldige lettergrootte: %1.").arg(points));
    font().setPointSizeF(points);
}

void QtReportPlatform::setFontStyle(FontStyle style, bool on) {
    QFont& current = font();
    switch (style) { // every style named, so that a new one is a warning here
    case FontStyle::Bold:
        current.setBold(on);
        break;
    case FontStyle::Italic:
        current.setItalic(on);
        break;
    case FontStyle::Underline:
        current.setUnderline(on);
        break;
    }
}

void QtReportPlatform::setHorizontalPosition(float x) {
    x_ = static_cast<qreal>(x) * printer().resolution() / 72.0;
}

void QtReportPlatform::newPage() {
    openJob();
    startNewSheet();
    x_ = 0;
    y_ = 0;
    line_ = 0;
}

void QtReportPlatform::startNewSheet() {
    if (!printer().newPage())
        fail(QStringLiteral("Er kan geen nieuw vel worden begonnen."));
}

void QtReportPlatform::endDocument() {
    QString failure = std::exchange(notBegun_, QString());
    if (painter_ && painter_->isActive()) {
        // Ending the painter ends the job and releases every sheet of it, the
        // partly filled last one included.
        const bool released = painter_->end();
        x_ = 0;
        y_ = 0;
        if (!released)
            failure = QStringLiteral("Het document kan niet naar de printer worden gestuurd.");
        else if (QString refused = refusal(); !refused.isEmpty())
            failure = std::move(refused);
    }
    if (!failure.isEmpty())
        fail(failure);
}

// Why the job that the painter has just ended did not reach its destination;
// empty when it did. Only for a print queue does Qt's engine hand the
// document to the print service as the painter ends, and only then is the
// service's answer read.
QString QtReportPlatform::refusal() {
    const QPrinter& target = printer();
    if (const QString file = target.outputFileName(); !file.isEmpty()) {
        if (writtenWhole(file))
            return {};
        return QStringLiteral("Het bestand \"%1\" is niet volledig geschreven.").arg(file);
    }
    if (target.outputFormat() != QPrinter::NativeFormat)
        return {};
    // Qt's engine then drops the document with no more than a warning.
    if (target.printerName().isEmpty())
        return noPrinter;
    return cupsRefusal(target.printerName());
}

void QtReportPlatform::showMessage(const QString& text) {
    if (!dialogsShown())
        return;
    QMessageBox box(QMessageBox::NoIcon, QCoreApplication::applicationName(), withLineBreaks(text),
                    QMessageBox::Ok, dialogParent_);
    box.setTextFormat(Qt::PlainText);
    box.setWindowModality(Qt::ApplicationModal);
    box.setWindowFlag(Qt::WindowStaysOnTopHint);
    // Brought to the front once it shows, also when another program has the
    // focus.
    QTimer::singleShot(0, &box, [&box] {
        box.raise();
        box.activateWindow();
    });
    box.exec();
}

} // namespace kolvart
