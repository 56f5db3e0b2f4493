#include "calc/number_text.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

namespace kolvart {
namespace {

struct ParseCase {
    std::string text;
    double value;
};

void PrintTo(const ParseCase& c, std::ostream* os) {
    *os << '"' << c.text.substr(0, 24) << (c.text.size() > 24 ? "...\"" : "\"");
}

class ParseEntryText : public testing::TestWithParam<ParseCase> {};

TEST_P(ParseEntryText, ReadsTheNumericPrefix) {
    const ParseCase& c = GetParam();
    const double value = parseEntryText(c.text);
    // Exact comparison: the conversion must give the nearest double.
    EXPECT_EQ(value, c.value);
    EXPECT_EQ(std::signbit(value), std::signbit(c.value));
}

constexpr double infinity = std::numeric_limits<double>::infinity();

INSTANTIATE_TEST_SUITE_P(
    Texts, ParseEntryText,
    testing::Values(ParseCase{"12.5", 12.5}, ParseCase{"1.2.3", 1.2}, ParseCase{".5", 0.5},
                    ParseCase{"5.", 5}, ParseCase{"007", 7}, ParseCase{"", 0}, ParseCase{".", 0},
                    ParseCase{"..5", 0}, ParseCase{"0.001", 0.001}, ParseCase{"  3 mm", 3},
                    ParseCase{"\t4", 4}, ParseCase{"-2.5", -2.5}, ParseCase{"+4", 4},
                    ParseCase{"- 4", 0}, ParseCase{"12abc", 12}, ParseCase{"abc12", 0},
                    ParseCase{"1,5", 1}, ParseCase{"1e3", 1000}, ParseCase{"2.5E-1", 0.25},
                    ParseCase{"1e", 1}, ParseCase{"1e+", 1}, ParseCase{"1ex", 1},
                    ParseCase{"0x1A", 0}, ParseCase{"inf", 0}, ParseCase{"nan", 0},
                    ParseCase{"-.", 0}, // a sign before a lone point: zero without a sign
                    // Correct rounding of long digit runs, never truncation: 2^53 + 1 lies
                    // halfway and rounds to even; one more digit far behind tips it up.
                    ParseCase{"9007199254740993", 9007199254740992.0},
                    ParseCase{std::string("9007199254740993.").append(5000, '0').append("1"),
                              9007199254740994.0},
                    ParseCase{"0.1000000000000000055511151231257827021181583404541015625", 0.1},
                    ParseCase{std::string(100000, '0') + "42", 42},
                    // Beyond the range of a double: infinity above, zero below.
                    ParseCase{"1e309", infinity}, ParseCase{"-1e309", -infinity},
                    ParseCase{std::string("1").append(309, '0'), infinity},
                    ParseCase{"1e99999999999999999999", infinity},
                    ParseCase{std::string("0.").append(400, '0').append("1"), 0},
                    ParseCase{std::string("0.").append(400, '0').append("1e+5"), 0},
                    ParseCase{"1e-400", 0}, ParseCase{"1e-99999999999999999999", 0},
                    ParseCase{"0.00001e310", 1e305},
                    ParseCase{"1.7976931348623157e308", std::numeric_limits<double>::max()}));

struct DisplayCase {
    double value;
    const char* separator;
    const char* text;
};

void PrintTo(const DisplayCase& c, std::ostream* os) {
    *os << c.text;
}

class DisplaySingle : public testing::TestWithParam<DisplayCase> {};

TEST_P(DisplaySingle, ShowsSevenSignificantDigits) {
    const DisplayCase& c = GetParam();
    EXPECT_EQ(displaySingle(static_cast<float>(c.value), c.separator), c.text);
}

INSTANTIATE_TEST_SUITE_P(
    Values, DisplaySingle,
    testing::Values(DisplayCase{36, ".", "36"}, DisplayCase{0.5, ".", "0.5"},
                    DisplayCase{14.5, ".", "14.5"}, DisplayCase{119.5, ".", "119.5"},
                    DisplayCase{0.1, ".", "0.1"}, DisplayCase{0, ".", "0"},
                    DisplayCase{-0.0, ".", "0"}, DisplayCase{-2.5, ".", "-2.5"},
                    DisplayCase{1234567, ".", "1234567"},
                    DisplayCase{12345678, ".", "1.234568E+07"}, DisplayCase{1.5e20, ".", "1.5E+20"},
                    DisplayCase{0.0001, ".", "0.0001"}, DisplayCase{0.00001, ".", "1E-05"},
                    DisplayCase{1.0 / 3, ".", "0.3333333"}, DisplayCase{14.5, ",", "14,5"},
                    DisplayCase{0.5, ",", "0,5"}, DisplayCase{9999999.5, ".", "1E+07"},
                    DisplayCase{1.5e20, ",", "1,5E+20"}));

class DisplayDouble : public testing::TestWithParam<DisplayCase> {};

// Separators far longer than any locale's are written whole, beside the
// longest number of tenths that a double shows without an exponent.
const std::string longSeparator(32, '~');
const std::string longestWhole = "-9999999999999" + longSeparator + "9";
const std::string longerSeparator(100, '~');
const std::string withLongerSeparator = "13" + longerSeparator + "8";

TEST_P(DisplayDouble, ShowsFifteenSignificantDigits) {
    const DisplayCase& c = GetParam();
    EXPECT_EQ(displayDouble(c.value, c.separator), c.text);
}

INSTANTIATE_TEST_SUITE_P(
    Values, DisplayDouble,
    testing::Values(DisplayCase{239, ".", "239"}, DisplayCase{13.8, ".", "13.8"},
                    DisplayCase{0.1 + 0.2, ".", "0.3"}, DisplayCase{0.5, ".", "0.5"},
                    DisplayCase{123456789012345, ".", "123456789012345"},
                    DisplayCase{1e15, ".", "1E+15"},
                    DisplayCase{1234567890123456, ".", "1.23456789012346E+15"},
                    DisplayCase{0.00012345, ".", "0.00012345"}, DisplayCase{1e-300, ".", "1E-300"},
                    DisplayCase{std::numeric_limits<double>::max(), ".", "1.79769313486232E+308"},
                    DisplayCase{-0.0, ".", "0"}, DisplayCase{33.4, ",", "33,4"},
                    DisplayCase{std::numeric_limits<double>::denorm_min(), ".",
                                "4.94065645841247E-324"},
                    // A separator of more than one byte in UTF-8 (Arabic).
                    DisplayCase{33.4, "\xd9\xab",
                                "33\xd9\xab"
                                "4"},
                    DisplayCase{-9999999999999.9, longSeparator.c_str(), longestWhole.c_str()},
                    DisplayCase{13.8, longerSeparator.c_str(), withLongerSeparator.c_str()}));

} // namespace
} // namespace kolvart
