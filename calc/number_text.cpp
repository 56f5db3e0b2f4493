#include "calc/number_text.h"

#include <algorithm>
#include <array>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
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

// An unsigned integer of up to 36 32-bit limbs, the lowest first: enough for
// the integer part of the largest double (1024 bits) and for the fraction of
// the smallest (1074 bits), in whole limbs. Only the limbs in use are set.
struct Limbs {
    std::array<std::uint32_t, 36> limb;
    int size = 0; // limbs in use; the top one is not zero
};

// m * 2^shift.
Limbs shiftedLeft(std::uint64_t m, int shift) {
    Limbs number;
    const int whole = shift / 32;
    const int bits = shift % 32;
    std::fill_n(number.limb.begin(), whole, 0);
    // m << bits takes at most 96 bits: three limbs.
    const std::uint64_t low = m << bits;
    const std::uint64_t high = bits == 0 ? 0 : m >> (64 - bits);
    const std::uint32_t parts[] = {static_cast<std::uint32_t>(low),
                                   static_cast<std::uint32_t>(low >> 32),
                                   static_cast<std::uint32_t>(high)};
    for (int i = 0; i < 3; ++i) {
        number.limb[static_cast<std::size_t>(whole + i)] = parts[i];
        if (parts[i] != 0)
            number.size = whole + i + 1;
    }
    return number;
}

constexpr std::uint64_t billion = 1'000'000'000;

// Divides by 10^9 and returns the remainder.
std::uint32_t divideByBillion(Limbs& number) {
    std::uint64_t remainder = 0;
    for (int i = number.size - 1; i >= 0; --i) {
        auto& limb = number.limb[static_cast<std::size_t>(i)];
        const std::uint64_t current = remainder << 32 | limb;
        limb = static_cast<std::uint32_t>(current / billion);
        remainder = current % billion;
    }
    while (number.size > 0 && number.limb[static_cast<std::size_t>(number.size - 1)] == 0)
        --number.size;
    return static_cast<std::uint32_t>(remainder);
}

// Multiplies a fraction held in `width` limbs by 10^9 and returns what
// carries out of the top limb: the next nine decimal digits. Limbs below
// `low` are zero and stay so.
std::uint32_t nextNineDigits(Limbs& fraction, int low, int width) {
    std::uint64_t carry = 0;
    const int top = std::min(fraction.size + 1, width);
    for (int i = low; i < top; ++i) {
        auto& limb = fraction.limb[static_cast<std::size_t>(i)];
        if (i == fraction.size)
            limb = 0;
        const std::uint64_t product = std::uint64_t{limb} * billion + carry;
        limb = static_cast<std::uint32_t>(product);
        carry = product >> 32;
    }
    fraction.size = top;
    while (fraction.size > 0 && fraction.limb[static_cast<std::size_t>(fraction.size - 1)] == 0)
        --fraction.size;
    return top == width ? static_cast<std::uint32_t>(carry) : 0;
}

constexpr int maxDigits = 17;

constexpr std::array<std::uint64_t, 19> powersOfTen = [] {
    std::array<std::uint64_t, 19> powers{};
    std::uint64_t power = 1;
    for (std::uint64_t& p : powers) {
        p = power;
        power *= 10;
    }
    return powers;
}();

// How many decimal digits a block of at most nine digits has.
int digitCount(std::uint32_t block) {
    int count = 1;
    while (count < 9 && block >= powersOfTen[static_cast<std::size_t>(count)])
        ++count;
    return count;
}

// The leading digits of a decimal expansion, gathered block by block until
// there are `wanted` of them, and whether a digit not zero follows.
struct LeadingDigits {
    int wanted;
    std::uint64_t value = 0; // the digits gathered, as a whole number
    int count = 0;
    bool rest = false;

    bool full() const { return count == wanted; }

    // A block of `size` digits, the first gathered one not zero.
    void add(std::uint32_t block, int size) {
        const int take = std::min(size, wanted - count);
        const std::uint64_t dropped = powersOfTen[static_cast<std::size_t>(size - take)];
        value = value * powersOfTen[static_cast<std::size_t>(take)] + block / dropped;
        count += take;
        rest = rest || block % dropped != 0;
    }
};

// A positive value rounded to a number of significant decimal digits, ties to
// even: the digits as a whole number without trailing zeros, how many there
// are, and the decimal exponent of the first one.
struct RoundedDecimal {
    std::uint64_t digits = 0;
    int count = 0;
    int exponent = 0;
};

