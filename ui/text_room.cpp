#include "ui/text_room.h"

#include <QFont>
#include <QFontMetrics>
#include <QStyle>
#include <QStyleOptionButton>
#include <QStyleOptionFrame>

#include <algorithm>

namespace kolvart {

bool boxHasRoom(const QStyle& style, const QFont& font, QSize size) {
    QStyleOptionFrame frame;
    frame.rect = QRect(QPoint(), size);
    frame.fontMetrics = QFontMetrics(font);
    frame.state = QStyle::State_Enabled | QStyle::State_Sunken;
    frame.lineWidth = style.pixelMetric(QStyle::PM_DefaultFrameWidth, &frame);
    const QRect contents = style.subElementRect(QStyle::SE_LineEditContents, &frame);
    // QLineEdit centres the line of its text in its contents, as here, and
    // clips what stands outside them.
    const QString text = QStringLiteral("0123456789");
    const QFontMetrics& metrics = frame.fontMetrics;
    const int line = std::max(metrics.height(), metrics.boundingRect(text).height());
    const int baseline = contents.top() + (contents.height() - line + 1) / 2 + metrics.ascent();
    const QRect digits = metrics.tightBoundingRect(text);
    return contents.contains(QRect(contents.left(), baseline + digits.top(), 1, digits.height()));
}

bool buttonHasRoom(const QStyle& style, const QFont& font, const QString& caption, QSize size) {
    QStyleOptionButton button;
    button.rect = QRect(QPoint(), size);
    button.fontMetrics = QFontMetrics(font);
    button.state = QStyle::State_Enabled;
    button.features = QStyleOptionButton::AutoDefaultButton;
    button.text = caption;
    const int margin = style.pixelMetric(QStyle::PM_ButtonMargin, &button);
    const int frame = 2 * style.pixelMetric(QStyle::PM_DefaultFrameWidth, &button);
    const QFontMetrics& metrics = button.fontMetrics;
    const int width = metrics.horizontalAdvance(QString(caption).remove(QLatin1Char('&')));
    return width + margin + frame <= size.width() && metrics.height() + frame <= size.height();
}

} // namespace kolvart
