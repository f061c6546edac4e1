#pragma once

#include <QtGlobal>

namespace cinevan {

// Decides when a playing selection has ended: the position reached the stop, or it has not
// moved for a second while within the last 2 % of the stop (a device that stalls just short
// of the end), or it has not moved for kStuckTicks ticks anywhere (a device that stopped
// playing for good while it still says it plays). Fed with the position on every 500 ms tick;
// a sample is kept every second tick, alternately in two slots.
class EndDetector {
public:
    // Eight seconds: longer than a passing hold of the source, short enough that a list of
    // movies goes on.
    static constexpr int kStuckTicks = 16;

    // Makes the two samples differ, so that no stall is seen until two real samples have been
    // taken after a play command.
    void Reset() {
        posSamples_[0] = -1;
        posSamples_[1] = -2;
        lastPosMs_ = -1;
        unmovedTicks_ = 0;
    }

    // Records one tick's position and tells whether the selection ending at `stopMs` is over.
    bool Tick(qint32 posMs, qint32 stopMs) {
        sampleTick_ = !sampleTick_;
        if (sampleTick_) {
            sampleSlot_ = 1 - sampleSlot_;
            posSamples_[sampleSlot_] = posMs;
        }
        nearEnd_ = posMs > stopMs - 2 * (stopMs / 100);
        const bool stuck = Unmoved(posMs) >= kStuckTicks;
        return posMs >= stopMs || (posSamples_[0] == posSamples_[1] && nearEnd_) || stuck;
    }

    bool NearEnd() const { return nearEnd_; }

private:
    // Counts the ticks in a row that found the position of the tick before.
    int Unmoved(qint32 posMs) {
        unmovedTicks_ = posMs == lastPosMs_ ? unmovedTicks_ + 1 : 0;
        lastPosMs_ = posMs;
        return unmovedTicks_;
    }

    qint32 posSamples_[2] = {0, 0};
    int sampleSlot_ = 0;
    bool sampleTick_ = false;
    bool nearEnd_ = false;
    qint32 lastPosMs_ = -1;
    int unmovedTicks_ = 0;
};

}  // namespace cinevan