// Rounds from the exact value. A finite double is m * 2^q for whole numbers
// m and q; its decimal expansion is read nine digits at a time, the integer
// part by division and the fraction by multiplication, until it holds one
// digit more than wanted. That digit and whether anything follows it decide
// the rounding.
RoundedDecimal roundToDigits(double magnitude, int digits) {
    const auto bits = std::bit_cast<std::uint64_t>(magnitude);
    const auto field = static_cast<int>(bits >> 52);
    std::uint64_t m = bits & ((std::uint64_t{1} << 52) - 1);
    int q = -1074;
    if (field != 0) { // not subnormal: the leading 1 is implied
        m |= std::uint64_t{1} << 52;
        q = field - 1075;
    }
    const int zeros = std::countr_zero(m);
    m >>= zeros;
    q += zeros;

    LeadingDigits leading{digits + 1};
    RoundedDecimal rounded;

    Limbs whole = q >= 0 ? shiftedLeft(m, q) : shiftedLeft(q > -64 ? m >> -q : 0, 0);
    if (whole.size > 0) {
        std::array<std::uint32_t, 36> groups;
        int groupCount = 0;
        while (whole.size > 0)
            groups[static_cast<std::size_t>(groupCount++)] = divideByBillion(whole);
        const std::uint32_t top = groups[static_cast<std::size_t>(groupCount - 1)];
        const int topDigits = digitCount(top);
        rounded.exponent = topDigits + 9 * (groupCount - 1) - 1;
        leading.add(top, topDigits);
        for (int g = groupCount - 2; g >= 0; --g)
            leading.add(groups[static_cast<std::size_t>(g)], 9);
    }

    if (q < 0) {
        // The fraction f / 2^s, held as f * 2^(32 width - s).
        const int s = -q;
        const std::uint64_t f = s < 64 ? m & ((std::uint64_t{1} << s) - 1) : m;
        const int width = (s + 31) / 32;
        Limbs fraction = shiftedLeft(f, width * 32 - s);
        int low = 0;
        while (low < fraction.size && fraction.limb[static_cast<std::size_t>(low)] == 0)
            ++low;
        for (int block = 0; fraction.size > 0 && !leading.full(); ++block) {
            const std::uint32_t next = nextNineDigits(fraction, low, width);
            if (leading.count > 0) {
                leading.add(next, 9);
            } else if (next != 0) { // the first digits not zero, after 9 * block + zeros
                const int size = digitCount(next);
                rounded.exponent = -(9 * block + 9 - size) - 1;
                leading.add(next, size);
            }
        }
        leading.rest = leading.rest || fraction.size > 0;
    }

    // Half to even; a carry out of the first digit makes it 1 and raises the
    // exponent.
    std::uint64_t kept = leading.value;
    int roundingDigit = 0;
    if (leading.full()) {
        roundingDigit = static_cast<int>(kept % 10);
        kept /= 10;
    } else {
        kept *= powersOfTen[static_cast<std::size_t>(digits - leading.count)];
    }
    if (roundingDigit > 5 || (roundingDigit == 5 && (leading.rest || kept % 2 == 1))) {
        ++kept;
        if (kept == powersOfTen[static_cast<std::size_t>(digits)]) {
            kept /= 10;
            ++rounded.exponent;
        }
    }
    // Trailing zeros off, in halving steps: there are fewer than 32.
    rounded.count = digits;
    for (const int step : {16, 8, 4, 2, 1}) {
        const std::uint64_t power = powersOfTen[static_cast<std::size_t>(step)];
        if (kept % power == 0) {
            kept /= power;
            rounded.count -= step;
        }
    }
    rounded.digits = kept;
    return rounded;
}

std::string display(double value, int digits, std::string_view separator) {
    if (std::isnan(value))
        return "NaN";
    if (std::isinf(value))
        return value < 0 ? "-Inf" : "Inf";
    if (value == 0)
        return "0"; // negative zero included

    const RoundedDecimal rounded = roundToDigits(std::fabs(value), digits);
    std::array<char, maxDigits> digitText;
    std::to_chars(digitText.data(), digitText.data() + digitText.size(), rounded.digits);
    const std::string_view significant(digitText.data(), static_cast<std::size_t>(rounded.count));
    const int exponent = rounded.exponent;
    std::string text;
    text.reserve(significant.size() + separator.size() + 8);
    if (value < 0)
        text += '-';
    if (exponent < -4 || exponent >= digits) {
        text += significant.front();
        if (significant.size() > 1) {
            text += separator;
            text += significant.substr(1);
        }
        text += exponent < 0 ? "E-" : "E+";
        const int magnitude = exponent < 0 ? -exponent : exponent;
        if (magnitude < 10)
            text += '0';
        std::array<char, 4> exponentDigits{};
        const auto end = std::to_chars(exponentDigits.data(),
                                       exponentDigits.data() + exponentDigits.size(), magnitude)
                             .ptr;
        text.append(exponentDigits.data(), end);
    } else if (exponent >= 0) {
        const auto integerDigits = static_cast<std::size_t>(exponent) + 1;
        if (significant.size() <= integerDigits) {
            text += significant;
            text.append(integerDigits - significant.size(), '0');
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
    return display(static_cast<double>(value), significantDigits, decimalSeparator);
}

std::string displayDouble(double value, std::string_view decimalSeparator) {
    constexpr int significantDigits = 15;
    return display(value, significantDigits, decimalSeparator);
}

} // namespace kolvart
