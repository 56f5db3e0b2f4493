#pragma once

#include <QIcon>

namespace kolvart {

// Resource path of the 32 x 32, 256-colour icon of the window and the program.
inline constexpr char iconResourcePath[] = ":/icons/kolvart.png";

// The icon with every size in the resources: the 32 x 32 image and the same
// picture drawn at 64, 128 and 256 pixels, so that a desktop that wants a
// larger icon does not have to blow up the small one. Needs a
// QGuiApplication.
QIcon applicationIcon();

} // namespace kolvart
