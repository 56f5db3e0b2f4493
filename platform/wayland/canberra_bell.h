#pragma once

namespace kolvart::wayland {

// Plays the desktop's bell through the sound server: the "bell" event of the
// freedesktop sound theme, played by libcanberra, so that the desktop's sound
// theme, volume and mute apply. For platforms that have no bell of their own,
// such as Qt's Wayland platform.
//
// libcanberra is opened at the first call. A bell rung while the previous one
// still sounds cuts that one off, so that a burst of bells is a burst of
// short starts and ends with the last one, instead of sounding on for seconds.
// Without libcanberra or a sound server the call does nothing.
//
// Call it from one thread only (the GUI thread).
void ringBell();

} // namespace kolvart::wayland
