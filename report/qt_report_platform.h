#pragma once

#include "report/report_platform.h"

#include <QFont>
#include <QPageLayout>
#include <QPointer>
#include <QString>
#include <QWidget>

#include <memory>
#include <optional>

class QFontMetricsF;
class QPainter;
class QPrinter;

namespace kolvart {

// The printer of the report on Qt: a QPrinter with a QPainter that stays
// active from the first print statement until the end of the document, so
// that the blocks of many clicks land in one job. Ending the document tells
// whether the job reached its destination: a print queue that did not take
// it, or a file that could not be written, is a PrinterError there.
//
// Nothing printer-related is built before the first operation needs it: the
// window can create this object at start-up at no cost.
class QtReportPlatform final : public ReportPlatform {
public:
    // Output to a PDF file in place of a printer, for tests: the printer
    // dialog and the message box are left out unless asked for.
    struct PdfOutput {
        QString filePath;
        QString startFont;        // the font the printer starts with; empty: the system font
        bool showDialogs = false; // show the printer dialog and the message box anyway
        std::optional<QPageLayout> paper; // the sheet and its margins; empty: the printer's
    };

    // Prints on the platform's default printer; the printer dialog and the
    // message box are modal to dialogParent.
    explicit QtReportPlatform(QWidget* dialogParent = nullptr);
    QtReportPlatform(QWidget* dialogParent, PdfOutput pdf);
    ~QtReportPlatform() override;

    // The window the dialogs are modal to, once it exists.
    void setDialogParent(QWidget* dialogParent) { dialogParent_ = dialogParent; }

    void showPrinterDialog() override;
    void printLine(const std::vector<PrintItem>& items) override;
    QString fontName() override;
    void setFontName(const QString& name) override;
    void setFontSize(float points) override;
    void setFontStyle(FontStyle style, bool on) override;
    void setHorizontalPosition(float x) override;
    void newPage() override;
    void endDocument() override;
    void showMessage(const QString& text) override;

private:
    QPrinter& printer();
    QFont& font();
    QFontMetricsF metrics();
    QPainter& openJob();
    void printText(const QString& text);
    void drawText(const QString& text);
    void tabTo(int column);
    void lineEnd();
    void nextLine();
    qreal lineStep();
    void startNewSheet();
    bool dialogsShown() const;
    QString refusal();

    QPointer<QWidget> dialogParent_;
    std::optional<PdfOutput> pdf_;
    std::unique_ptr<QPrinter> printer_;
    std::optional<QFont> font_;
    // Active while the job is open. Destroyed before the printer: a job the
    // window did not release is ended while its printer is still there.
    std::unique_ptr<QPainter> painter_;
    QString notBegun_; // why the job could not be begun; reported when it ends
    // The print position in device pixels from the top-left corner of the
    // printable area; y is the top of the current line.
    qreal x_ = 0;
    qreal y_ = 0;
    int line_ = 0; // the number of the current line on the sheet, from 0
};

} // namespace kolvart
