#pragma once

#include <QtGlobal>

namespace cinevan {

// Decides when a playing selection has ended: the position reached the stop, or it has not
// moved for a second while within the last 2 % of the stop (a device that stalls just short
// of the end). Fed with the position on every 500 ms tick; a sample is kept every second
// tick, alternately in two slots.
class EndDetector {
public:
    // Makes the two samples differ, so that no stall is seen until two real samples have been
    // taken after a play command.
    void Reset() {
        FPosSamples[0] = -1;
        FPosSamples[1] = -2;
    }

    // Records one tick's position and tells whether the selection ending at `stopMs` is over.
    bool Tick(qint32 posMs, qint32 stopMs) {
        FSampleTick = !FSampleTick;
        if (FSampleTick) {
            FSampleSlot = 1 - FSampleSlot;
            FPosSamples[FSampleSlot] = posMs;
        }
        FNearEnd = posMs > stopMs - 2 * (stopMs / 100);
        return posMs >= stopMs || (FPosSamples[0] == FPosSamples[1] && FNearEnd);
    }

    bool NearEnd() const { return FNearEnd; }

private:
    qint32 FPosSamples[2] = {0, 0};
    int FSampleSlot = 0;
    bool FSampleTick = false;
    bool FNearEnd = false;
};

}  // namespace cinevan
