#pragma once

#include <QObject>

#include <cstdio>
#include <functional>
#include <memory>

class QSocketNotifier;

namespace kolvart {

class PrintJob;

// The end of the session: logging out or shutting down (SIGTERM), closing the
// terminal the program runs in (SIGHUP) and Ctrl+C there (SIGINT) release an
// open print job as Stop does, so that no printed block is lost, and then
// end the program by that signal. A session manager's request to save the
// session before a logout releases the job too.
//
// The signal handler only writes the signal's number to a socket pair; the
// event loop reads it, also inside a modal dialog or message box, and does
// the rest.
//
// When the display goes away (the X server ends, the compositor crashes), Qt
// ends the program with exit(): a job still open is released as the program
// exits, before the objects Qt made by then are torn down.
//
// Only one SessionEnd exists at a time.
class SessionEnd final : public QObject {
    Q_OBJECT

public:
    // How the program ends after a signal: by default by the signal itself,
    // with its default action, so that whoever started the program sees it
    // ended by that signal.
    using Ending = std::function<void(int signal)>;

    // Catches the three signals, except one the program was started with
    // ignored (nohup). A release the print service refuses is written to
    // errors: nobody may be there to close a box.
    explicit SessionEnd(PrintJob& job, std::FILE* errors = stderr, Ending end = endBySignal);
    ~SessionEnd() override;
    SessionEnd(const SessionEnd&) = delete;
    SessionEnd& operator=(const SessionEnd&) = delete;

    // The session manager asks for the program's data before a logout.
    void commitData();

    static void endBySignal(int signal);

private:
    void signalled();

    PrintJob& job_;
    std::FILE* errors_;
    Ending end_;
    std::unique_ptr<QSocketNotifier> notifier_;
    bool ending_ = false; // a signal is being handled: later ones change nothing
};

} // namespace kolvart
