#include "playback/mci/mpv/MpvDeviceType.h"

#include "playback/mci/mpv/MpvDevice.h"
#include "playback/mci/mpv/MpvSoundDevice.h"

namespace cinevan::mci {

std::unique_ptr<MediaDevice> MpvDeviceType::create() {
    return std::make_unique<MpvDevice>();
}

std::unique_ptr<MediaDevice> MpvSoundDeviceType::create() {
    return std::make_unique<MpvSoundDevice>();
}

}  // namespace cinevan::mci
