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
        posSamples_[0] = -1;
        posSamples_[1] = -2;
    }

    // Records one tick's position and tells whether the selection ending at `stopMs` is over.
    bool Tick(qint32 posMs, qint32 stopMs) {
        sampleTick_ = !sampleTick_;
        if (sampleTick_) {
            sampleSlot_ = 1 - sampleSlot_;
            posSamples_[sampleSlot_] = posMs;
        }
        nearEnd_ = posMs > stopMs - 2 * (stopMs / 100);
        return posMs >= stopMs || (posSamples_[0] == posSamples_[1] && nearEnd_);
    }

    bool NearEnd() const { return nearEnd_; }

private:
    qint32 posSamples_[2] = {0, 0};
    int sampleSlot_ = 0;
    bool sampleTick_ = false;
    bool nearEnd_ = false;
};

}  // namespace cinevan
