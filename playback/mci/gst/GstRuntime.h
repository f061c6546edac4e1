#pragma once

#include <QString>

namespace cinevan::mci::gst {

// Initialises GStreamer once per process; safe to call from any thread, any number of times.
// False when the library cannot be initialised (the device type then offers no devices).
// The first call may take seconds (it rebuilds the plug-in registry when the cache is gone),
// and a call made while another thread initialises waits for it: the GUI thread never calls
// it, it leaves initialising to the threads that open movies or load plug-ins.
bool ensureInitialized();

// Whether initialising has been tried and has failed; never waits (false until it is known).
bool initializationFailed();

// The library's own description of itself, e.g. "GStreamer 1.22.0"; never waits.
QString versionText();

}  // namespace cinevan::mci::gst
