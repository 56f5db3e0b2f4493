#pragma once

#include <QtGlobal>

#include <optional>

class QKeyEvent;

namespace kolvart {

// The character code that a key press types, as a signed 16-bit number, or
// nothing for a key that types no character (arrows, Tab, Delete, Home, End,
// function keys, a lone modifier).
//
// The code is derived from the key and its modifiers rather than from the
// event's text alone, so that the same key gives the same code whoever made
// the event: under X11 Delete carries the text U+007F, Ctrl+V the text U+0016
// and Ctrl+- the text "-", while synthetic events carry no text for Delete and
// "v" for Ctrl+V.
//
// Ctrl follows the control-character convention of Windows keyboards: Ctrl
// with a letter is 1 to 26, Ctrl+2 (Ctrl+@) 0, Ctrl+[ 27, Ctrl+\ 28, Ctrl+] 29,
// Ctrl+6 (Ctrl+^) 30, Ctrl+- (Ctrl+_) 31, Ctrl+Enter 10, Ctrl+Backspace 127 and
// Ctrl+Space a blank; Ctrl with any other key types nothing.
std::optional<qint16> characterCode(const QKeyEvent& event);

// True for Alt or Meta held with a key that would otherwise type a character:
// such a chord is a command (an access key, or nothing at all) and never a
// character. AltGr is no Alt: under X11 it is a level of the key itself and
// its characters come as plain characters.
bool isCommandChord(const QKeyEvent& event);

} // namespace kolvart
