#pragma once

#include <QString>
#include <memory>

#include "playback/mci/MediaDevice.h"

class QWidget;

namespace cinevan::mci {

// One entry of the device table: a named device type and the factory of its devices.
class DeviceType {
public:
    virtual ~DeviceType() = default;

    // Name by which the type is opened, e.g. "ActiveMovie"; compared without regard to case.
    virtual QString name() const = 0;

    // A new, not yet opened device; nullptr when the engine behind the type cannot be loaded.
    virtual std::unique_ptr<MediaDevice> create() = 0;

    // Starts loading, in the background, what the first open of a device will need, so that
    // it answers sooner. Returns at once; opening works whether or not it has finished.
    virtual void prepare() {}
};

}  // namespace cinevan::mci
