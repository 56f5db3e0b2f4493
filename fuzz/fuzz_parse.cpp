// Reads arbitrary bytes as an entry text and writes the value back as the
// result boxes show it.
//
// Input: the entry text, then optionally a newline and the decimal separator
// for the shown texts (at most 16 bytes of it; without a newline the
// separator is a point). Besides the sanitizers, each call checks:
// - the value equals the one strtod gives for the number at the start of the
//   text, read by the rules of an entry text (both round correctly);
// - the shown texts have the documented form, read back to the value within
//   the rounding to 7 or 15 significant digits, and are what printf's %G
//   makes of the value;
// - a shown text with another separator is the one with a point, the point
//   replaced by that separator.

#include "calc/checked_float.h"
#include "calc/number_text.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <string>
#include <string_view>

namespace {

[[noreturn]] void fail(const char* what, std::string_view text, double value) {
    std::fprintf(stderr, "%s: value %.17g, text \"%.*s\"\n", what, value,
                 static_cast<int>(text.size() < 200 ? text.size() : 200), text.data());
    std::abort();
}

constexpr double doubleMax = std::numeric_limits<double>::max();

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// The value of the entry text by its rules, converted by strtod.
double expectedValue(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t'))
        ++i;
    std::string number;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        number += text[i++];
    bool point = false;
    bool digit = false;
    for (; i < text.size(); ++i) {
        if (isDigit(text[i])) {
            digit = true;
        } else if (text[i] == '.' && !point) {
            point = true;
        } else {
            break;
        }
        number += text[i];
    }
    if (!digit)
        return 0.0;
    if (i + 1 < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        std::size_t j = i + 1;
        if (text[j] == '+' || text[j] == '-')
            ++j;
        if (j < text.size() && isDigit(text[j])) {
            while (j < text.size() && isDigit(text[j]))
                ++j;
            number += text.substr(i, j - i);
        }
    }
    return std::strtod(number.c_str(), nullptr);
}

// "0", "Inf", "-Inf", or an optional minus, a whole part without leading
// zeros, an optional separator with a fraction that does not end in zero, and
// an optional exponent E+xx / E-xx (two or three digits) after a single whole
// digit; at most `digits` significant digits, and exponent notation exactly
// where the decimal exponent lies outside -5 < e < digits.
bool wellFormed(std::string_view t, int digits) {
    if (t == "0" || t == "Inf" || t == "-Inf")
        return true;
    std::size_t i = t.starts_with('-') ? 1 : 0;
    std::string all; // every digit of the mantissa
    const std::size_t wholeStart = i;
    while (i < t.size() && isDigit(t[i]))
        all += t[i++];
    const std::size_t wholeDigits = i - wholeStart;
    if (wholeDigits == 0 || (wholeDigits > 1 && all[0] == '0'))
        return false;
    if (i < t.size() && t[i] == '.') {
        const std::size_t fractionStart = ++i;
        while (i < t.size() && isDigit(t[i]))
            all += t[i++];
        if (i == fractionStart || t[i - 1] == '0')
            return false;
    } else if (all == "0") {
        return false; // zero is "0" alone
    }
    const std::size_t firstSignificant = all.find_first_not_of('0');
    if (firstSignificant == std::string::npos)
        return false;
    if (all.size() - firstSignificant > static_cast<std::size_t>(digits))
        return false;

    if (i == t.size()) {
        const int exponent = static_cast<int>(wholeDigits) - 1 - static_cast<int>(firstSignificant);
        return -5 < exponent && exponent < digits;
    }
    if (t[i] != 'E' || wholeDigits != 1 || all[0] == '0' || i + 1 == t.size() ||
        (t[i + 1] != '+' && t[i + 1] != '-'))
        return false;
    const std::string_view e = t.substr(i + 2);
    if (e.size() < 2 || e.size() > 3 ||
        e.find_first_not_of("0123456789") != std::string_view::npos ||
        (e.size() == 3 && e[0] == '0'))
        return false;
    const int exponent = std::atoi(std::string(e).c_str()) * (t[i + 1] == '-' ? -1 : 1);
    return exponent <= -5 || exponent >= digits;
}

std::string show(float value, std::string_view separator) {
    return kolvart::displaySingle(value, separator);
}

std::string show(double value, std::string_view separator) {
    return kolvart::displayDouble(value, separator);
}

template <typename T>
void checkShown(T value, int digits, double relative, double absolute, std::string_view separator) {
    const double v = static_cast<double>(value);
    const std::string shown = show(value, ".");
    if (!wellFormed(shown, digits))
        fail("badly formed", shown, v);
    if (std::isinf(value)) {
        if (shown != (value < 0 ? "-Inf" : "Inf"))
            fail("infinity shown wrong", shown, v);
    } else {
        // Rounded up from the top of the double range, the text reads as infinity.
        const double back = kolvart::parseEntryText(shown);
        const bool closeEnough = std::isinf(back)
                                     ? std::fabs(v) * (1 + relative) >= doubleMax
                                     : std::fabs(back - v) <= relative * std::fabs(v) + absolute;
        if (!closeEnough || (v != 0 && std::signbit(back) != std::signbit(v)))
            fail("does not read back", shown, v);
    }

    // The C library's %G rounds from the exact value, ties to even, and
    // writes the same form.
    if (std::isfinite(value) && value != 0) {
        char printed[64];
        std::snprintf(printed, sizeof printed, "%.*G", digits, v);
        if (shown != printed)
            fail("differs from printf's %G", shown, v);
    }

    std::string expected = shown;
    if (const auto point = expected.find('.'); point != std::string::npos)
        expected.replace(point, 1, separator);
    const std::string other = show(value, separator);
    if (other != expected)
        fail("other separator", other, v);
}

// The float a value is stored as; beyond the float range, infinity.
float asFloat(double value) {
    if (!(std::fabs(value) < kolvart::floatOverflowBound))
        return std::signbit(value) ? -std::numeric_limits<float>::infinity()
                                   : std::numeric_limits<float>::infinity();
    return static_cast<float>(value);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const std::size_t newline = input.find('\n');
    const std::string_view text = input.substr(0, newline);
    std::string_view separator = ".";
    if (newline != std::string_view::npos)
        separator = input.substr(newline + 1, 16);

    const double value = kolvart::parseEntryText(text);
    if (std::isnan(value))
        fail("NaN read", text, value);
    const double expected = expectedValue(text);
    if (!(value == expected && std::signbit(value) == std::signbit(expected)))
        fail("read differs from strtod", text, value);

    // Rounding to n digits moves a value by at most half a unit in the n-th
    // digit; reading back adds half a unit in the last place of a double.
    checkShown(value, 15, 5e-15 + 2.3e-16, std::numeric_limits<double>::denorm_min(), separator);
    checkShown(asFloat(value), 7, 5e-7 + 2.3e-16, std::numeric_limits<float>::denorm_min(),
               separator);
    return 0;
}
