// The entry point of the printing module, which the program loads at the
// first print (see OnDemandPrinter).
#include "report/qt_report_platform.h"

extern "C" Q_DECL_EXPORT kolvart::ReportPlatform* kolvart_create_printer(QWidget* dialogParent) {
    return new kolvart::QtReportPlatform(dialogParent);
}
