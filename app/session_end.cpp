#include "app/session_end.h"

#include "report/print_job.h"

#include <QSocketNotifier>

#include <cerrno>
#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

#include <array>
#include <cstdlib>
#include <utility>

namespace kolvart {
namespace {

constexpr std::array caught{SIGTERM, SIGHUP, SIGINT};

// The socket pair between the signal handler and the event loop: the
// handler writes to [0], the notifier reads [1].
int signalSockets[2] = {-1, -1};

struct sigaction previous[std::size(caught)];
bool installed[std::size(caught)] = {};

// The job to release should the program exit with it still open, and where
// a refusal then goes.
PrintJob* jobAtExit = nullptr;
std::FILE* errorsAtExit = nullptr;

// Releases the job as Stop does; nobody may be there to close a box, so a
// refusal goes to errors.
void release(PrintJob& job, std::FILE* errors) {
    try {
        job.Stop();
    } catch (const PrinterError& error) {
        std::fprintf(errors, "kolvart: %s\n", error.what());
        std::fflush(errors);
    }
}

extern "C" void releaseAtExit() {
    if (PrintJob* job = std::exchange(jobAtExit, nullptr))
        release(*job, errorsAtExit);
}

extern "C" void onSignal(int signal) {
    // Only what is safe in a signal handler: one write, errno kept.
    const int saved = errno;
    const auto byte = static_cast<unsigned char>(signal);
    [[maybe_unused]] const auto written = ::write(signalSockets[0], &byte, 1);
    errno = saved;
}

} // namespace

SessionEnd::SessionEnd(PrintJob& job, std::FILE* errors, Ending end)
    : job_(job)
    , errors_(errors)
    , end_(std::move(end)) {
    // Registered now, after Qt has started: the exit handlers run before
    // what Qt made until now is destroyed.
    static const bool registered = std::atexit(releaseAtExit) == 0;
    if (registered) {
        jobAtExit = &job_;
        errorsAtExit = errors_;
    }

    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, signalSockets) != 0)
        return; // the signals keep their default action
    notifier_ = std::make_unique<QSocketNotifier>(signalSockets[1], QSocketNotifier::Read);
    connect(notifier_.get(), &QSocketNotifier::activated, this, &SessionEnd::signalled);

    for (std::size_t i = 0; i < std::size(caught); ++i) {
        struct sigaction current {};
        if (::sigaction(caught[i], nullptr, &current) != 0 || current.sa_handler == SIG_IGN)
            continue;
        struct sigaction action {};
        action.sa_handler = onSignal;
        sigemptyset(&action.sa_mask);
        action.sa_flags = SA_RESTART;
        installed[i] = ::sigaction(caught[i], &action, &previous[i]) == 0;
    }
}

SessionEnd::~SessionEnd() {
    jobAtExit = nullptr;
    for (std::size_t i = 0; i < std::size(caught); ++i) {
        if (installed[i])
            ::sigaction(caught[i], &previous[i], nullptr);
        installed[i] = false;
    }
    notifier_.reset();
    for (int& socket : signalSockets) {
        if (socket >= 0)
            ::close(socket);
        socket = -1;
    }
}

void SessionEnd::signalled() {
    unsigned char byte = 0;
    if (::read(signalSockets[1], &byte, 1) != 1)
        return;
    // A second signal while the first is handled (the release can take a
    // moment) neither releases again nor cuts the release short.
    if (std::exchange(ending_, true))
        return;
    release(job_, errors_);
    end_(byte);
}

void SessionEnd::commitData() {
    if (!ending_)
        release(job_, errors_);
}

void SessionEnd::endBySignal(int signal) {
    std::signal(signal, SIG_DFL);
    std::raise(signal);
    std::_Exit(128 + signal); // the shells' status for it, should the signal not end it
}

} // namespace kolvart
