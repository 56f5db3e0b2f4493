#include "report/on_demand_printer.h"

#include <QCoreApplication>
#include <QDir>
#include <QLibrary>

namespace kolvart {

const char* const OnDemandPrinter::moduleName = "kolvart_printing";
const char* const OnDemandPrinter::factoryName = "kolvart_create_printer";

OnDemandPrinter::OnDemandPrinter(QWidget* dialogParent, QString installedModuleDir)
    : dialogParent_(dialogParent)
    , installedModuleDir_(std::move(installedModuleDir)) {}

// The module stays loaded until the program ends: the printer it made is
// destroyed here, while its code is still there.
OnDemandPrinter::~OnDemandPrinter() = default;

ReportPlatform& OnDemandPrinter::printer() {
    if (printer_)
        return *printer_;

    const QDir programDir(QCoreApplication::applicationDirPath());
    QString errors;
    for (const QString& dir : {programDir.path(), programDir.filePath(installedModuleDir_)}) {
        QLibrary module(QDir(dir).filePath(QString::fromLatin1(moduleName)));
        using Factory = ReportPlatform* (*)(QWidget*);
        if (auto create = reinterpret_cast<Factory>(module.resolve(factoryName))) {
            printer_.reset(create(dialogParent_));
            return *printer_;
        }
        errors += QLatin1Char('\n') + module.errorString();
    }
    throw PrinterError(
        QStringLiteral("Het afdrukken kan niet worden gestart: het onderdeel %1 ontbreekt.%2")
            .arg(QString::fromLatin1(moduleName), errors)
            .toStdString());
}

void OnDemandPrinter::showPrinterDialog() {
    printer().showPrinterDialog();
}

void OnDemandPrinter::printLine(const std::vector<PrintItem>& items) {
    printer().printLine(items);
}

QString OnDemandPrinter::fontName() {
    return printer().fontName();
}

void OnDemandPrinter::setFontName(const QString& name) {
    printer().setFontName(name);
}

void OnDemandPrinter::setFontSize(float points) {
    printer().setFontSize(points);
}

void OnDemandPrinter::setFontStyle(FontStyle style, bool on) {
    printer().setFontStyle(style, on);
}

void OnDemandPrinter::setHorizontalPosition(float x) {
    printer().setHorizontalPosition(x);
}

void OnDemandPrinter::newPage() {
    printer().newPage();
}

// With no printer made yet no job can be open: nothing to end, nothing to load.
void OnDemandPrinter::endDocument() {
    if (printer_)
        printer_->endDocument();
}

void OnDemandPrinter::showMessage(const QString& text) {
    printer().showMessage(text);
}

} // namespace kolvart
