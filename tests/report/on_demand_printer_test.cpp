// The program's printer is a module loaded at the first print.
#include "report/on_demand_printer.h"

#include <QDir>
#include <QTest>

namespace kolvart {

class OnDemandPrinterTest : public QObject {
    Q_OBJECT

private slots:
    void loadsTheModuleAtTheFirstOperation();
    void aMissingModuleFailsTheFirstOperation();
};

// The module is built beside the program, at the top of the build tree.
void OnDemandPrinterTest::loadsTheModuleAtTheFirstOperation() {
    OnDemandPrinter printer(nullptr, QStringLiteral(KOLVART_TEST_MODULE_DIR));
    printer.endDocument(); // no job yet: loads nothing and ends nothing
    QVERIFY(!printer.fontName().isEmpty());
    printer.setFontSize(10);
    printer.endDocument();
}

void OnDemandPrinterTest::aMissingModuleFailsTheFirstOperation() {
    OnDemandPrinter printer(nullptr, QStringLiteral("no/such/folder"));
    printer.endDocument();
    try {
        printer.fontName();
        QFAIL("the first operation did not fail");
    } catch (const PrinterError& error) {
        QVERIFY2(QString::fromUtf8(error.what()).contains(QStringLiteral("kolvart_printing")),
                 error.what());
    }
}

} // namespace kolvart

QTEST_MAIN(kolvart::OnDemandPrinterTest)
#include "on_demand_printer_test.moc"
