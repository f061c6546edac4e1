#include "playback/mci/InstalledDevices.h"

#include "playback/mci/gst/GstDeviceType.h"
#include "playback/mci/mpv/MpvDeviceType.h"

namespace cinevan::mci {

std::unique_ptr<DeviceLayer> makeInstalledDeviceLayer() {
    auto layer = std::make_unique<DeviceLayer>();
    // Device types in the order the device search lists them. Each driver registers its type
    // here, e.g. layer->registerType(std::make_unique<MpvDeviceType>());
    //   "ActiveMovie": the libmpv driver
    //   "MPEGVideo":   the GStreamer driver
    //   an audio-only type (no video), left out by the device search
    layer->registerType(std::make_unique<MpvDeviceType>());
    layer->registerType(std::make_unique<GstDeviceType>());
    layer->registerType(std::make_unique<MpvSoundDeviceType>());
    return layer;
}

}  // namespace cinevan::mci
