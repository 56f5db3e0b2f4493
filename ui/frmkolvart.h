#pragma once

#include "report/report_platform.h"
#include "ui/desktop.h"
#include "ui/key_filter.h"
#include "ui/layout.h"
#include "ui/placement.h"

#include <QWidget>

#include <memory>

class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace kolvart {

class PrintJob;

// The one window of the program: the banner, the input frame with the
// coil diameter, wire thickness and inductance, the result frame with the
// calculated diameter, length and turns, and the buttons "&Afdruk",
// "&Stoppen" and "&Bereken". It owns the six boxes and the print job, and
// holds the handlers of their events.
class frmKolvart : public QWidget, private KeyPressHandlers {
    Q_OBJECT

public:
    // The desktop beeps and ends the program; the printer prints the report.
    frmKolvart(std::unique_ptr<Desktop> desktop, std::unique_ptr<ReportPlatform> printer,
               QWidget* parent = nullptr);
    ~frmKolvart() override;

    // Shows the window centred on its screen and makes it the active window.
    void showCentred();

    const PrintJob& printJob() const { return *job_; }
    PrintJob& printJob() { return *job_; }

protected:
    bool event(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void buildControls();
    void bindEvents();

    // The handlers of the window's events.
    void activated();
    void berekenClicked();
    void afdrukClicked();
    void stoppenClicked();
    void releaseJob(); // Stop, its failure shown
    void entryKeyPress(QLineEdit* next, qint16& keyAscii);
    void resultKeyPress(qint16& keyAscii);

    // What the key filter calls.
    void keyPress(QLineEdit& box, qint16& keyAscii) override;
    bool ended() const override { return ended_; }

    QLabel* Label1 = nullptr;
    QFrame* Line2 = nullptr;
    QGroupBox* Frame2 = nullptr;
    QLabel* Label2 = nullptr;
    QLineEdit* txtSpD = nullptr;
    QLabel* Label3 = nullptr;
    QLineEdit* txtDD = nullptr;
    QLabel* Label4 = nullptr;
    QLineEdit* txtZI = nullptr;
    QGroupBox* Frame1 = nullptr;
    QLabel* Label7 = nullptr;
    QLineEdit* txtSpD2 = nullptr;
    QLabel* Label6 = nullptr;
    QLineEdit* txtSpL = nullptr;
    QLabel* Label8 = nullptr;
    QLineEdit* txtAW = nullptr;
    QPushButton* cmdAfdruk = nullptr;
    QPushButton* cmdStoppen = nullptr;
    QPushButton* cmdBereken = nullptr;

    const Layout layout_; // grown with the desktop's text size

    std::unique_ptr<Desktop> desktop_;
    std::unique_ptr<PrintJob> job_;
    CentredPlacement placement_;
    bool activatedOnce_ = false; // the activation handler runs at the first activation only
    bool ended_ = false;         // Stop has ended the program: no handler runs any more
    KeyFilter keyFilter_{*this}; // last: gone before anything it calls
};

} // namespace kolvart
