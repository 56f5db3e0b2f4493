#include "calc/coil_design.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <string>

namespace kolvart {
namespace {

struct Row {
    const char* spD;
    const char* dd;
    const char* zi;
    const char* diameter;
    const char* length;
    const char* turns;
    int passes;
};

void PrintTo(const Row& row, std::ostream* os) {
    *os << row.spD << " / " << row.dd << " / " << row.zi;
}

class KnownCoils : public testing::TestWithParam<Row> {};

TEST_P(KnownCoils, GiveTheirResultsInTheirPasses) {
    const Row& row = GetParam();
    const auto design = Bereken(row.spD, row.dd, row.zi);
    ASSERT_TRUE(design.has_value());
    EXPECT_EQ(design->diameter, row.diameter);
    EXPECT_EQ(design->length, row.length);
    EXPECT_EQ(design->turns, row.turns);
    EXPECT_EQ(design->passes, row.passes);
}

INSTANTIATE_TEST_SUITE_P(Table, KnownCoils,
                         testing::Values(Row{"10", "1", "1", "10", "13.8", "13.6", 12},
                                         Row{"20", "0.5", "10", "14.5", "16.6", "33.4", 9},
                                         Row{"8", "0.8", "0.5", "7", "9.1", "11.3", 22},
                                         Row{"30", "1.5", "50", "36", "103.7", "68.6", 18},
                                         Row{"5", "0.3", "2", "5", "9.3", "30.6", 34},
                                         Row{"12", "1", "100", "36", "93.1", "92.6", 24},
                                         Row{"40", "2", "1500", "119.5", "481.3", "239", 19},
                                         // Only plain double intermediates give 138.3 here.
                                         Row{"93.19", "2.56", "410", "93", "355.6", "138.3", 27},
                                         // Scaled to 1.8 and rounded back to 2.
                                         Row{"2", "0.1", "0.5", "2", "1.9", "18.8", 37},
                                         // Halves round up: a diameter of 10.25, a length of 23.75.
                                         Row{"10.25", "1", "1", "10.5", "12.6", "12.6", 2},
                                         Row{"10", "1", "2", "10", "23.8", "24", 2},
                                         // 0.1 microhenry starts at 12 mm, 1000 at 100 mm.
                                         Row{"2", "1", "0.1", "3", "12.6", "12.5", 4},
                                         Row{"10", "1", "1000", "74.5", "215.6", "213.5", 27}));

TEST(Bereken, UsesTheGivenDecimalSeparatorForResultsOnly) {
    const auto design = Bereken("20", "0.5", "10", ",");
    ASSERT_TRUE(design.has_value());
    EXPECT_EQ(design->diameter, "14,5");
    EXPECT_EQ(design->length, "16,6");
    EXPECT_EQ(design->turns, "33,4");
}

TEST(Bereken, ReadsEntryTextsByTheirNumericPrefix) {
    const std::string longZero = "10." + std::string(100000, '0');
    const auto design = Bereken(longZero, "1.2.3", "1abc");
    ASSERT_TRUE(design.has_value());
    const auto same = Bereken("10", "1.2", "1");
    ASSERT_TRUE(same.has_value());
    EXPECT_EQ(design->diameter, same->diameter);
    EXPECT_EQ(design->length, same->length);
    EXPECT_EQ(design->turns, same->turns);
}

struct GuardCase {
    const char* spD;
    const char* dd;
    const char* zi;
};

void PrintTo(const GuardCase& c, std::ostream* os) {
    *os << '"' << c.spD << "\" / \"" << c.dd << "\" / \"" << c.zi << '"';
}

class FailingGuard : public testing::TestWithParam<GuardCase> {};

TEST_P(FailingGuard, GivesNoResult) {
    const GuardCase& c = GetParam();
    EXPECT_FALSE(Bereken(c.spD, c.dd, c.zi).has_value());
}

INSTANTIATE_TEST_SUITE_P(Guards, FailingGuard,
                         testing::Values(GuardCase{"", "1", "1"}, GuardCase{"10", "", "1"},
                                         GuardCase{"0", "1", "1"}, GuardCase{"10", "0.0", "1"},
                                         GuardCase{".", "1", "1"}, GuardCase{"10", "1", ""},
                                         GuardCase{"10", "1", "0.0009"},
                                         GuardCase{"10", "1", "0.000999999999"},
                                         GuardCase{"10", "1", "-5"},
                                         // Below the smallest float: stored as zero.
                                         GuardCase{"1e-50", "1", "1"},
                                         // Rounds to the largest float: no overflow.
                                         GuardCase{"3.4028235e38", "0", "1"}));

TEST(Bereken, CalculatesTheSmallestInductance) {
    EXPECT_TRUE(Bereken("10", "1", "0.001").has_value());
}

struct FaultCase {
    std::string spD;
    std::string dd;
    std::string zi;
    FloatFault fault;
};

void PrintTo(const FaultCase& c, std::ostream* os) {
    *os << c.spD.substr(0, 12) << " / " << c.dd.substr(0, 12) << " / " << c.zi.substr(0, 12);
}

class Fault : public testing::TestWithParam<FaultCase> {};

TEST_P(Fault, IsRaisedWithItsKind) {
    const FaultCase& c = GetParam();
    try {
        Bereken(c.spD, c.dd, c.zi);
        FAIL() << "no fault raised";
    } catch (const FloatingPointError& error) {
        EXPECT_EQ(error.fault(), c.fault);
        EXPECT_STREQ(error.what(), faultName(c.fault));
    }
}

const std::string tooLargeForDouble = "1" + std::string(400, '0');

INSTANTIATE_TEST_SUITE_P(
    Faults, Fault,
    testing::Values(
        // The diameter falls below 0.25 mm: R becomes 0 and the formula divides by it.
        FaultCase{"0.2", "1", "1", FloatFault::DivisionByZero},
        FaultCase{"10", "0.1", "0.001", FloatFault::DivisionByZero},
        // A pasted minus sign: the sum under the square root turns negative.
        FaultCase{"-10", "1", "1", FloatFault::InvalidArgument},
        // Beyond the float range when stored, even where a guard would stop.
        FaultCase{"1e39", "1", "1", FloatFault::Overflow},
        FaultCase{"10", "4e38", "1", FloatFault::Overflow},
        FaultCase{"1e39", "0", "1", FloatFault::Overflow},
        FaultCase{"-1e39", "1", "1", FloatFault::Overflow},
        // Halfway above the largest float, where rounding reaches infinity.
        FaultCase{"340282356779733661637539395458142568448", "0", "1", FloatFault::Overflow},
        // Beyond the double range, by exponent or by a long run of digits.
        FaultCase{"10", "1", "1e400", FloatFault::Overflow},
        FaultCase{"10", "1", tooLargeForDouble, FloatFault::Overflow},
        FaultCase{"0", "1", tooLargeForDouble, FloatFault::Overflow},
        FaultCase{tooLargeForDouble, "1", "1", FloatFault::Overflow},
        // In range when read, too large once multiplied.
        FaultCase{"10", "1", "1e307", FloatFault::Overflow},
        // Four times the diameter no longer fits a float.
        FaultCase{"3e38", "3e38", "1", FloatFault::Overflow},
        // A negative wire keeps the coil "too long" until the diameter is gone.
        FaultCase{"10", "-1", "1", FloatFault::DivisionByZero}));

// Over the ranges a user works in, every input either fits within 90 passes
// or divides by zero, and only with a very small inductance and a thin wire.
TEST(Bereken, SettlesOverTheWorkingRange) {
    int fitted = 0;
    for (int i = 0; i <= 33; ++i) {
        const double diameter = 1 + i * 3;
        for (int j = 0; j <= 14; ++j) {
            const double wire = 0.05 + j * (2.95 / 14);
            for (int k = 0; k <= 28; ++k) {
                const double inductance = 0.001 * std::pow(10.0, k / 4.0);
                char spD[32], dd[32], zi[32];
                std::snprintf(spD, sizeof spD, "%.17g", diameter);
                std::snprintf(dd, sizeof dd, "%.17g", wire);
                std::snprintf(zi, sizeof zi, "%.17g", inductance);
                try {
                    const auto design = Bereken(spD, dd, zi);
                    ASSERT_TRUE(design.has_value());
                    EXPECT_GE(design->passes, 1);
                    EXPECT_LE(design->passes, 90) << spD << " " << dd << " " << zi;
                    const double shown = std::stod(design->diameter);
                    EXPECT_EQ(shown * 2, std::floor(shown * 2)) << design->diameter;
                    ++fitted;
                } catch (const FloatingPointError& error) {
                    EXPECT_EQ(error.fault(), FloatFault::DivisionByZero);
                    EXPECT_LT(inductance, 0.015) << spD << " " << dd << " " << zi;
                    EXPECT_LT(wire, 0.2) << spD << " " << dd << " " << zi;
                }
            }
        }
    }
    EXPECT_GT(fitted, 14000);
}

} // namespace
} // namespace kolvart
