#include "playback/mci/simulated/VirtualClock.h"

#include <limits>

namespace cinevan::mci {

void VirtualClock::advance(qint64 ms) {
    if (ms <= 0) {
        return;
    }
    constexpr qint64 latest = std::numeric_limits<qint64>::max();
    nowMs_ = ms > latest - nowMs_ ? latest : nowMs_ + ms;
}

}  // namespace cinevan::mci
