#pragma once

#include <QtGlobal>

// The character codes that the KeyPress handlers of the boxes and the key
// filter know by name: a code is the 16-bit signed character that a key
// types, and setting it to None discards the character.
namespace kolvart::KeyCode {

inline constexpr qint16 None = 0;     // discards the character; also Ctrl+2 (Ctrl+@)
inline constexpr qint16 ControlA = 1; // Ctrl+A; Ctrl+B to Ctrl+Z follow up to 26
inline constexpr qint16 Backspace = 8;
inline constexpr qint16 LineFeed = 10;        // Ctrl+Enter
inline constexpr qint16 Return = 13;          // Enter
inline constexpr qint16 Escape = 27;          // also Ctrl+[
inline constexpr qint16 FileSeparator = 28;   // Ctrl+backslash
inline constexpr qint16 GroupSeparator = 29;  // Ctrl+]
inline constexpr qint16 RecordSeparator = 30; // Ctrl+6 (Ctrl+^)
inline constexpr qint16 UnitSeparator = 31;   // Ctrl+- (Ctrl+_)
inline constexpr qint16 Space = 32;
inline constexpr qint16 Point = 46; // the decimal point of an entry
inline constexpr qint16 Digit0 = 48;
inline constexpr qint16 Digit9 = 57;
inline constexpr qint16 Delete = 127; // also Ctrl+Backspace

} // namespace kolvart::KeyCode
