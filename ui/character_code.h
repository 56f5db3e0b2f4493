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
// the event: under X11 Delete carries the text U+007F and Ctrl+V the text
// U+0016, while synthetic events carry no text for Delete and "v" for Ctrl+V.
std::optional<qint16> characterCode(const QKeyEvent& event);

} // namespace kolvart
