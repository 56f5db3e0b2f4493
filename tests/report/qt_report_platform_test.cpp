#include "report/cups_service.h"
#include "report/print_job.h"
#include "report/qt_report_platform.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFileInfo>
#include <QFontInfo>
#include <QFontMetricsF>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>
#include <QProcess>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <cups/cups.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <map>
#include <memory>
#include <numeric>
#include <vector>

namespace kolvart {
namespace {

const std::map<ReportBox, QString> values = {
    {ReportBox::SpD, QStringLiteral("10")},   {ReportBox::DD, QStringLiteral("1.5")},
    {ReportBox::ZI, QStringLiteral("2.25")},  {ReportBox::SpD2, QStringLiteral("11")},
    {ReportBox::SpL, QStringLiteral("13.8")}, {ReportBox::AW, QStringLiteral("13.6")}};

QString boxText(ReportBox box) {
    return values.at(box);
}

const QString roundingNote = QStringLiteral("Let op afrondings verschillen");

QString pdftotext(const QStringList& arguments) {
    QProcess process;
    process.start(QStringLiteral(KOLVART_PDFTOTEXT), arguments);
    if (!process.waitForFinished(30000) || process.exitCode() != 0)
        return QStringLiteral("pdftotext failed: ") + process.readAllStandardError();
    QString text = QString::fromUtf8(process.readAllStandardOutput());
    // The PDF keeps the ligatures that the font set.
    text.replace(QChar(0xFB01), QStringLiteral("fi"));
    text.replace(QChar(0xFB02), QStringLiteral("fl"));
    return text;
}

// The text of a PDF file as pdftotext lays it out, one string per page.
QStringList pdfPages(const QString& path) {
    QStringList pages =
        pdftotext({QStringLiteral("-layout"), path, QStringLiteral("-")}).split(u'\f');
    pages.removeLast(); // every page ends with a form feed
    return pages;
}

// A word of a PDF file, its sheet (from 1), and where it starts and ends, in
// points from the top-left corner of the sheet.
struct Word {
    QString text;
    double x;
    double y;
    double right;
    double bottom;
    int page;
};

std::vector<Word> pdfWords(const QString& path) {
    const QString html = pdftotext({QStringLiteral("-bbox"), path, QStringLiteral("-")});
    static const QRegularExpression word(QStringLiteral(
        R"re(<page |<word xMin="([\d.]+)" yMin="([\d.]+)" xMax="([\d.]+)" yMax="([\d.]+)">([^<]*)</word>)re"));
    std::vector<Word> words;
    int page = 0;
    for (auto it = word.globalMatch(html); it.hasNext();) {
        const auto match = it.next();
        if (match.captured(5).isNull()) {
            ++page;
            continue;
        }
        words.push_back({match.captured(5), match.captured(1).toDouble(),
                         match.captured(2).toDouble(), match.captured(3).toDouble(),
                         match.captured(4).toDouble(), page});
    }
    return words;
}

// Sheets as printers give them: the paper and the margins that the printer
// can print within.
QPageLayout sheet(QPageSize::PageSizeId paper, double sides, double topAndBottom) {
    return {QPageSize(paper), QPageLayout::Portrait,
            QMarginsF(sides, topAndBottom, sides, topAndBottom), QPageLayout::Point};
}
const QPageLayout a4 = sheet(QPageSize::A4, 12, 12);

// Widths in points of the report font, 10 points of the family, on a printer.
struct FontWidths {
    double average;
    double space;
};

FontWidths reportFontWidths(const QString& family) {
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    QFont font(family);
    font.setPointSizeF(10);
    const QFontMetricsF metrics(font, &printer);
    const double toPoints = 72.0 / printer.resolution();
    return {metrics.averageCharWidth() * toPoints, metrics.horizontalAdvance(u' ') * toPoints};
}

// Answers the modal windows that the job shows: the printer dialog is
// cancelled, the message box confirmed. Notes what each one showed.
class ModalResponder {
public:
    struct Seen {
        QString kind;
        QString title;
        QString text;
        int buttons = 0;
        bool onTop = false;
        QAbstractPrintDialog::PrintDialogOptions options = {};
    };

