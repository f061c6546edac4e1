#pragma once

namespace cinevan {

// Both movie engines draw into native X11 windows that the program hands them. On a Wayland
// desktop Qt would pick its Wayland platform when that plug-in is installed, and no movie
// would be seen; the X server the desktop runs alongside (DISPLAY) shows them. Asks Qt for
// X11 when an X display is there and the user made no choice of platform (QT_QPA_PLATFORM).
// Must run before the application object is made.
void PreferX11Windows();

}  // namespace cinevan
