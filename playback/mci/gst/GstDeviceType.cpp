#include "playback/mci/gst/GstDeviceType.h"

#include "playback/mci/gst/GstDevice.h"
#include "playback/mci/gst/GstRuntime.h"

namespace cinevan::mci {

QString GstDeviceType::name() const {
    return QStringLiteral("MPEGVideo");
}

std::unique_ptr<MediaDevice> GstDeviceType::create() {
    // Initialising may take seconds: the device's open waits for it off the GUI thread.
    if (gst::initializationFailed()) {
        return nullptr;
    }
    return std::make_unique<GstDevice>();
}

void GstDeviceType::prepare() {
    warmUp_.start();
}

}  // namespace cinevan::mci
