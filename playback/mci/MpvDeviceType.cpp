#include "playback/mci/MpvDeviceType.h"

#include "playback/mci/MpvDevice.h"
#include "playback/mci/MpvSoundDevice.h"

namespace cinevan::mci {

std::unique_ptr<MediaDevice> MpvDeviceType::create() {
    return std::make_unique<MpvDevice>();
}

std::unique_ptr<MediaDevice> MpvSoundDeviceType::create() {
    return std::make_unique<MpvSoundDevice>();
}

}  // namespace cinevan::mci
