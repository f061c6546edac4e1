#pragma once

#include <QString>

namespace cinevan::mci::gst {

// Initialises GStreamer once per process; safe to call from any thread, any number of times.
// False when the library cannot be initialised (the device type then offers no devices).
bool ensureInitialized();

// The library's own description of itself, e.g. "GStreamer 1.22.0".
QString versionText();

}  // namespace cinevan::mci::gst
