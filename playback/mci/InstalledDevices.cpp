#include "playback/mci/InstalledDevices.h"

#include "playback/mci/gst/GstDeviceType.h"
#include "playback/mci/mpv/MpvDeviceType.h"

namespace cinevan::mci {

std::unique_ptr<DeviceLayer> makeInstalledDeviceLayer() {
    auto layer = std::make_unique<DeviceLayer>();
    // Device types in the order the device search lists them: the two movie engines, then
    // the sound-only type, which the device search leaves out as it has no video.
    layer->registerType(std::make_unique<MpvDeviceType>());
    layer->registerType(std::make_unique<GstDeviceType>());
    layer->registerType(std::make_unique<MpvSoundDeviceType>());
    return layer;
}

}  // namespace cinevan::mci
