#pragma once

#include <QtGlobal>

namespace cinevan::mci {

// Time for simulated devices: it stands still until a test moves it on, so that playback
// positions follow exactly the time the test lets pass.
class VirtualClock {
public:
    qint64 nowMs() const { return nowMs_; }

    // Moves the clock on by `ms`; time never runs backwards, so a negative step is ignored.
    void advance(qint64 ms);

private:
    qint64 nowMs_ = 0;
};

}  // namespace cinevan::mci
