#pragma once

#include "playback/mci/DeviceType.h"

namespace cinevan::mci {

// The device type "MPEGVideo": MPEG files and Video CD tracks played by GStreamer's playbin.
class GstDeviceType : public DeviceType {
public:
    QString name() const override;
    // nullptr when GStreamer cannot be initialised.
    std::unique_ptr<MediaDevice> create() override;
};

}  // namespace cinevan::mci
