#pragma once

#include "report/report_platform.h"

#include <functional>
#include <string>
#include <vector>

namespace kolvart {

// What the fake printer did and what it is told to do. The test owns it; the
// print job owns the fake.
struct PrinterScript {
    std::vector<std::string> log;                     // one readable entry per operation
    QString fontName = QStringLiteral("Courier New"); // the font the printer reports
    int failAt = -1;    // the operation, counted from 0, that throws PrinterError
    int operations = 0; // operations so far, the failed one included
    std::function<void()> duringEndDocument; // runs inside endDocument, before it is logged
};

// A printer that writes every operation into the script's log instead of
// printing. Adjacent texts of a print statement are shown as one, and empty
// texts are left out: they print the same.
class FakeReportPlatform final : public ReportPlatform {
public:
    explicit FakeReportPlatform(PrinterScript& script);

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

    // A text in double quotes with a carriage return written as \r.
    static std::string quoted(const QString& text);

private:
    void record(const std::string& entry);

    PrinterScript& script_;
};

} // namespace kolvart
