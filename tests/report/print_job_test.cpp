#include "fake_report_platform.h"
#include "report/print_job.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <map>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace kolvart {
namespace {

using Log = std::vector<std::string>;

std::string spaces(int count) {
    return std::string(static_cast<std::size_t>(count), ' ');
}

const std::string indent = spaces(9);

const char* boxName(ReportBox box) {
    switch (box) {
    case ReportBox::SpD:
        return "txtSpD";
    case ReportBox::DD:
        return "txtDD";
    case ReportBox::ZI:
        return "txtZI";
    case ReportBox::SpD2:
        return "txtSpD2";
    case ReportBox::SpL:
        return "txtSpL";
    case ReportBox::AW:
        return "txtAW";
    }
    return "?";
}

using Boxes = std::map<ReportBox, std::string>;

const Boxes calculated = {{ReportBox::SpD, "10"},   {ReportBox::DD, "1"},
                          {ReportBox::ZI, "1"},     {ReportBox::SpD2, "10"},
                          {ReportBox::SpL, "13.8"}, {ReportBox::AW, "13.6"}};

// A value line as the fake logs it: label, Tab 35, " = ", Tab 40, then the
// value and the unit, which the fake shows as one text. An empty value with
// no unit leaves the line ending in the Tab.
std::string valueLine(const std::string& label, const std::string& valueAndUnit) {
    std::string line = "print \"" + indent + label + "\" Tab(35) \" = \" Tab(40)";
    if (!valueAndUnit.empty())
        line += " \"" + valueAndUnit + "\"";
    return line;
}

// The nine lines of one block, with the reading of each box right before its
// line. The labels are built from their words and the counted blanks.
Log block(const Boxes& boxes) {
    const auto v = [&](ReportBox box) {
        return boxes.at(box);
    };
    return {
        "print \" \"",
        "read txtSpD",
        valueLine("Spoeldiameter" + spaces(2) + "(opgave)", v(ReportBox::SpD) + " mm"),
        "read txtDD",
        valueLine("Draad" + spaces(1) + "dikte" + spaces(6) + "(opgave)", v(ReportBox::DD) + " mm"),
        "read txtZI",
        valueLine("Zelfinductie" + spaces(6) + "(opgave)", v(ReportBox::ZI) + " uH"),
        "read txtSpD2",
        valueLine("Spoeldiameter" + spaces(2) + "(berekend)", v(ReportBox::SpD2) + " mm"),
        "read txtSpL",
        valueLine("Spoellengte" + spaces(3), v(ReportBox::SpL) + " mm"),
        "read txtAW",
        valueLine("Aantal" + spaces(1) + "windingen" + spaces(2), v(ReportBox::AW)),
        "print \"" + indent +
            "Let op afrondings verschillen en verschil tussen aanbevolen en opgegeven diameter\"",
        "print \" \"",
    };
}

const Log opening = {
    "dialog",
    "print",
    "fontName -> \"Courier New\"",
    "fontName = \"\"",
    "fontName = \"Courier New\"",
    "fontSize = 10",
    "bold = false",
    "italic = false",
    "underline = false",
};

const Log pageBreak = {
    "newPage", "print", "fontName = \"\"", "fontName = \"Courier New\"", "fontSize = 10", "x = 0",
};

const std::string notice =
    "message \"Afdrukken accumuleren totdat het vel vol is\\rof op 'Stoppen' geklikt wordt!\"";

Log join(std::initializer_list<Log> parts) {
    Log all;
    for (const Log& part : parts)
        all.insert(all.end(), part.begin(), part.end());
    return all;
}

bool isRead(const std::string& entry) {
    return entry.rfind("read ", 0) == 0;
}

// The entries of a log before its operation number `op`; readings of boxes
// are no printer operations.
Log beforeOperation(const Log& log, int op) {
    Log prefix;
    int seen = 0;
    for (const std::string& entry : log) {
        if (!isRead(entry) && seen++ == op)
            break;
        prefix.push_back(entry);
    }
    return prefix;
}

std::string operationAt(const Log& log, int op) {
    int seen = 0;
    for (const std::string& entry : log) {
        if (!isRead(entry) && seen++ == op)
            return entry;
    }
    return "(none)";
}

class PrintJobTest : public testing::Test {
protected:
    // One click of "&Afdruk"; returns what it did.
    Log print() {
        printer.log.clear();
        job.Print([this](ReportBox box) {
            printer.log.push_back(std::string("read ") + boxName(box));
            if (box == failingBox)
                throw std::runtime_error("box");
            return QString::fromStdString(boxes.at(box));
        });
        return printer.log;
    }

