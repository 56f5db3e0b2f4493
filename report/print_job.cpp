#include "report/print_job.h"

#include "report/report_platform.h"

#include <iterator>
#include <utility>
#include <vector>

namespace kolvart {

namespace {

constexpr qint16 True = -1;

constexpr float counterStep = 10;    // one block
constexpr float sheetFull = 70;      // seven blocks to a sheet
constexpr float reportFontSize = 10; // points
constexpr int equalsColumn = 35;
constexpr int valueColumn = 40;

const QString indent = QStringLiteral("         "); // nine spaces

// The lines of the block that show a value: label, box and unit. Labels and
// units are printed as they stand, every blank included.
struct ValueLine {
    const char* label;
    ReportBox box;
    const char* unit; // empty: no unit
};

constexpr ValueLine valueLines[] = {
    {"Spoeldiameter  (opgave)", ReportBox::SpD, " mm"},
    {"Draad dikte      (opgave)", ReportBox::DD, " mm"},
    {"Zelfinductie      (opgave)", ReportBox::ZI, " uH"},
    {"Spoeldiameter  (berekend)", ReportBox::SpD2, " mm"},
    {"Spoellengte   ", ReportBox::SpL, " mm"},
    {"Aantal windingen  ", ReportBox::AW, ""},
};

const QString roundingNote = QStringLiteral(
    "Let op afrondings verschillen en verschil tussen aanbevolen en opgegeven diameter");

// The notice after every block. The lone carriage return splits it in two
// lines; the message box shows them one over the other.
const QString accumulateNotice = QStringLiteral("Afdrukken accumuleren totdat het vel vol is") +
                                 QChar(u'\r') + QStringLiteral("of op 'Stoppen' geklikt wordt!");

// A block: a blank line, the value lines, the rounding note and a blank line.
static_assert(PrintJob::blockLines == 1 + std::size(valueLines) + 2);
static_assert(PrintJob::blocksPerSheet * counterStep == sheetFull);

std::vector<PrintItem> textLine(const QString& text) {
    return {text};
}

} // namespace

PrintJob::PrintJob(std::unique_ptr<ReportPlatform> platform)
    : platform_(std::move(platform)) {}

void PrintJob::Print(const BoxReader& box) {
    // Every failure, of the printer, its dialog, the message box or the
    // reading of a box, ends the click silently. What was sent to the
    // printer before it stays there and the job stays open, so the next
    // click carries on where this one stopped.
    try {
        if (Afdruk == 0)
            openJob();
        printBlock(box);
        aantal = static_cast<float>(static_cast<double>(aantal) + static_cast<double>(counterStep));
        if (aantal >= sheetFull)
            breakPage();
        platform_->showMessage(accumulateNotice);
        // NOLINTNEXTLINE(bugprone-empty-catch): the click ends silently, as said above
    } catch (...) {
    }
}

void PrintJob::openJob() {
    platform_->showPrinterDialog();
    // Set before anything is printed: from here on the job counts as open,
    // even when a later step fails, and the dialog is not shown again.
    Afdruk = True;
    platform_->printLine(textLine(QString())); // the first output opens the job
    PrinterFont = platform_->fontName();
    restoreFont();
    platform_->setFontStyle(FontStyle::Bold, false);
    platform_->setFontStyle(FontStyle::Italic, false);
    platform_->setFontStyle(FontStyle::Underline, false);
}

// Putting the font name back by way of the empty name makes the printer take
// the font afresh, with the report's size.
void PrintJob::restoreFont() {
    platform_->setFontName(QString());
    platform_->setFontName(PrinterFont);
    platform_->setFontSize(reportFontSize);
}

void PrintJob::printBlock(const BoxReader& box) {
    platform_->printLine(textLine(QStringLiteral(" ")));
    for (const ValueLine& line : valueLines) {
        // Read right before the line is printed: the report shows the box as
        // it stands now, also when it was edited after the calculation.
        const QString value = box(line.box);
        std::vector<PrintItem> items{indent + QString::fromLatin1(line.label), TabTo{equalsColumn},
                                     QStringLiteral(" = "), TabTo{valueColumn}, value};
        if (*line.unit != '\0')
            items.emplace_back(QString::fromLatin1(line.unit));
        platform_->printLine(items);
    }
    platform_->printLine(textLine(indent + roundingNote));
    platform_->printLine(textLine(QStringLiteral(" ")));
}

void PrintJob::breakPage() {
    platform_->newPage();
    platform_->printLine(textLine(QString()));
    restoreFont();
    // The empty line has just put the print position at the start of its
    // line; setting the horizontal position to 0 keeps it there, so every
    // sheet begins the way the first one does: one empty line, then blocks.
    platform_->setHorizontalPosition(0);
    aantal = 0;
}

void PrintJob::Stop() {
    // Cleared first: a failing end is reported once, and nothing is ended twice.
    if (std::exchange(Afdruk, qint16{0}) == True)
        platform_->endDocument();
}

} // namespace kolvart
