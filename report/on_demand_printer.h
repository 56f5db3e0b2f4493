#pragma once

#include "report/report_platform.h"

#include <QPointer>
#include <QString>
#include <QWidget>

#include <memory>

namespace kolvart {

// The program's printer, loaded at its first use.
//
// The printer on Qt lives in a module of its own, so that Qt's print support
// is neither loaded nor built before the user prints. The first operation
// loads the module and creates the printer; every operation is then passed
// on to it. A module that cannot be loaded is a PrinterError of that first
// operation.
class OnDemandPrinter final : public ReportPlatform {
public:
    // Looks for the module beside the program, then in the program's private
    // library folder, given relative to the folder that holds the program.
    OnDemandPrinter(QWidget* dialogParent, QString installedModuleDir);
    ~OnDemandPrinter() override;

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

    // The file name of the module, and the name of the function in it that
    // creates the printer: ReportPlatform* (QWidget* dialogParent).
    static const char* const moduleName;
    static const char* const factoryName;

private:
    ReportPlatform& printer();

    QPointer<QWidget> dialogParent_;
    QString installedModuleDir_;
    std::unique_ptr<ReportPlatform> printer_;
};

} // namespace kolvart
