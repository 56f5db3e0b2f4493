#pragma once

#include <QString>

#include <variant>

namespace kolvart {

// A Tab item of a print statement: moves the print position to the left edge
// of a column. Columns are numbered from 1 at the left edge of the line and
// are as wide as the average character of the printer's current font.
struct TabTo {
    int column;
};

// One item of a print statement: a text, printed at the print position, or a
// Tab to a column.
using PrintItem = std::variant<QString, TabTo>;

} // namespace kolvart
