#pragma once

#include "report/report_platform.h"

#include <QString>
#include <QtGlobal>

#include <functional>
#include <memory>

namespace kolvart {

// The six boxes of the window whose texts the report prints.
enum class ReportBox { SpD, DD, ZI, SpD2, SpL, AW };

// The print job of the window: result blocks gather on one sheet, seven to a
// sheet, in one job that stays open from the first print until Stop.
class PrintJob {
public:
    // Reads the text of a box at the moment a line needs it.
    using BoxReader = std::function<QString(ReportBox)>;

    // The lines of a full sheet: the empty line it begins with and seven
    // blocks of nine. The printer sets its lines close enough to hold them.
    static constexpr int blockLines = 9;
    static constexpr int blocksPerSheet = 7;
    static constexpr int linesPerSheet = 1 + blocksPerSheet * blockLines;

    explicit PrintJob(std::unique_ptr<ReportPlatform> platform);

    // The click of "&Afdruk": opens the job on the first call (printer
    // dialog, empty line, font), prints one block, breaks the page after the
    // seventh block of a sheet and shows the notice. Any failure ends it at
    // once and silently; what was done before stays done.
    void Print(const BoxReader& box);

    // The click of "&Stoppen", without ending the program: ends the document
    // when a job is open, so that every printed block reaches the printer.
    // The job counts as closed from then on, so that nothing is ended twice
    // whichever way the program ends. Throws PrinterError when the end of
    // the document fails.
    void Stop();

    // The window's first activation clears the flag of the open job.
    void clearAfdruk() noexcept { Afdruk = 0; }

    float aantalValue() const noexcept { return aantal; }
    const QString& printerFontValue() const noexcept { return PrinterFont; }
    qint16 afdrukValue() const noexcept { return Afdruk; }

private:
    void openJob();
    void printBlock(const BoxReader& box);
    void breakPage();
    void restoreFont();

    std::unique_ptr<ReportPlatform> platform_;
    float aantal = 0;    // fill counter of the current sheet, +10 a block
    QString PrinterFont; // the printer's font name when the job opened
    qint16 Afdruk = 0;   // True (-1) while a job is open
};

} // namespace kolvart