    ModalResponder() {
        QObject::connect(&timer_, &QTimer::timeout, [this] { answer(); });
        timer_.start(20);
    }

    std::vector<Seen> seen;

private:
    void answer() {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal)
            return;
        if (auto* box = qobject_cast<QMessageBox*>(modal)) {
            seen.push_back({QStringLiteral("message"), box->windowTitle(), box->text(),
                            static_cast<int>(box->buttons().size()),
                            box->windowFlags().testFlag(Qt::WindowStaysOnTopHint)});
            box->button(QMessageBox::Ok)->click();
        } else if (auto* dialog = qobject_cast<QPrintDialog*>(modal)) {
            seen.push_back({QStringLiteral("printer dialog"), {}, {}, 0, false, dialog->options()});
            dialog->reject();
        } else if (auto* other = qobject_cast<QDialog*>(modal)) {
            seen.push_back(
                {QString::fromLatin1(other->metaObject()->className()), {}, {}, 0, false});
            other->reject();
        }
    }

    QTimer timer_;
};

} // namespace

class QtReportPlatformTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void sheetsHoldSevenBlocks_data();
    void sheetsHoldSevenBlocks();
    void printsTheValuesBesideTheirLabels();
    void tabsLineTheColumnsUp_data();
    void tabsLineTheColumnsUp();
    void linesPastTheBottomGoOnTheNextSheet();
    void stopReleasesTheJobOnce();
    void aJobThatMissesItsDestinationIsReportedAtStop_data();
    void aJobThatMissesItsDestinationIsReportedAtStop();
    void cancelledDialogStillPrintsAndTheNoticeHasTwoLines();
    void thePrintServicesWordsReachTheUser_data();
    void thePrintServicesWordsReachTheUser();

private:
    QString pdfPath(const QString& name) const { return dir_.filePath(name + ".pdf"); }
    static std::unique_ptr<PrintJob> pdfJob(const QString& path, const QString& font = {},
                                            bool dialogs = false, const QPageLayout& paper = a4) {
        return std::make_unique<PrintJob>(std::make_unique<QtReportPlatform>(
            nullptr, QtReportPlatform::PdfOutput{path, font, dialogs, paper}));
    }

    QTemporaryDir dir_;
};

void QtReportPlatformTest::initTestCase() {
    // Set by main() in the program; the message box and the job take it.
    QCoreApplication::setApplicationName(QStringLiteral("Kolvart"));
    QVERIFY(dir_.isValid());
    if (!QFileInfo(QStringLiteral(KOLVART_PDFTOTEXT)).isExecutable())
        QSKIP("pdftotext is not installed");
}

