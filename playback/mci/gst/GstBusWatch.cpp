#include "playback/mci/gst/GstBusWatch.h"

namespace cinevan::mci::gst {

GstBusWatch::GstBusWatch(GstBus* bus, Handler handler)
    : bus_(GST_BUS(gst_object_ref(bus))), handler_(std::move(handler)) {
    GPollFD pollFd{};
    gst_bus_get_pollfd(bus_.get(), &pollFd);
    notifier_ = std::make_unique<QSocketNotifier>(pollFd.fd, QSocketNotifier::Read);
    QObject::connect(notifier_.get(), &QSocketNotifier::activated, notifier_.get(),
                     [this] { drain(); });
}

GstBusWatch::~GstBusWatch() {
    notifier_->setEnabled(false);
}

void GstBusWatch::drain() {
    while (MessagePtr message{gst_bus_pop(bus_.get())}) {
        handler_(message.get());
    }
}

GstMessageType GstBusWatch::waitFor(GstMessageType types, GstClockTime timeoutNs) {
    const gint64 deadline = g_get_monotonic_time() + static_cast<gint64>(timeoutNs / 1000);
    for (;;) {
        const gint64 left = deadline - g_get_monotonic_time();
        if (left <= 0) {
            return GstMessageType(0);
        }
        const MessagePtr message{gst_bus_timed_pop(bus_.get(), left * 1000)};
        if (!message) {
            return GstMessageType(0);
        }
        handler_(message.get());
        if ((GST_MESSAGE_TYPE(message.get()) & types) != 0) {
            return GST_MESSAGE_TYPE(message.get());
        }
    }
}

}  // namespace cinevan::mci::gst
