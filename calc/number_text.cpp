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
// upwards the value is at least 1, so it was too large. `number` is what
// from_chars matched: digits with at most one point, then perhaps an exponent
// part; it has a digit other than 0, or it would have been in range.
bool isTooLarge(std::string_view number) noexcept {
    const std::size_t e = std::min(number.find_first_of("eE"), number.size());
    const std::size_t point = std::min(number.find('.'), e);
    const std::size_t first = number.find_first_of("123456789");
    const long long exponent =
        static_cast<long long>(point) - static_cast<long long>(first) - (first < point ? 1 : 0);
    if (e == number.size())
        return exponent >= 0;
    std::string_view part = number.substr(e + 1);
    if (part.front() == '+')
        part.remove_prefix(1);
    long long written = 0;
    if (std::from_chars(part.data(), part.data() + part.size(), written).ec != std::errc())
        return part.front() != '-'; // beyond any length of the digits before it
    return written >= -exponent;
}

} // namespace

double parseEntryText(std::string_view text) noexcept {
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t'))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        negative = text[i++] == '-';
    // from_chars also reads "inf", "nan" and a minus sign, which an entry text
    // does not have: the number starts with a digit or a point.
    if (i == text.size() || !(isDigit(text[i]) || text[i] == '.'))
        return 0.0;

    const char* const start = text.data() + i;
    double value = 0.0;
    const auto [end, ec] = std::from_chars(start, text.data() + text.size(), value);
    if (ec == std::errc::invalid_argument)
        return 0.0; // a point without a digit, signed or not
    if (ec == std::errc::result_out_of_range)
        value = isTooLarge({start, end}) ? std::numeric_limits<double>::infinity() : 0.0;
    return negative ? -value : value;
}

namespace {

// std::to_chars in its general form writes what printf's %g does with
// `digits` significant digits; the display takes %G's capital E, the given
// separator for the point, "0" for either zero and "Inf", "-Inf" and "NaN".
template <typename T> std::string display(T value, int digits, std::string_view separator) {
    if (std::isnan(value))
        return "NaN";
    if (std::isinf(value))
        return value < 0 ? "-Inf" : "Inf";
    if (value == 0)
        return "0"; // negative zero included

    std::array<char, 32> buffer; // "-1.23456789012345e-308" at the longest
    char* const end = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value,
                                    std::chars_format::general, digits)
                          .ptr;
    std::replace(buffer.data(), end, 'e', 'E');
    std::string text(buffer.data(), end);
    if (const std::size_t point = text.find('.'); point != std::string::npos)
        text.replace(point, 1, separator);
    return text;
}

} // namespace

std::string displaySingle(float value, std::string_view decimalSeparator) {
    return display(value, 7, decimalSeparator);
}

std::string displayDouble(double value, std::string_view decimalSeparator) {
    return display(value, 15, decimalSeparator);
}

} // namespace kolvart
