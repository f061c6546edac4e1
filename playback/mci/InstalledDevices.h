#pragma once

#include <memory>

#include "playback/mci/DeviceLayer.h"

namespace cinevan::mci {

// The device layer of the installed program, with every device type this build provides in
// its numbering order. The simulated device is never part of it.
std::unique_ptr<DeviceLayer> makeInstalledDeviceLayer();

}  // namespace cinevan::mci
