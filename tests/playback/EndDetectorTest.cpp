#include "playback/EndDetector.h"

#include <gtest/gtest.h>

namespace cinevan {
namespace {

TEST(EndDetectorTest, ReachingTheStopEndsTheSelection) {
    EndDetector detector;
    detector.Reset();
    EXPECT_FALSE(detector.Tick(59999, 60000));
    EXPECT_TRUE(detector.Tick(60000, 60000));
    EXPECT_TRUE(detector.Tick(60400, 60000));
}

TEST(EndDetectorTest, NearEndIsTheLastTwoPercentWithTruncatedHundredths) {
    EndDetector detector;
    detector.Reset();
    detector.Tick(117600, 120000);
    EXPECT_FALSE(detector.NearEnd()) << "the limit itself is not near the end";
    detector.Tick(117601, 120000);
    EXPECT_TRUE(detector.NearEnd());
    // 2 * (12 345 / 100) = 246: the limit is 12 099.
    detector.Tick(12099, 12345);
    EXPECT_FALSE(detector.NearEnd());
    detector.Tick(12100, 12345);
    EXPECT_TRUE(detector.NearEnd());
}

TEST(EndDetectorTest, TwoEqualSamplesNearTheEndEndTheSelection) {
    EndDetector detector;
    detector.Reset();
    // Samples are taken on the first, third, fifth ... tick.
    EXPECT_FALSE(detector.Tick(119000, 120000));  // sample
    EXPECT_FALSE(detector.Tick(119500, 120000));
    EXPECT_FALSE(detector.Tick(119500, 120000));  // sample, differs from 119 000
    EXPECT_FALSE(detector.Tick(119500, 120000));
    EXPECT_TRUE(detector.Tick(119500, 120000));  // sample, equal a second later
}

TEST(EndDetectorTest, EqualSamplesAwayFromTheEndAreNotAnEnd) {
    EndDetector detector;
    detector.Reset();
    for (int tick = 0; tick < 10; ++tick) {
        EXPECT_FALSE(detector.Tick(60000, 120000)) << "tick " << tick;
    }
}

TEST(EndDetectorTest, ResetForgetsEarlierSamples) {
    EndDetector detector;
    detector.Reset();
    detector.Tick(119500, 120000);  // sample in slot 1
    detector.Tick(119500, 120000);
    detector.Reset();
    // The next sample goes to slot 0; slot 1 holds -2 after the reset, so no stall yet.
    EXPECT_FALSE(detector.Tick(119500, 120000));
    EXPECT_FALSE(detector.Tick(119500, 120000));
    EXPECT_TRUE(detector.Tick(119500, 120000));
}

TEST(EndDetectorTest, APositionThatNeverMovesEndsTheSelectionAfterEightSeconds) {
    for (const qint32 stuckAt : {0, 60000}) {
        EndDetector detector;
        detector.Reset();
        // The first tick finds the position; each later one that finds it again counts.
        for (int tick = 0; tick < EndDetector::kStuckTicks; ++tick) {
            EXPECT_FALSE(detector.Tick(stuckAt, 120000)) << stuckAt << " tick " << tick;
        }
        EXPECT_TRUE(detector.Tick(stuckAt, 120000)) << stuckAt;
    }
}

TEST(EndDetectorTest, MovingOrResettingStartsTheCountOfUnmovedTicksAgain) {
    EndDetector detector;
    detector.Reset();
    for (int tick = 0; tick < EndDetector::kStuckTicks; ++tick) {
        detector.Tick(0, 120000);
    }
    EXPECT_FALSE(detector.Tick(40, 120000)) << "it moved";
    for (int tick = 0; tick < EndDetector::kStuckTicks - 1; ++tick) {
        EXPECT_FALSE(detector.Tick(40, 120000)) << "tick " << tick;
    }
    detector.Reset();
    EXPECT_FALSE(detector.Tick(40, 120000)) << "a new play command counts afresh";
    EXPECT_FALSE(detector.Tick(40, 120000));
}

}  // namespace
}  // namespace cinevan
