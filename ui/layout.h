#pragma once

#include <QRect>
#include <QSize>

namespace kolvart {

// The window is laid out in twips, 1440 to the logical inch: 15 twips to a
// logical pixel at 96 dots per inch. Qt scales logical pixels to the screen,
// so this one conversion serves every control at every scale.
constexpr int twipsPerPixel = 15;

// The window's layout at a scale, in percent of the size it was designed
// at. A larger desktop font makes every twip wider, as a twips layout once
// grew with the system font: every place and size, and the point size of
// the window's own fonts, grow by the same factor.
class Layout {
public:
    constexpr Layout() noexcept = default;
    constexpr explicit Layout(int percent) noexcept
        : percent_(percent) {}

    constexpr int percent() const noexcept { return percent_; }

    // The next scale up, one percent larger.
    constexpr Layout larger() const noexcept { return Layout(percent_ + 1); }

    constexpr int pixels(int twips) const noexcept {
        // Round half away from zero, so that every edge lands on the nearest pixel.
        constexpr int twipsPerPixelInPercent = twipsPerPixel * 100;
        const int scaled = twips * percent_;
        return scaled >= 0 ? (scaled + twipsPerPixelInPercent / 2) / twipsPerPixelInPercent
                           : -((-scaled + twipsPerPixelInPercent / 2) / twipsPerPixelInPercent);
    }

    constexpr QSize size(int width, int height) const noexcept {
        return QSize(pixels(width), pixels(height));
    }

    constexpr QRect rect(int left, int top, int width, int height) const noexcept {
        return QRect(QPoint(pixels(left), pixels(top)), size(width, height));
    }

    constexpr double points(double points) const noexcept { return points * percent_ / 100; }

private:
    int percent_ = 100;
};

// The window as designed.
constexpr int twips(int value) noexcept {
    return Layout().pixels(value);
}

constexpr QRect twipsRect(int left, int top, int width, int height) noexcept {
    return Layout().rect(left, top, width, height);
}

} // namespace kolvart
