#pragma once

#include <thread>

namespace cinevan::mci::gst {

// Loads the plug-ins an MPEG playbin pipeline is built from, with the decoders it will choose,
// so that the first open does not pay for it. Initialises GStreamer when
// that has not happened yet. Returns how many of those elements could be loaded.
// GStreamer serialises plug-in loading, so this may run while a pipeline is being built.
int loadMpegPlugins();

// Runs loadMpegPlugins() once on a thread of its own; the destructor waits for it.
class GstWarmUp {
public:
    GstWarmUp() = default;
    ~GstWarmUp();
    GstWarmUp(const GstWarmUp&) = delete;
    GstWarmUp& operator=(const GstWarmUp&) = delete;

    // Starts the loading unless it has been started before. Returns at once.
    void start();
    // Waits until the loading started by start() has finished.
    void wait();

private:
    std::thread thread_;
    bool started_ = false;
};

}  // namespace cinevan::mci::gst
