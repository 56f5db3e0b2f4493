#pragma once

#include <QString>

#include <stdexcept>
#include <string>
#include <variant>
#include <vector>

namespace kolvart {

// A failure of the printer, its dialog or the message box, raised at the
// failing step. what() is the message shown to the user (UTF-8, Dutch).
class PrinterError : public std::runtime_error {
public:
    explicit PrinterError(const std::string& message)
        : std::runtime_error(message) {}
};

// A Tab item of a print statement: moves the print position to the left edge
// of a column. Columns are numbered from 1 at the left edge of the line and
// are as wide as the average character of the printer's current font.
struct TabTo {
    int column;
};

// One item of a print statement: a text, printed at the print position, or a
// Tab to a column.
using PrintItem = std::variant<QString, TabTo>;

// The Boolean style settings of the printer's current font.
enum class FontStyle { Bold, Italic, Underline };

// What the print job needs from the printer, its set-up dialog and the
// message box. Every operation throws PrinterError when it fails.
//
// The printer has a current font (name, size, style settings), a print
// position (a line and a horizontal position on the current sheet) and a
// sequence of sheets that forms one job. The first print statement opens the
// job; it stays open until endDocument().
class ReportPlatform {
public:
    virtual ~ReportPlatform() = default;
    ReportPlatform(const ReportPlatform&) = delete;
    ReportPlatform& operator=(const ReportPlatform&) = delete;

    // Shows the printer set-up dialog modally and returns when it is closed.
    // A printer confirmed there receives all output that follows; closing the
    // dialog with Cancel is no error and changes nothing.
    virtual void showPrinterDialog() = 0;

    // A print statement: writes the items one right after another from the
    // print position, with nothing between them, then ends the line, which
    // moves the print position to the start of the next line. Opens the job
    // when none is open.
    virtual void printLine(const std::vector<PrintItem>& items) = 0;

    // The name of the printer's current font.
    virtual QString fontName() = 0;
    // The font of that name becomes the current font for the output that
    // follows; its size and style settings stay.
    virtual void setFontName(const QString& name) = 0;
    // Output that follows is printed at this size.
    virtual void setFontSize(float points) = 0;
    // Switches one style setting of the current font on or off.
    virtual void setFontStyle(FontStyle style, bool on) = 0;

    // Moves the print position along the current line, to x points from the
    // left edge of the printable area; the line stays the same.
    virtual void setHorizontalPosition(float x) = 0;

    // Ends the current sheet; the print position goes to the top of a new
    // sheet of the same job.
    virtual void newPage() = 0;

    // Ends the job and releases everything printed in it, the partly filled
    // last sheet included. Throws PrinterError when the job does not reach
    // its destination, also for a job that could not be begun. Does nothing
    // when no job was begun.
    virtual void endDocument() = 0;

    // Shows a message with one OK button, above all other windows, and
    // returns when the user dismisses it. A lone carriage return in the text
    // starts a new line.
    virtual void showMessage(const QString& text) = 0;

protected:
    ReportPlatform() = default;
};

} // namespace kolvart
