#pragma once

#include "report/report_platform.h"
#include "ui/desktop.h"

#include <QMargins>
#include <QWidget>

#include <memory>
#include <optional>

class QFrame;
class QGroupBox;
class QInputMethodEvent;
class QKeyEvent;
class QLabel;
class QLineEdit;
class QPushButton;
class QShortcutEvent;

namespace kolvart {

class PrintJob;

// The one window of the program: the banner, the input frame with the
// coil diameter, wire thickness and inductance, the result frame with the
// calculated diameter, length and turns, and the buttons "&Afdruk",
// "&Stoppen" and "&Bereken". It owns the six boxes and the print job.
class frmKolvart : public QWidget {
    Q_OBJECT

public:
    // desktop and printer default to the real ones; tests pass fakes.
    explicit frmKolvart(std::unique_ptr<Desktop> desktop = nullptr,
                        std::unique_ptr<ReportPlatform> printer = nullptr,
                        QWidget* parent = nullptr);
    ~frmKolvart() override;

    // Shows the window centred on its screen, frame included where a window
    // manager puts one around it, and makes it the active window, also where
    // no window manager does that.
    void showCentred();

    const PrintJob& printJob() const { return *job_; }

protected:
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void buildControls();
    void bindEvents();
    // Moves the window so that it stands centred with a frame of these margins.
    void placeCentred(const QMargins& frame);

    // The handlers of the window's events.
    void activated();
    void berekenClicked();
    void afdrukClicked();
    void stoppenClicked();
    void entryKeyPress(QLineEdit* next, qint16& keyAscii);
    void resultKeyPress(qint16& keyAscii);

    // Every way a character reaches a box ends in its KeyPress handler.
    void keyPress(QLineEdit* box, qint16& keyAscii);
    QLineEdit* nextEntry(const QLineEdit* box) const; // null for a result box
    bool boxKeyPress(QLineEdit* box, const QKeyEvent& event);
    bool boxInputMethod(QLineEdit* box, const QInputMethodEvent& event);
    bool accessKey(QPushButton* button, const QShortcutEvent& event);

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

    std::unique_ptr<Desktop> desktop_;
    std::unique_ptr<PrintJob> job_;
    bool activatedOnce_ = false; // the activation handler runs at the first activation only
    bool ending_ = false;        // Stop has ended the program: no handler runs any more
    const QInputMethodEvent* forwarding_ = nullptr; // a filtered commit on its way to its box
    // The frame the window manager announced before the window was shown, if any.
    std::optional<QMargins> announcedFrame_;
};

} // namespace kolvart