void QtReportPlatformTest::sheetsHoldSevenBlocks_data() {
    QTest::addColumn<QString>("font"); // the desktop's, that the printer starts with; empty: Qt's
    QTest::addColumn<QPageLayout>("paper");
    QTest::addColumn<int>("prints");
    QTest::addColumn<QList<int>>("blocksPerSheet"); // empty: as many as the sheets hold
    QTest::addColumn<QString>("diameter");          // the box's text; empty: 10

    const QString dejaVu = QStringLiteral("DejaVu Sans");
    QTest::newRow("one") << dejaVu << a4 << 1 << QList<int>{1} << QString();
    QTest::newRow("three") << dejaVu << a4 << 3 << QList<int>{3} << QString();
    // The page is broken right after the seventh block: the second sheet
    // holds only the empty line.
    QTest::newRow("seven") << dejaVu << a4 << 7 << QList<int>{7, 0} << QString();
    QTest::newRow("fifteen") << dejaVu << a4 << 15 << QList<int>{7, 7, 1} << QString();
    // The desktops' fonts on laser and inkjet sheets: the lines are set
    // closer where the font's own spacing would not fit seven blocks.
    const std::pair<const char*, QPageLayout> papers[] = {
        {"A4", a4},
        {"Letter", sheet(QPageSize::Letter, 12, 12)},
        {"Letter inkjet", sheet(QPageSize::Letter, 18, 36)}};
    for (const char* font : {"DejaVu Sans", "Noto Sans", "Cantarell"}) {
        for (const auto& [name, paper] : papers)
            QTest::addRow("%s, %s", font, name)
                << font << paper << 8 << QList<int>{7, 1} << QString();
    }
    // Too small for seven blocks even at the closest lines, and narrower
    // than the rounding note: lines go on on the next line and sheet, never
    // closer than the font's size. A long pasted diameter, in groups of
    // digits or in one piece, goes on from the left margin below its column.
    const QString grouped =
        QStringLiteral("1.") + QStringLiteral("41421 35623 73095 ").repeated(16);
    for (const char* font : {"", "Noto Sans", "Cantarell"}) {
        const char* name = *font ? font : "default font";
        QTest::addRow("%s, A5", name)
            << font << sheet(QPageSize::A5, 12, 12) << 8 << QList<int>{} << QString();
        QTest::addRow("%s, grouped digits", name) << font << a4 << 1 << QList<int>{1} << grouped;
        QTest::addRow("%s, 400 digits", name)
            << font << a4 << 1 << QList<int>{1} << QString(400, u'7');
    }
}

void QtReportPlatformTest::sheetsHoldSevenBlocks() {
    QFETCH(QString, font);
    QFETCH(QPageLayout, paper);
    QFETCH(int, prints);
    QFETCH(QList<int>, blocksPerSheet);
    QFETCH(QString, diameter);
    if (!font.isEmpty() && QFontInfo(QFont(font)).family() != font) {
        if (qEnvironmentVariable("KOLVART_TEST_REQUIRE_ALL") == QLatin1String("1"))
            QFAIL(qPrintable(font + QStringLiteral(" is not installed")));
        QSKIP("the font is not installed (fonts-dejavu-core, fonts-noto-core, fonts-cantarell)");
    }

    const QString path = pdfPath(QStringLiteral("sheets-") + QTest::currentDataTag());
    auto job = pdfJob(path, font, false, paper);
    for (int i = 0; i < prints; ++i) {
        job->Print([&](ReportBox box) {
            return box == ReportBox::SpD && !diameter.isEmpty() ? diameter : boxText(box);
        });
    }
    job->Stop();

    QList<int> blocks;
    for (const QString& page : pdfPages(path))
        blocks.append(static_cast<int>(page.count(roundingNote)));
    if (blocksPerSheet.isEmpty())
        QCOMPARE(std::accumulate(blocks.begin(), blocks.end(), 0), prints);
    else
        QCOMPARE(blocks, blocksPerSheet);
    // Every word whole, inside the printable area of its sheet, and none
    // over another: the height its letters fill, the font's size about the
    // middle of its box, clear of every other word's.
    const QRectF area = paper.paintRect(QPageLayout::Point).adjusted(-0.5, -0.5, 0.5, 0.5);
    const auto letters = [](const Word& word) {
        const double middle = (word.y + word.bottom) / 2;
        return QRectF(QPointF(word.x, middle - 4.95), QPointF(word.right, middle + 4.95));
    };
    const std::vector<Word> words = pdfWords(path);
    int ends = 0;
    for (const Word& word : words) {
        QVERIFY2(area.contains(QRectF(QPointF(word.x, word.y), QPointF(word.right, word.bottom))),
                 qPrintable(word.text + QStringLiteral(" on sheet %1").arg(word.page)));
        for (const Word& other : words) {
            if (&other != &word && other.page == word.page &&
                letters(other).intersects(letters(word)))
                QFAIL(qPrintable(word.text + QStringLiteral(" over ") + other.text +
                                 QStringLiteral(" on sheet %1").arg(word.page)));
        }
        ends += word.text == QLatin1String("diameter");
    }
    QCOMPARE(ends, prints); // the rounding note's last word
}