    void printTimes(int count) {
        for (int i = 0; i < count; ++i)
            print();
    }

    Log stop() {
        printer.log.clear();
        job.Stop();
        return printer.log;
    }

    PrinterScript printer;
    Boxes boxes = calculated;
    std::optional<ReportBox> failingBox;
    PrintJob job{std::make_unique<FakeReportPlatform>(printer)};
};

TEST_F(PrintJobTest, StartsClosedAndEmpty) {
    EXPECT_EQ(job.afdrukValue(), 0);
    EXPECT_EQ(job.aantalValue(), 0.0f);
    EXPECT_EQ(job.printerFontValue(), QString());
    EXPECT_TRUE(printer.log.empty());
}

TEST_F(PrintJobTest, FirstPrintOpensTheJobAndPrintsOneBlock) {
    EXPECT_EQ(print(), join({opening, block(calculated), {notice}}));
    EXPECT_EQ(job.afdrukValue(), -1);
    EXPECT_EQ(job.aantalValue(), 10.0f);
    EXPECT_EQ(job.printerFontValue(), QStringLiteral("Courier New"));
}

TEST_F(PrintJobTest, SecondPrintPrintsTheBlockAlone) {
    print();
    EXPECT_EQ(print(), join({block(calculated), {notice}}));
    EXPECT_EQ(job.afdrukValue(), -1);
    EXPECT_EQ(job.aantalValue(), 20.0f);
}

TEST_F(PrintJobTest, PrintsTheBoxesAsTheyStandAtTheClick) {
    print();
    boxes[ReportBox::ZI] = "4.7"; // edited after the calculation
    Boxes expected = calculated;
    expected[ReportBox::ZI] = "4.7";
    EXPECT_EQ(print(), join({block(expected), {notice}}));
}

TEST_F(PrintJobTest, SeventhPrintBreaksThePageAndStillShowsTheNotice) {
    printTimes(6);
    EXPECT_EQ(job.aantalValue(), 60.0f);
    EXPECT_EQ(print(), join({block(calculated), pageBreak, {notice}}));
    EXPECT_EQ(job.aantalValue(), 0.0f);
}

TEST_F(PrintJobTest, EighthPrintLandsOnTheNewSheet) {
    printTimes(7);
    EXPECT_EQ(print(), join({block(calculated), {notice}}));
    EXPECT_EQ(job.aantalValue(), 10.0f);
}

TEST_F(PrintJobTest, EverySheetTakesSevenBlocks) {
    for (int click = 1; click <= 22; ++click) {
        const Log log = print();
        const bool breaks = click % 7 == 0;
        EXPECT_EQ(std::count(log.begin(), log.end(), "newPage"), breaks ? 1 : 0) << click;
        EXPECT_EQ(std::count(log.begin(), log.end(), "dialog"), click == 1 ? 1 : 0) << click;
        EXPECT_EQ(log.back(), notice) << click;
        EXPECT_EQ(job.aantalValue(), static_cast<float>(click % 7 * 10)) << click;
    }
}

TEST_F(PrintJobTest, PrintsEmptyResultBoxesAsTheyAre) {
    Boxes fresh = calculated;
    fresh[ReportBox::SpD2] = fresh[ReportBox::SpL] = fresh[ReportBox::AW] = "";
    boxes = fresh;
    const Log log = print();
    EXPECT_EQ(log, join({opening, block(fresh), {notice}}));
    // The unit follows the Tab directly; the turns line ends with the Tab.
    const std::string spL =
        "print \"" + indent + "Spoellengte   \" Tab(35) \" = \" Tab(40) \" mm\"";
    const std::string aw = "print \"" + indent + "Aantal windingen  \" Tab(35) \" = \" Tab(40)";
    EXPECT_NE(std::find(log.begin(), log.end(), spL), log.end());
    EXPECT_NE(std::find(log.begin(), log.end(), aw), log.end());
}

TEST_F(PrintJobTest, ActivationClearsTheFlagAndTheNextPrintOpensAgain) {
    printTimes(2);
    job.clearAfdruk();
    EXPECT_EQ(job.afdrukValue(), 0);
    EXPECT_EQ(job.aantalValue(), 20.0f); // the counter and the font name stay
    EXPECT_EQ(job.printerFontValue(), QStringLiteral("Courier New"));
    EXPECT_TRUE(stop().empty());
    EXPECT_EQ(print(), join({opening, block(calculated), {notice}}));
}

struct StopCase {
    const char* name;
    int prints;
    int failDialogAt; // printer operation that fails during the prints, or -1
    bool activated;   // the window cleared the flag after the prints
    Log expected;
};

void PrintTo(const StopCase& c, std::ostream* os) {
    *os << c.name;
}

class StopTest : public PrintJobTest, public testing::WithParamInterface<StopCase> {};

TEST_P(StopTest, EndsTheDocumentOnlyWhenAJobIsOpen) {
    const StopCase& c = GetParam();
    printer.failAt = c.failDialogAt;
    printTimes(c.prints);
    if (c.activated)
        job.clearAfdruk();
    EXPECT_EQ(stop(), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Table, StopTest,
    testing::Values(StopCase{"no print", 0, -1, false, {}},
                    StopCase{"after three prints", 3, -1, false, {"endDocument"}},
                    StopCase{"after a page break", 8, -1, false, {"endDocument"}},
                    StopCase{"dialog failed", 1, 0, false, {}},
                    StopCase{"failed after the dialog", 1, 1, false, {"endDocument"}},
                    StopCase{"flag cleared", 2, -1, true, {}}),
    [](const testing::TestParamInfo<StopCase>& info) {
        std::string name = info.param.name;
        std::replace(name.begin(), name.end(), ' ', '_');
        return name;
    });

// Stop ends the document once, whichever way the program ends after it
// (the window closing, a signal), and a failure is reported once.
TEST_F(PrintJobTest, StopEndsAnOpenJobOnce) {
    printTimes(3);
    printer.log.clear();
    job.Stop();
    EXPECT_EQ(printer.log, Log{"endDocument"});
    EXPECT_EQ(job.afdrukValue(), 0);
    job.Stop();
    EXPECT_EQ(printer.log, Log{"endDocument"});
}

TEST_F(PrintJobTest, StopReportsAFailedEndOfDocumentOnce) {
    printTimes(3);
    printer.failAt = printer.operations; // the end of the document
    try {
        job.Stop();
        FAIL() << "no PrinterError";
    } catch (const PrinterError& error) {
        EXPECT_STREQ(error.what(), "mislukt: endDocument");
    }
    EXPECT_EQ(job.afdrukValue(), 0);
    EXPECT_NO_THROW(job.Stop());
    EXPECT_TRUE(stop().empty());
}

// A failure at one printer operation of a Print: the operation is the n-th
// one of that Print, counted from 0.
struct FailureCase {
    const char* step;
    int operation;
    const char* operationLog; // the entry the operation logs when it succeeds
    qint16 afdruk;            // the flag after the failed Print
    float aantal;             // the counter after the failed Print
};

void PrintTo(const FailureCase& c, std::ostream* os) {
    *os << c.step;
}

std::string testName(const char* text) {
    std::string name;
    for (const char* p = text; *p != '\0'; ++p)
        name += std::isalnum(static_cast<unsigned char>(*p)) ? *p : '_';
    return name;
}

class FirstPrintFailure : public PrintJobTest, public testing::WithParamInterface<FailureCase> {};

TEST_P(FirstPrintFailure, EndsSilentlyKeepingWhatWasDone) {
    const FailureCase& c = GetParam();
    const Log clean = join({opening, block(calculated), {notice}});
    ASSERT_EQ(operationAt(clean, c.operation).rfind(c.operationLog, 0), 0u)
        << operationAt(clean, c.operation);

    printer.failAt = c.operation;
    Log log;
    EXPECT_NO_THROW(log = print());
    EXPECT_EQ(log, beforeOperation(clean, c.operation));
    EXPECT_EQ(job.afdrukValue(), c.afdruk);
    EXPECT_EQ(job.aantalValue(), c.aantal);

    // The next Print opens the job again only when the dialog failed.
    const Log next = print();
    const Log expected = c.afdruk == 0 ? join({opening, block(calculated), {notice}})
                                       : join({block(calculated), {notice}});
    EXPECT_EQ(next, expected);
    EXPECT_EQ(job.afdrukValue(), -1);
    EXPECT_EQ(job.aantalValue(), c.aantal + 10);
}

INSTANTIATE_TEST_SUITE_P(
    Steps, FirstPrintFailure,
    testing::Values(
        FailureCase{"dialog", 0, "dialog", 0, 0}, FailureCase{"empty line", 1, "print", -1, 0},
        FailureCase{"font name read", 2, "fontName ->", -1, 0},
        FailureCase{"empty font name", 3, "fontName = \"\"", -1, 0},
        FailureCase{"font name back", 4, "fontName = \"Courier", -1, 0},
        FailureCase{"font size", 5, "fontSize", -1, 0}, FailureCase{"bold", 6, "bold", -1, 0},
        FailureCase{"italic", 7, "italic", -1, 0}, FailureCase{"underline", 8, "underline", -1, 0},
        FailureCase{"line 1", 9, "print \" \"", -1, 0},
        FailureCase{"line 2", 10, "print \"         Spoeldiameter  (opgave)", -1, 0},
        FailureCase{"line 4", 12, "print \"         Zelfinductie", -1, 0},
        FailureCase{"line 7", 15, "print \"         Aantal", -1, 0},
        FailureCase{"line 8", 16, "print \"         Let op", -1, 0},
        FailureCase{"line 9", 17, "print \" \"", -1, 0},
        FailureCase{"notice", 18, "message", -1, 10}),
    [](const testing::TestParamInfo<FailureCase>& info) { return testName(info.param.step); });

class SeventhPrintFailure : public PrintJobTest, public testing::WithParamInterface<FailureCase> {};

TEST_P(SeventhPrintFailure, EndsSilentlyKeepingWhatWasDone) {
    const FailureCase& c = GetParam();
    const Log clean = join({block(calculated), pageBreak, {notice}});
    ASSERT_EQ(operationAt(clean, c.operation).rfind(c.operationLog, 0), 0u)
        << operationAt(clean, c.operation);

    printTimes(6);
    printer.failAt = printer.operations + c.operation;
    EXPECT_EQ(print(), beforeOperation(clean, c.operation));
    EXPECT_EQ(job.afdrukValue(), -1);
    EXPECT_EQ(job.aantalValue(), c.aantal);

    // A counter left at 70 or more breaks the page again after the next
    // block; below that the block is simply added.
    const Log next = print();
    const bool breaks = c.aantal + 10 >= 70;
    EXPECT_EQ(next, breaks ? join({block(calculated), pageBreak, {notice}})
                           : join({block(calculated), {notice}}));
    EXPECT_EQ(job.aantalValue(), breaks ? 0.0f : c.aantal + 10);
}

INSTANTIATE_TEST_SUITE_P(
    Steps, SeventhPrintFailure,
    testing::Values(FailureCase{"line 1", 0, "print \" \"", -1, 60},
                    FailureCase{"line 9", 8, "print \" \"", -1, 60},
                    FailureCase{"new page", 9, "newPage", -1, 70},
                    FailureCase{"empty line", 10, "print", -1, 70},
                    FailureCase{"empty font name", 11, "fontName = \"\"", -1, 70},
                    FailureCase{"font name back", 12, "fontName = \"Courier", -1, 70},
                    FailureCase{"font size", 13, "fontSize", -1, 70},
                    FailureCase{"position", 14, "x = 0", -1, 70},
                    FailureCase{"notice", 15, "message", -1, 0}),
    [](const testing::TestParamInfo<FailureCase>& info) { return testName(info.param.step); });

class BoxFailure : public PrintJobTest, public testing::WithParamInterface<ReportBox> {};

TEST_P(BoxFailure, StopsBeforeTheLineOfThatBox) {
    print();
    failingBox = GetParam();
    const Log log = print();
    const std::string read = std::string("read ") + boxName(GetParam());
    const Log full = block(calculated);
    const auto at = std::find(full.begin(), full.end(), read);
    ASSERT_NE(at, full.end());
    EXPECT_EQ(log, Log(full.begin(), at + 1)); // its line and all after it are left out
    EXPECT_EQ(job.aantalValue(), 10.0f);
    EXPECT_EQ(job.afdrukValue(), -1);

    failingBox.reset();
    EXPECT_EQ(print(), join({block(calculated), {notice}}));
    EXPECT_EQ(job.aantalValue(), 20.0f);
}

INSTANTIATE_TEST_SUITE_P(Boxes, BoxFailure,
                         testing::Values(ReportBox::SpD, ReportBox::DD, ReportBox::ZI,
                                         ReportBox::SpD2, ReportBox::SpL, ReportBox::AW),
                         [](const testing::TestParamInfo<ReportBox>& info) {
                             return std::string(boxName(info.param));
                         });

} // namespace
} // namespace kolvart
