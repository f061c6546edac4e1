#pragma once

#include "playback/mci/DeviceType.h"
#include "playback/mci/gst/GstWarmUp.h"

namespace cinevan::mci {

// The device type "MPEGVideo": MPEG files and Video CD tracks played by GStreamer's playbin.
class GstDeviceType : public DeviceType {
public:
    QString name() const override;
    // nullptr once GStreamer is known not to initialise; until then a device whose open
    // answers Error::CannotLoadDriver if it does not.
    std::unique_ptr<MediaDevice> create() override;
    // Loads the MPEG pipeline's plug-ins on a thread of its own, once.
    void prepare() override;

private:
    gst::GstWarmUp warmUp_;
};

}  // namespace cinevan::mci