void QtReportPlatformTest::printsTheValuesBesideTheirLabels() {
    const QString path = pdfPath(QStringLiteral("values"));
    auto job = pdfJob(path, QStringLiteral("DejaVu Sans"));
    job->Print(boxText);
    job->Stop();

    // The name the print queue lists the job under is the document's title.
    QVERIFY(pdftotext({QStringLiteral("-htmlmeta"), path, QStringLiteral("-")})
                .contains(QStringLiteral("<title>Kolvart</title>")));
    const QStringList pages = pdfPages(path);
    QCOMPARE(pages.size(), 1);
    const QString expected[] = {
        QStringLiteral(R"(Spoeldiameter\s+\(opgave\)\s+=\s+10 mm)"),
        QStringLiteral(R"(Draad dikte\s+\(opgave\)\s+=\s+1\.5 mm)"),
        QStringLiteral(R"(Zelfinductie\s+\(opgave\)\s+=\s+2\.25 uH)"),
        QStringLiteral(R"(Spoeldiameter\s+\(berekend\)\s+=\s+11 mm)"),
        QStringLiteral(R"(Spoellengte\s+=\s+13\.8 mm)"),
        QStringLiteral(R"(Aantal windingen\s+=\s+13\.6)"),
        QStringLiteral("Let op afrondings verschillen en verschil tussen aanbevolen en "
                       "opgegeven diameter"),
    };
    for (const QString& line : expected) {
        const QRegularExpression pattern(QStringLiteral("^ *") + line + QStringLiteral(" *$"),
                                         QRegularExpression::MultilineOption);
        QVERIFY2(pattern.match(pages.first()).hasMatch(), qPrintable(line + "\n" + pages.first()));
    }
}

void QtReportPlatformTest::tabsLineTheColumnsUp_data() {
    QTest::addColumn<QString>("font");
    QTest::addColumn<bool>("fixedPitch");

    QTest::newRow("proportional sans") << QStringLiteral("DejaVu Sans") << false;
    QTest::newRow("proportional serif") << QStringLiteral("DejaVu Serif") << false;
    QTest::newRow("fixed pitch") << QStringLiteral("DejaVu Sans Mono") << true;
}

void QtReportPlatformTest::tabsLineTheColumnsUp() {
    QFETCH(QString, font);
    QFETCH(bool, fixedPitch);

    const QString path = pdfPath(QStringLiteral("columns-") + QTest::currentDataTag());
    auto job = pdfJob(path, font);
    job->Print(boxText);
    job->Stop();
    QCOMPARE(job->printerFontValue(), font);

    const std::vector<Word> words = pdfWords(path);
    const auto find = [&](const QString& text) {
        for (const Word& w : words) {
            if (w.text == text)
                return w;
        }
        return Word{QStringLiteral("(missing ") + text + u')', -1000, -1000, -1000, -1000, 0};
    };
    const auto near = [](double a, double b) {
        return std::abs(a - b) < 0.05;
    };

    // The left edge of the printable area: the rounding note starts there
    // after its indent of nine spaces.
    const FontWidths widths = reportFontWidths(font);
    const double left = find(QStringLiteral("Let")).x - 9 * widths.space;
    // " = " starts at the edge of column 35, the value at that of column 40.
    const double equalsAt = left + 34 * widths.average + widths.space;
    const double valueAt = left + 39 * widths.average;

    std::vector<Word> equals;
    for (const Word& w : words) {
        if (w.text == u'=')
            equals.push_back(w);
    }
    QCOMPARE(equals.size(), std::size_t{6});
    for (const Word& eq : equals) {
        QVERIFY2(near(eq.x, equalsAt),
                 qPrintable(QString::number(eq.x) + u' ' + QString::number(equalsAt)));
        // The value of the line: the first word right of "=" on the same line.
        double value = 1e9;
        for (const Word& w : words) {
            if (near(w.y, eq.y) && w.x > eq.x)
                value = std::min(value, w.x);
        }
        QVERIFY2(near(value, valueAt),
                 qPrintable(QString::number(value) + u' ' + QString::number(valueAt)));
    }

    // Indent and label of the inductance line take exactly 35 character
    // widths of a fixed-pitch font: past the edge of column 35, so " = " and
    // the rest of the line go to column 35 of the next line.
    const Word label = find(QStringLiteral("Zelfinductie"));
    const Word value = find(QStringLiteral("2.25"));
    const Word next = find(QStringLiteral("Spoeldiameter")); // line 2, one line above
    const double lineHeight = find(QStringLiteral("Draad")).y - next.y;
    QVERIFY(lineHeight > 5);
    QVERIFY2(near(value.y, label.y + (fixedPitch ? lineHeight : 0)),
             qPrintable(QString::number(value.y) + u' ' + QString::number(label.y)));
}

