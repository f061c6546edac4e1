#pragma once

#include "playback/mci/DeviceType.h"

namespace cinevan::mci {

// "ActiveMovie": movies played and drawn by libmpv. Its video needs nothing of the top-level
// window: it draws into a native child window of its own.
class MpvDeviceType : public DeviceType {
public:
    QString name() const override { return QStringLiteral("ActiveMovie"); }
    std::unique_ptr<MediaDevice> create() override;
};

// "WaveAudio": the sound of a file played by libmpv, without video.
class MpvSoundDeviceType : public DeviceType {
public:
    QString name() const override { return QStringLiteral("WaveAudio"); }
    std::unique_ptr<MediaDevice> create() override;
};

}  // namespace cinevan::mci
