#include "ui/controls.h"

#include "ui/layout.h"

#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStringList>

#include <limits>

namespace kolvart {
namespace {

// The face that the frames and labels ask for, with the installed stand-ins
// of the same narrow proportions behind it, and its size in the window as
// designed.
const QStringList labelFamilies{QStringLiteral("MS Sans Serif"), QStringLiteral("Liberation Sans"),
                                QStringLiteral("Arimo"), QStringLiteral("Arial")};
constexpr qreal labelPointSize = 9.6;

QFont labelFont(QFont::Weight weight, const Layout& layout) {
    QFont font;
    font.setFamilies(labelFamilies);
    font.setPointSizeF(layout.points(labelPointSize));
    font.setWeight(weight);
    font.setItalic(false);
    font.setUnderline(false);
    font.setStrikeOut(false);
    return font;
}

// The platform's default font with every property set, so that a box inside
// a frame keeps it instead of inheriting the frame's bold caption font.
QFont defaultFont() {
    QFont font = QApplication::font();
    font.setResolveMask(QFont::AllPropertiesResolved);
    return font;
}

} // namespace

QLabel* makeLabel(QWidget* container, const char* name, const QString& caption, QRect geometry,
                  QFont::Weight weight, LabelBackground background, const Layout& layout) {
    auto* label = new QLabel(caption, container);
    label->setObjectName(QLatin1String(name));
    label->setGeometry(geometry);
    label->setFont(labelFont(weight, layout));
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    label->setWordWrap(false);
    label->setTextFormat(Qt::PlainText);
    if (background == LabelBackground::Own) {
        // The window's own colour: a style may give buttons a shade of their
        // own (KDE's Breeze a lighter one), and the banner is no button.
        label->setBackgroundRole(QPalette::Window);
        label->setAutoFillBackground(true);
    }
    return label;
}

QLineEdit* makeBox(QWidget* container, const char* name, QRect geometry, QLabel* label) {
    auto* box = new QLineEdit(container);
    box->setObjectName(QLatin1String(name));
    box->setGeometry(geometry);
    box->setFont(defaultFont());
    box->setAccessibleName(label->text());
    // No length limit: Qt's default of 32767 characters would cut a long
    // pasted number short and so change its value.
    box->setMaxLength(std::numeric_limits<int>::max());
    return box;
}

QGroupBox* makeFrame(QWidget* window, const char* name, const QString& caption, QRect geometry,
                     const Layout& layout) {
    auto* frame = new QGroupBox(caption, window);
    frame->setObjectName(QLatin1String(name));
    frame->setGeometry(geometry);
    frame->setFont(labelFont(QFont::Bold, layout));
    return frame;
}

QPushButton* makeButton(QWidget* window, const char* name, const QString& caption, QRect geometry) {
    auto* button = new QPushButton(caption, window);
    button->setObjectName(QLatin1String(name));
    button->setGeometry(geometry);
    button->setFocusPolicy(Qt::StrongFocus);
    // Enter clicks a button that has the focus; outside a dialog no button
    // is ever the default, so Enter elsewhere clicks nothing.
    button->setAutoDefault(true);
    button->setAccessibleName(QString(caption).remove(QLatin1Char('&')));
    return button;
}

} // namespace kolvart