void QtReportPlatformTest::linesPastTheBottomGoOnTheNextSheet() {
    const QString path = pdfPath(QStringLiteral("overflow"));
    {
        QtReportPlatform printer(nullptr, {path, QStringLiteral("DejaVu Sans"), false, a4});
        printer.setFontSize(10);
        for (int line = 1; line <= 150; ++line)
            printer.printLine({QStringLiteral("regel %1").arg(line)});
        printer.endDocument();
    }
    const QStringList pages = pdfPages(path);
    QVERIFY2(pages.size() >= 2, qPrintable(QString::number(pages.size())));
    QCOMPARE(pages.join(QString()).count(QStringLiteral("regel ")), 150);
    QVERIFY(pages.last().contains(QStringLiteral("regel 150")));
    QVERIFY(!pages.first().contains(QStringLiteral("regel 150")));
    // The first sheet is full: its last line ends inside the printable area,
    // and one line more would not.
    const double edge = a4.paintRect(QPageLayout::Point).bottom();
    std::vector<double> lines; // where each line ends, from the top down
    for (const Word& word : pdfWords(path)) {
        if (word.page == 1 && word.text == QLatin1String("regel"))
            lines.push_back(word.bottom);
    }
    const double last = lines.back();
    const double step = last - lines[lines.size() - 2];
    QVERIFY2(last <= edge && last + step > edge,
             qPrintable(QStringLiteral("%1 %2 %3").arg(last).arg(step).arg(edge)));
}

void QtReportPlatformTest::stopReleasesTheJobOnce() {
    const QString path = pdfPath(QStringLiteral("released"));
    auto job = pdfJob(path);
    for (int i = 0; i < 3; ++i)
        job->Print(boxText);
    job->Stop();
    QCOMPARE(job->afdrukValue(), qint16{0});
    job->Stop(); // the window closing after Stop ends nothing twice

    const QStringList pages = pdfPages(path);
    QCOMPARE(pages.size(), 1);
    QCOMPARE(pages.first().count(roundingNote), 3);
}

void QtReportPlatformTest::aJobThatMissesItsDestinationIsReportedAtStop_data() {
    QTest::addColumn<QString>("path");
    QTest::addColumn<float>("aantal"); // after two prints
    QTest::addColumn<QString>("message");

    // The file cannot be opened: Print fails silently at its first line.
    const QString missing = dir_.filePath(QStringLiteral("missing/report.pdf"));
    QTest::newRow("folder missing")
        << missing << 0.0f
        << QStringLiteral("Het bestand \"%1\" kan niet worden geschreven: %2.")
               .arg(missing, QString::fromLocal8Bit(std::strerror(ENOENT)));
    // PDF output with no file is what Qt's printer gives where there is no
    // print queue.
    QTest::newRow("no printer") << QString() << 0.0f
                                << QStringLiteral(
                                       "Er is geen printer gekozen: de afdruk is niet verstuurd.");
    // Opened, but every write fails (no space left): Print cannot tell.
    QTest::newRow("device full") << QStringLiteral("/dev/full") << 20.0f
                                 << QStringLiteral(
                                        "Het bestand \"/dev/full\" is niet volledig geschreven.");
}

