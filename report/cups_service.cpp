#include "report/cups_service.h"

#include <QLibrary>

#include <cups/cups.h>

#include <optional>

namespace kolvart {

namespace {

// The parts of libcups that tell what became of a job. The library is opened
// when a job ends instead of linked: linked, it and the twenty libraries it
// needs would load at every start of the program. By then Qt's CUPS print
// support has loaded it, so this is the same copy, which holds the status of
// Qt's own requests.
struct Cups {
    decltype(&cupsLastError) lastError;
    decltype(&cupsLastErrorString) lastErrorString;
    decltype(&cupsServer) server;
    decltype(&ippPort) port;
    decltype(&cupsEncryption) encryption;
    decltype(&httpConnect2) connect;
    decltype(&httpClose) close;
    decltype(&cupsGetNamedDest) getNamedDest;
    decltype(&cupsFreeDests) freeDests;
};

std::optional<Cups> openCups() {
    QLibrary library(QStringLiteral("cups"), 2); // stays loaded
    const auto get = [&library]<typename F>(F*& function, const char* name) {
        function = reinterpret_cast<F*>(library.resolve(name));
        return function != nullptr;
    };
    Cups cups{};
    if (get(cups.lastError, "cupsLastError") && get(cups.lastErrorString, "cupsLastErrorString") &&
        get(cups.server, "cupsServer") && get(cups.port, "ippPort") &&
        get(cups.encryption, "cupsEncryption") && get(cups.connect, "httpConnect2") &&
        get(cups.close, "httpClose") && get(cups.getNamedDest, "cupsGetNamedDest") &&
        get(cups.freeDests, "cupsFreeDests"))
        return cups;
    return std::nullopt;
}

} // namespace

// Every way through libcups's submission (cupsPrintFile) sets the status, to
// a success status when the service took the job; a status left by earlier
// requests, such as the print dialog's queries, is overwritten by it.
QString cupsRefusal(const QString& printerName) {
    // Without libcups Qt's engine was not the CUPS one: there is no answer.
    static const std::optional<Cups> cups = openCups();
    if (!cups)
        return {};
    const ipp_status_t status = cups->lastError();
    if (status < IPP_STATUS_REDIRECTION_OTHER_SITE)
        return {};
    QString reason = QString::fromUtf8(cups->lastErrorString());
    // A queue that libcups could not look up comes back as no more than "No
    // such file or directory"; asking again tells a service that cannot be
    // reached from a queue that is not there.
    if (status == IPP_STATUS_ERROR_INTERNAL) {
        http_t* http = cups->connect(cups->server(), cups->port(), nullptr, AF_UNSPEC,
                                     cups->encryption(), 1, 5000, nullptr);
        if (!http) {
            return QStringLiteral("De afdrukdienst (%1) is niet bereikbaar: %2")
                .arg(QString::fromUtf8(cups->server()), QString::fromUtf8(cups->lastErrorString()));
        }
        // The queue without the instance, as Qt's engine names it to CUPS.
        const QByteArray queue = printerName.section(u'/', 0, 0).toUtf8();
        if (cups_dest_t* dest = cups->getNamedDest(http, queue.constData(), nullptr))
            cups->freeDests(1, dest);
        else
            reason = QString::fromUtf8(cups->lastErrorString());
        cups->close(http);
    }
    return QStringLiteral("De afdrukdienst heeft de afdruk voor \"%1\" niet aangenomen: %2")
        .arg(printerName, reason);
}

} // namespace kolvart
