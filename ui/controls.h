#pragma once

#include <QFont>
#include <QRect>
#include <QString>

class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QWidget;

namespace kolvart {

class Layout;

// The controls of the window, each made with its name, place and font.
// Geometries are in the container's pixels (see layout.h).

// How a label's background is painted: filled in the window's own colour,
// or the container's, which some styles paint in another shade.
enum class LabelBackground { Own, Container };

// A label in the label font at the window's scale.
QLabel* makeLabel(QWidget* container, const char* name, const QString& caption, QRect geometry,
                  QFont::Weight weight, LabelBackground background, const Layout& layout);

// A single-line box in the platform's font, named for screen readers by its
// label, without a length limit.
QLineEdit* makeBox(QWidget* container, const char* name, QRect geometry, QLabel* label);

// A captioned frame in the bold label font at the window's scale.
QGroupBox* makeFrame(QWidget* window, const char* name, const QString& caption, QRect geometry,
                     const Layout& layout);

// A push button whose caption marks its access key with "&".
QPushButton* makeButton(QWidget* window, const char* name, const QString& caption, QRect geometry);

} // namespace kolvart
