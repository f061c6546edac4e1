#pragma once

#include <QElapsedTimer>
#include <QTimer>
#include <algorithm>

namespace cinevan::test {

// Notes the longest time the event loop went without turning while the meter exists: a 10 ms
// timer keeps the longest time between two of its ticks. A call made on the GUI thread that
// waits (for a stuck source, say) shows as a gap as long as the wait.
class LoopGapMeter {
public:
    LoopGapMeter() {
        clock_.start();
        QObject::connect(&ticker_, &QTimer::timeout, [this] { note(); });
        ticker_.start(10);
    }

    // The longest gap so far, the one that ends now included.
    qint64 longestMs() {
        note();
        return longest_;
    }

private:
    void note() {
        const qint64 now = clock_.elapsed();
        longest_ = std::max(longest_, now - last_);
        last_ = now;
    }

    QElapsedTimer clock_;
    QTimer ticker_;
    qint64 last_ = 0;
    qint64 longest_ = 0;
};

}  // namespace cinevan::test
