#pragma once

#include <QRect>

namespace kolvart {

// The window is laid out in twips, 1440 to the logical inch: 15 twips to a
// logical pixel at 96 dots per inch. Qt scales logical pixels to the screen,
// so this one conversion serves every control at every scale.
constexpr int twipsPerPixel = 15;

constexpr int twips(int value) noexcept {
    // Round half away from zero, so that every edge lands on the nearest pixel.
    return value >= 0 ? (value + twipsPerPixel / 2) / twipsPerPixel
                      : -((-value + twipsPerPixel / 2) / twipsPerPixel);
}

constexpr QRect twipsRect(int left, int top, int width, int height) noexcept {
    return QRect(twips(left), twips(top), twips(width), twips(height));
}

} // namespace kolvart
