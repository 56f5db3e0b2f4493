#include "calc/number_text.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <limits>
#include <system_error>

namespace kolvart {
namespace {

bool isDigit(char c) noexcept {
    return c >= '0' && c <= '9';
}

// from_chars reports a value outside the double range without saying on which
// side. The decimal exponent of the first significant digit tells: from 0
// upwards the value is at least 1, so it was too large. The exponent part
// saturates, so any length of digits is safe.
bool isTooLarge(std::string_view number) noexcept {
    long long integerDigits = 0;
    long long digits = 0;
    long long firstSignificant = -1;
    bool inFraction = false;
    std::size_t i = 0;
    for (; i < number.size() && (isDigit(number[i]) || number[i] == '.'); ++i) {
        if (number[i] == '.') {
            inFraction = true;
            continue;
        }
        if (firstSignificant < 0 && number[i] != '0')
            firstSignificant = digits;
        ++digits;
        if (!inFraction)
            ++integerDigits;
    }
    if (firstSignificant < 0)
        return false;

    long long exponent = 0;
    if (i < number.size()) { // the exponent part: e, an optional sign, digits
        ++i;
        bool negative = false;
        if (number[i] == '+' || number[i] == '-')
            negative = number[i++] == '-';
        constexpr long long saturation = 1'000'000'000;
        for (; i < number.size() && exponent < saturation; ++i)
            exponent = exponent * 10 + (number[i] - '0');
        if (negative)
            exponent = -exponent;
    }
    return integerDigits - 1 - firstSignificant + exponent >= 0;
}

} // namespace

double parseEntryText(std::string_view text) noexcept {
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t'))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        negative = text[i++] == '-';

    const std::size_t start = i;
    bool point = false;
    bool digit = false;
    for (; i < text.size(); ++i) {
        if (isDigit(text[i]))
            digit = true;
        else if (text[i] == '.' && !point)
            point = true;
        else
            break;
    }
    if (!digit)
        return 0.0;
    std::size_t end = i;
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        std::size_t j = i + 1;
        if (j < text.size() && (text[j] == '+' || text[j] == '-'))
            ++j;
        if (j < text.size() && isDigit(text[j])) {
            while (j < text.size() && isDigit(text[j]))
                ++j;
            end = j;
        }
    }

    const std::string_view number = text.substr(start, end - start);
    double value = 0.0;
    const auto result = std::from_chars(number.data(), number.data() + number.size(), value);
    if (result.ec == std::errc::result_out_of_range)
        value = isTooLarge(number) ? std::numeric_limits<double>::infinity() : 0.0;
    return negative ? -value : value;
}

namespace {

template <typename T> std::string display(T value, int digits, std::string_view separator) {
    if (std::isnan(value))
        return "NaN";
    if (std::isinf(value))
        return value < 0 ? "-Inf" : "Inf";

    // A whole number of tenths, such as every length and number of turns of a
    // coil, is written from that whole number. With at most digits - 1
    // significant digits the value is the nearest one to that decimal, so
    // rounding it to `digits` digits gives that decimal back. The text is put
    // together in a buffer and made a string in one go, in two thirds of the
    // time that appending it piece by piece takes; a separator longer than
    // any locale's takes the general way below, to the same text.
    std::array<char, 48> buffer{};
    const std::size_t longestSeparator = buffer.size() - 16; // beside a sign and 15 digits
    const double tenths = std::round(static_cast<double>(value) * 10);
    const double wholeLimit = digits > 7 ? 1e14 : 1e6;
    if (tenths != 0 && std::fabs(tenths) < wholeLimit && static_cast<T>(tenths / 10) == value &&
        separator.size() <= longestSeparator) {
        const auto tenthsCount = static_cast<long long>(std::fabs(tenths));
        char* out = buffer.data();
        if (tenths < 0)
            *out++ = '-';
        if (tenthsCount < 10)
            *out++ = '0';
        else
            out = std::to_chars(out, buffer.data() + buffer.size(), tenthsCount / 10).ptr;
        if (tenthsCount % 10 != 0) {
            out = std::copy(separator.begin(), separator.end(), out);
            *out++ = static_cast<char>('0' + tenthsCount % 10);
        }
        return std::string(buffer.data(), out);
    }

    // Correctly rounded to `digits` significant digits: d.ddddddde±xx
    const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value,
                                      std::chars_format::scientific, digits - 1);
    const std::string_view scientific(buffer.data(),
                                      static_cast<std::size_t>(result.ptr - buffer.data()));

    std::size_t i = scientific.front() == '-' ? 1 : 0;
    const bool negative = i == 1;
    std::array<char, 24> mantissa{};
    std::size_t count = 0;
    for (; scientific[i] != 'e'; ++i) {
        if (scientific[i] != '.')
            mantissa[count++] = scientific[i];
    }
    int exponent = 0;
    std::from_chars(scientific.data() + i + (scientific[i + 1] == '+' ? 2 : 1),
                    scientific.data() + scientific.size(), exponent);
    while (count > 1 && mantissa[count - 1] == '0')
        --count;
    if (count == 1 && mantissa[0] == '0')
        return "0"; // zero, negative zero included

    std::string text;
    if (negative)
        text += '-';
    const std::string_view significant(mantissa.data(), count);
    if (exponent < -4 || exponent >= digits) {
        text += significant.front();
        if (count > 1) {
            text += separator;
            text += significant.substr(1);
        }
        text += exponent < 0 ? "E-" : "E+";
        const int magnitude = exponent < 0 ? -exponent : exponent;
        if (magnitude < 10)
            text += '0';
        text += std::to_string(magnitude);
    } else if (exponent >= 0) {
        const auto integerDigits = static_cast<std::size_t>(exponent) + 1;
        if (count <= integerDigits) {
            text += significant;
            text.append(integerDigits - count, '0');
        } else {
            text += significant.substr(0, integerDigits);
            text += separator;
            text += significant.substr(integerDigits);
        }
    } else {
        text += '0';
        text += separator;
        text.append(static_cast<std::size_t>(-exponent - 1), '0');
        text += significant;
    }
    return text;
}

} // namespace

std::string displaySingle(float value, std::string_view decimalSeparator) {
    constexpr int significantDigits = 7;
    return display(value, significantDigits, decimalSeparator);
}

std::string displayDouble(double value, std::string_view decimalSeparator) {
    constexpr int significantDigits = 15;
    return display(value, significantDigits, decimalSeparator);
}

} // namespace kolvart
