#pragma once

#include <gst/gst.h>

#include <QSocketNotifier>
#include <functional>
#include <memory>

#include "playback/mci/gst/GstHandles.h"

namespace cinevan::mci::gst {

// Reads a pipeline's bus on the GUI thread: the bus's poll descriptor becomes readable while
// messages wait, so a socket notifier wakes the event loop and every message is handled here,
// never on a streaming thread.
class GstBusWatch {
public:
    using Handler = std::function<void(GstMessage*)>;

    GstBusWatch(GstBus* bus, Handler handler);
    ~GstBusWatch();
    GstBusWatch(const GstBusWatch&) = delete;
    GstBusWatch& operator=(const GstBusWatch&) = delete;

    // Handles every message that is waiting now.
    void drain();

    // Waits up to `timeoutNs` for a message of one of `types`, handling every message that
    // arrives meanwhile; returns the type of the one that ended the wait (0 on time-out).
    GstMessageType waitFor(GstMessageType types, GstClockTime timeoutNs);

private:
    BusPtr bus_;
    Handler handler_;
    std::unique_ptr<QSocketNotifier> notifier_;
};

}  // namespace cinevan::mci::gst
