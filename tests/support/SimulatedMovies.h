#pragma once

#include <QFile>
#include <QString>

#include <gtest/gtest.h>

#include "playback/mci/DeviceLayer.h"
#include "playback/mci/simulated/SimulatedDevice.h"

namespace cinevan::test {

// Registers a simulated "ActiveMovie" device type whose every movie lasts ten minutes: long
// enough for the windows under test to open, play and seek any stand-in movie file.
inline void AddTenMinuteActiveMovie(const mci::SimulatedDevices& sim, mci::DeviceLayer& layer) {
    mci::SimulatedTypeScript script;
    script.name = "ActiveMovie";
    script.defaultElement.lengthMs = 600000;
    sim.add(layer, script);
}

// Writes a small file that stands for a movie on simulated devices; returns its path.
inline QString WriteStandInMovie(const QString& path) {
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly)) << path.toStdString();
    file.write("movie");
    return path;
}

}  // namespace cinevan::test
