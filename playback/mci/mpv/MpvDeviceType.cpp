#include "playback/mci/mpv/MpvDeviceType.h"

#include "playback/mci/mpv/MpvDevice.h"

namespace cinevan::mci {

std::unique_ptr<MediaDevice> MpvDeviceType::create() {
    return std::make_unique<MpvDevice>();
}

std::unique_ptr<MediaDevice> MpvSoundDeviceType::create() {
    return std::make_unique<MpvDevice>(MpvPlayer::Media::SoundOnly);
}

}  // namespace cinevan::mci