void QtReportPlatformTest::aJobThatMissesItsDestinationIsReportedAtStop() {
    QFETCH(QString, path);
    QFETCH(float, aantal);
    QFETCH(QString, message);
    if (path.startsWith(QStringLiteral("/dev/")) && !QFileInfo::exists(path))
        QSKIP("no such device here");
    // Where a print service runs, Qt's printer without a file goes to its
    // default queue: here no service answers, as on a machine without one.
    cupsSetServer("/nonexistent/cups.sock");
    const auto restore = qScopeGuard([] { cupsSetServer(nullptr); });

    auto job = pdfJob(path);
    job->Print(boxText);
    job->Print(boxText);
    // The dialog went by, so the job counts as open.
    QCOMPARE(job->afdrukValue(), qint16{-1});
    QCOMPARE(job->aantalValue(), aantal);
    try {
        job->Stop();
        QFAIL("Stop reported nothing");
    } catch (const PrinterError& error) {
        QVERIFY2(QString::fromUtf8(error.what()).startsWith(message), error.what());
    }
}

void QtReportPlatformTest::cancelledDialogStillPrintsAndTheNoticeHasTwoLines() {
    const QString path = pdfPath(QStringLiteral("dialogs"));
    auto job = pdfJob(path, {}, true);
    ModalResponder responder;

    job->Print(boxText);
    QCOMPARE(responder.seen.size(), std::size_t{2});
    QCOMPARE(responder.seen[0].kind, QStringLiteral("printer dialog"));
    // The set-up variant: printer and page settings, no page range.
    QCOMPARE(responder.seen[0].options,
             QAbstractPrintDialog::PrintToFile | QAbstractPrintDialog::PrintShowPageSize);
    const ModalResponder::Seen& box = responder.seen[1];
    QCOMPARE(box.kind, QStringLiteral("message"));
    QCOMPARE(box.title, QStringLiteral("Kolvart"));
    QCOMPARE(box.text, QStringLiteral("Afdrukken accumuleren totdat het vel vol is\n"
                                      "of op 'Stoppen' geklikt wordt!"));
    QCOMPARE(box.buttons, 1);
    QVERIFY(box.onTop);

    job->Print(boxText); // no dialog the second time
    QCOMPARE(responder.seen.size(), std::size_t{3});
    QCOMPARE(responder.seen[2].kind, QStringLiteral("message"));

    job->Stop();
    const QStringList pages = pdfPages(path);
    QCOMPARE(pages.size(), 1);
    QCOMPARE(pages.first().count(roundingNote), 2);
}

void QtReportPlatformTest::thePrintServicesWordsReachTheUser_data() {
    QTest::addColumn<bool>("submitted");
    QTest::addColumn<QString>("message"); // %1: libcups's words

    // Where nothing answers, a query fails as a refusal, a submission as a
    // queue that could not be looked up.
    QTest::newRow("refused") << false
                             << QStringLiteral("De afdrukdienst heeft de afdruk voor \"kolvart\" "
                                               "niet aangenomen: %1");
    QTest::newRow("unreachable")
        << true
        << QStringLiteral("De afdrukdienst (/nonexistent/cups.sock) is niet bereikbaar: %1");
}

void QtReportPlatformTest::thePrintServicesWordsReachTheUser() {
    QFETCH(bool, submitted);
    QFETCH(QString, message);
    cupsSetServer("/nonexistent/cups.sock");
    const auto restore = qScopeGuard([] { cupsSetServer(nullptr); });
    if (submitted)
        QCOMPARE(cupsPrintFile("kolvart", "/dev/null", "Kolvart", 0, nullptr), 0);
    else
        ippDelete(cupsDoRequest(CUPS_HTTP_DEFAULT, ippNewRequest(IPP_OP_CUPS_GET_DEFAULT), "/"));
    const QString refusal = cupsRefusal(QStringLiteral("kolvart"));
    const QString words = QString::fromUtf8(cupsLastErrorString());
    QVERIFY(!words.isEmpty());
    QCOMPARE(refusal, message.arg(words));
}

} // namespace kolvart

QTEST_MAIN(kolvart::QtReportPlatformTest)
#include "qt_report_platform_test.moc"
