#pragma once

#include <string>
#include <string_view>

namespace kolvart {

// Reads the number at the start of an entry text.
//
// Blanks before the number are skipped, a sign may follow. The number is the
// longest run of decimal digits with at most one point among them; the point
// is the decimal separator whatever the locale, and a second point ends the
// number. An exponent part (e or E, an optional sign and at least one digit)
// is read too. Everything after the number is ignored; a text without a digit
// gives 0. The digits are converted to the nearest double however many there
// are; a value beyond the double range gives infinity of its sign, a value
// too small for a double gives zero.
double parseEntryText(std::string_view text) noexcept;

// The text shown for a number: what printf's %G writes with 7 significant
// digits for a float and 15 for a double, with the decimal separator given in
// place of the point. So the value is rounded from its exact value, written
// without trailing zeros or a lone separator, with a leading zero below 1, no
// group separators and no plus sign, and in exponent notation (1.5E+20,
// 2E-07) where its decimal exponent lies outside -5 < e < digits. Zero is "0"
// whatever its sign; infinities are "Inf" and "-Inf", NaN is "NaN".
std::string displaySingle(float value, std::string_view decimalSeparator = ".");
std::string displayDouble(double value, std::string_view decimalSeparator = ".");

} // namespace kolvart
