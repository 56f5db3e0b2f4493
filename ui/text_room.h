#pragma once

#include <QSize>
#include <QString>

class QFont;
class QStyle;

namespace kolvart {

// Whether a control of a given size has room for its text in a font, as the
// style draws it.

// A box has room for the digits at their full height: its frame drawn whole,
// and the digits, where the box centres the font's line, within the contents
// inside that frame.
bool boxHasRoom(const QStyle& style, const QFont& font, QSize size);

// A button has room for its caption, the access key's "&" left out: as wide
// as Qt's common style makes a push button for it (the caption, the style's
// button margin and the frame), and as high as the font's line and the frame.
bool buttonHasRoom(const QStyle& style, const QFont& font, const QString& caption, QSize size);

} // namespace kolvart
