// The end of the session: a signal releases the open print job once, as Stop
// does, and then ends the program; a refused release goes to standard error.
#include "app/session_end.h"
#include "report/print_job.h"
#include "tests/report/fake_report_platform.h"

#include <QCoreApplication>
#include <QTest>

#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

using kolvart::PrinterScript;

class SessionEndTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void signalReleasesTheJobThenEnds_data();
    void signalReleasesTheJobThenEnds();
    void secondSignalDuringTheReleaseChangesNothing();
    void refusedReleaseGoesToStandardError();
    void logoutRequestReleasesTheJob();
    void ignoredSignalStaysIgnored();

private:
    void print(int times) {
        for (int i = 0; i < times; ++i)
            job_->Print([](kolvart::ReportBox) { return QStringLiteral("1"); });
    }
    int count(const std::string& entry) const {
        return static_cast<int>(std::count(printer_.log.begin(), printer_.log.end(), entry));
    }
    // The text written to the errors file so far.
    std::string errors() const {
        std::fflush(errors_);
        std::rewind(errors_);
        std::string text;
        for (int c; (c = std::fgetc(errors_)) != EOF;)
            text += static_cast<char>(c);
        return text;
    }

    PrinterScript printer_;
    std::unique_ptr<kolvart::PrintJob> job_;
    std::FILE* errors_ = nullptr;
    std::vector<int> ends_; // the signals the program ended by
    std::unique_ptr<kolvart::SessionEnd> sessionEnd_;
};

void SessionEndTest::init() {
    printer_ = PrinterScript();
    ends_.clear();
    job_ = std::make_unique<kolvart::PrintJob>(
        std::make_unique<kolvart::FakeReportPlatform>(printer_));
    errors_ = std::tmpfile();
    QVERIFY(errors_);
    sessionEnd_ = std::make_unique<kolvart::SessionEnd>(
        *job_, errors_, [this](int signal) { ends_.push_back(signal); });
}

void SessionEndTest::cleanup() {
    // In the program's order, the watch before the job: an exit handler
    // still holding the job would touch it after it is gone, which the
    // sanitizers report as the test program exits.
    sessionEnd_.reset();
    job_.reset();
    std::fclose(errors_);
}

void SessionEndTest::signalReleasesTheJobThenEnds_data() {
    QTest::addColumn<int>("signal");
    QTest::addColumn<int>("prints");
    QTest::addColumn<int>("released");
    QTest::newRow("logout, two prints") << SIGTERM << 2 << 1;
    QTest::newRow("terminal closed, two prints") << SIGHUP << 2 << 1;
    QTest::newRow("Ctrl+C, two prints") << SIGINT << 2 << 1;
    QTest::newRow("logout, after a page break") << SIGTERM << 8 << 1;
    QTest::newRow("logout, nothing printed") << SIGTERM << 0 << 0;
}

void SessionEndTest::signalReleasesTheJobThenEnds() {
    QFETCH(int, signal);
    QFETCH(int, prints);
    QFETCH(int, released);
    print(prints);
    const std::vector<std::string> printed = printer_.log;
    std::raise(signal);
    QTRY_COMPARE(ends_.size(), std::size_t{1});
    QCOMPARE(ends_.front(), signal);
    QCOMPARE(count("endDocument"), released);
    // The same document as Stop gives: the log up to the end is the prints'.
    QVERIFY(std::equal(printed.begin(), printed.end(), printer_.log.begin()));
    QCOMPARE(printer_.log.size(), printed.size() + static_cast<std::size_t>(released));
    QCOMPARE(errors(), std::string());

    // The program's own ending, with the handler still in place: a parent
    // that waits for it sees it ended by the signal, not exit with a status.
    const pid_t child = ::fork();
    if (child == 0)
        kolvart::SessionEnd::endBySignal(signal);
    int status = 0;
    QCOMPARE(::waitpid(child, &status, 0), child);
    QVERIFY2(WIFSIGNALED(status) && WTERMSIG(status) == signal,
             qPrintable(QString::number(status)));
}

void SessionEndTest::secondSignalDuringTheReleaseChangesNothing() {
    print(2);
    printer_.duringEndDocument = [] {
        std::raise(SIGTERM);
        QCoreApplication::processEvents();
    };
    std::raise(SIGHUP);
    QTRY_COMPARE(ends_.size(), std::size_t{1});
    QTest::qWait(50);
    QCOMPARE(ends_, std::vector<int>{SIGHUP});
    QCOMPARE(count("endDocument"), 1);
}

void SessionEndTest::refusedReleaseGoesToStandardError() {
    print(2);
    printer_.failAt = printer_.operations; // the end of the document
    std::raise(SIGTERM);
    QTRY_COMPARE(ends_.size(), std::size_t{1});
    QCOMPARE(errors(), std::string("kolvart: mislukt: endDocument\n"));
    QCOMPARE(job_->afdrukValue(), qint16{0});
}

void SessionEndTest::logoutRequestReleasesTheJob() {
    print(2);
    sessionEnd_->commitData();
    QCOMPARE(count("endDocument"), 1);
    QVERIFY(ends_.empty()); // the session manager ends the program, if it does
    // The logout goes on: closing the window releases nothing twice.
    job_->Stop();
    QCOMPARE(count("endDocument"), 1);
}

void SessionEndTest::ignoredSignalStaysIgnored() {
    // As under nohup: the program started with SIGHUP ignored.
    sessionEnd_.reset();
    const auto before = std::signal(SIGHUP, SIG_IGN);
    sessionEnd_ = std::make_unique<kolvart::SessionEnd>(
        *job_, errors_, [this](int signal) { ends_.push_back(signal); });
    print(1);
    std::raise(SIGHUP);
    QTest::qWait(50);
    QVERIFY(ends_.empty());
    QCOMPARE(count("endDocument"), 0);
    sessionEnd_.reset();
    std::signal(SIGHUP, before);
}

QTEST_GUILESS_MAIN(SessionEndTest)
#include "session_end_test.moc"
