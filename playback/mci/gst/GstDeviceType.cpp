#include "playback/mci/gst/GstDeviceType.h"

#include "playback/mci/gst/GstDevice.h"
#include "playback/mci/gst/GstRuntime.h"

namespace cinevan::mci {

QString GstDeviceType::name() const {
    return QStringLiteral("MPEGVideo");
}

std::unique_ptr<MediaDevice> GstDeviceType::create() {
    if (!gst::ensureInitialized()) {
        return nullptr;
    }
    return std::make_unique<GstDevice>();
}

void GstDeviceType::prepare() {
    warmUp_.start();
}

}  // namespace cinevan::mci
