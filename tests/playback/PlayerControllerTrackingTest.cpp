// Position tracking on the virtual clock: the thumb and the time labels, the end of the
// selection (reached or stalled just short of it), and seeking with the track bar.

#include <gtest/gtest.h>

#include "tests/playback/PlayerControllerFixture.h"

namespace cinevan::test {
namespace {

using TrackingTest = PlayerTest;

TEST_F(TrackingTest, ThumbAndLabelsShowTheNextWholeSecond) {
    AddMovies({MakeMovie("ten.mpg", 600000)});
    player->BitBtnPlayClick();

    RunUntil(3000);
    sim.clock->advance(200);
    player->ActiveMovieTimer();

    EXPECT_EQ(player->PositionSec(), 4);
    EXPECT_EQ(view.trackPosition, 4);
    EXPECT_EQ(view.labelCurrent, "0:00:04");
    EXPECT_EQ(view.labelDuration, "0:10:00");
}

TEST_F(TrackingTest, TheThumbCountsFromTheSelectionStart) {
    AddMovies({MakeMovie("ten.mpg", 600000)});
    SetSelection(0, "0:01:00", "0:02:00");
    player->BitBtnPlayClick();
    Tick(5);  // 2.5 s from 60 s
    EXPECT_EQ(player->PositionSec(), 63);
    EXPECT_EQ(view.trackPosition, 3);
    EXPECT_EQ(view.labelCurrent, "0:00:03");
    EXPECT_EQ(view.labelDuration, "0:01:00");
}

TEST_F(TrackingTest, NoTickActsWhenNotPlaying) {
    AddMovies({MakeMovie("a.mpg", 60000)});
    player->BitBtnPlayClick();
    player->BitBtnPauseClick();
    ClearLog();
    Tick(10);
    EXPECT_TRUE(AllCommands().isEmpty());
}

TEST_F(TrackingTest, TheEndOfTheSelectionAdvancesToTheNextEntry) {
    const QString second = MakeMovie("b.mpg", 60000);
    AddMovies({MakeMovie("a.mpg", 60000), second});
    SetSelection(0, "0:00:10", "0:00:20");
    player->BitBtnPlayClick();

    RunUntil(9500);
    EXPECT_EQ(player->List().Current(), 0);
    ClearLog();
    Tick();  // 20 000 ms reached

    EXPECT_EQ(player->List().Current(), 1);
    EXPECT_EQ(player->State(), PlayState::Playing);
    EXPECT_EQ(Transport(), (QStringList{"close", Open(second), "set time format ms", "pause",
                                        "resume", "play 0 60000"}));
    ExpectConsistent();
}

TEST_F(TrackingTest, TheEndOfTheLastEntryWithoutLoopStopsAndLeavesFullScreen) {
    AddMovies({MakeMovie("a.mpg", 3000)});
    view.fullChecked = true;
    player->BitBtnPlayClick();
    ASSERT_TRUE(view.fullScreenVisible);

    RunUntil(3000);

    EXPECT_EQ(player->State(), PlayState::Closed);
    EXPECT_FALSE(view.fullChecked);
    EXPECT_FALSE(view.fullScreenVisible);
    EXPECT_EQ(view.page, MoviePage::Preview);
    EXPECT_EQ(player->List().Current(), 0);
    EXPECT_EQ(view.closeRequests, 0);
    ExpectConsistent();
}

TEST_F(TrackingTest, FullScreenStaysUpBetweenEntries) {
    AddMovies({MakeMovie("a.mpg", 2000), MakeMovie("b.mpg", 2000)});
    view.fullChecked = true;
    player->BitBtnPlayClick();
    EXPECT_TRUE(AllCommands().contains("window FormFullScreen"));
    EXPECT_TRUE(AllCommands().contains("put 0 0 1024 768"));
    ClearLog();

    RunUntil(2000);

    EXPECT_EQ(player->List().Current(), 1);
    EXPECT_TRUE(view.fullChecked);
    EXPECT_TRUE(view.fullScreenVisible);
    EXPECT_TRUE(AllCommands().contains("window FormFullScreen"));
}

TEST_F(TrackingTest, ALoopedSingleEntryReplays) {
    const QString movie = MakeMovie("a.mpg", 2000);
    AddMovies({movie});
    view.loop = true;
    player->BitBtnPlayClick();
    ClearLog();

    RunUntil(2000);

    EXPECT_EQ(player->State(), PlayState::Playing);
    EXPECT_EQ(First(Transport()), "close");
    EXPECT_TRUE(Transport().contains(Open(movie)));
    EXPECT_EQ(Last(Transport()), "play 0 2000");
}

class StallTest : public TrackingTest {
protected:
    // Plays entry 0 until it is replaced by entry 1; the clock time of the advance, or -1.
    qint64 AdvanceTime(qint64 limitMs) {
        while (sim.clock->nowMs() < limitMs) {
            Tick();
            if (player->List().Current() != 0) {
                return sim.clock->nowMs();
            }
        }
        return -1;
    }
};

TEST_F(StallTest, ADeviceStallingWithinTheLastTwoPercentEndsTheEntry) {
    mci::SimulatedElement stalling;
    stalling.lengthMs = 120000;
    stalling.stallAtMs = 119500;
    AddMovies({MakeMovie("stall.mpg", stalling), MakeMovie("next.mpg", 60000)});
    player->BitBtnPlayClick();

    // Samples are taken on every second tick; the position first reads 119 500 at 119.5 s,
    // and the next sample a second later equals it.
    EXPECT_EQ(AdvanceTime(130000), 120500);
    EXPECT_EQ(player->State(), PlayState::Playing);
}

TEST_F(StallTest, AShortHoldInTheMiddleIsNotTheEnd) {
    mci::SimulatedElement holding;
    holding.lengthMs = 120000;
    holding.stallAtMs = 60000;
    holding.stallForMs = 3000;
    AddMovies({MakeMovie("hold.mpg", holding), MakeMovie("next.mpg", 60000)});
    player->BitBtnPlayClick();

    EXPECT_EQ(AdvanceTime(130000), 123000) << "ends only when the stop is reached";
}

// A device that goes on "playing" with its position stuck for good, at the start (it never got
// going) or in the middle: the list goes on eight seconds after the position first read the
// stuck value, on the first tick at or after it.
TEST_F(StallTest, APositionStuckForGoodAtTheStartEndsTheEntryAfterEightSeconds) {
    mci::SimulatedElement stuck;
    stuck.lengthMs = 120000;
    stuck.stallAtMs = 0;
    AddMovies({MakeMovie("stuck.mpg", stuck), MakeMovie("next.mpg", 60000)});
    player->BitBtnPlayClick();

    EXPECT_EQ(AdvanceTime(60000), 500 + 8000);
    EXPECT_EQ(player->State(), PlayState::Playing) << "the next entry plays";
}

TEST_F(StallTest, APositionStuckForGoodInTheMiddleEndsTheEntryAfterEightSeconds) {
    mci::SimulatedElement stuck;
    stuck.lengthMs = 120000;
    stuck.stallAtMs = 30000;
    AddMovies({MakeMovie("stuck.mpg", stuck), MakeMovie("next.mpg", 60000)});
    player->BitBtnPlayClick();

    EXPECT_EQ(AdvanceTime(100000), 30000 + 8000);
    EXPECT_EQ(player->State(), PlayState::Playing);
}

TEST_F(StallTest, APauseNearTheEndIsNotAStallOnceResumed) {
    AddMovies({MakeMovie("a.mpg", 120000), MakeMovie("next.mpg", 60000)});
    player->BitBtnPlayClick();
    RunUntil(118000);
    player->BitBtnPauseClick();
    sim.clock->advance(5000);
    player->BitBtnPlayClick();
    // Resuming keeps the samples taken before the pause; they differ, so no stall is seen.
    Tick();
    EXPECT_EQ(player->List().Current(), 0);
    EXPECT_EQ(AdvanceTime(sim.clock->nowMs() + 5000), 125000);
}

TEST_F(StallTest, AStopBeyondTheMovieEndsTheEntryWhereTheMovieEnds) {
    AddMovies({MakeMovie("short.mpg", 60000), MakeMovie("next.mpg", 60000)});
    SetSelection(0, "", "0:02:00");
    player->BitBtnPlayClick();
    EXPECT_EQ(view.trackMaximum, 120) << "the selection is kept as given";
    EXPECT_TRUE(Transport().contains("play 0 120000"));

    EXPECT_EQ(AdvanceTime(200000), 60000);
}

TEST_F(StallTest, AMovieThatStopsJustShortOfAStopBeyondItsEndEndsAfterASecond) {
    mci::SimulatedElement element;
    element.lengthMs = 60000;
    element.stallAtMs = 59900;  // the last frame's time, short of the reported length
    AddMovies({MakeMovie("short.mpg", element), MakeMovie("next.mpg", 60000)});
    SetSelection(0, "", "0:02:00");
    player->BitBtnPlayClick();

    EXPECT_EQ(AdvanceTime(200000), 61500);
}

TEST_F(TrackingTest, APositionQueryThatKeepsFailingEndsTheEntryWithinSecondsAndTheListGoesOn) {
    mci::SimulatedElement failing;
    failing.lengthMs = 10000;
    failing.positionError = mci::Error::Hardware;
    failing.positionGarbage = 200000;  // beyond the stop, were it taken as a position
    AddMovies({MakeMovie("a.mpg", failing), MakeMovie("b.mpg", 10000)});
    player->BitBtnPlayClick();
    view.labelCurrent = QStringLiteral("untouched");

    Tick(2);
    EXPECT_EQ(player->List().Current(), 0) << "a passing failure does not end the entry";
    EXPECT_EQ(view.trackPosition, 0) << "nor does it move the thumb";
    EXPECT_EQ(view.labelCurrent, "untouched");
    EXPECT_EQ(player->LastError(), mci::Error::Hardware);

    RunUntil(5000);
    EXPECT_EQ(player->List().Current(), 1) << "after a few seconds the list goes on";
    EXPECT_EQ(player->State(), PlayState::Playing);
    EXPECT_EQ(Last(Transport()), "play 0 10000");
    ExpectConsistent();
}

TEST_F(TrackingTest, ALastEntryWhosePositionQueryKeepsFailingStopsTheList) {
    mci::SimulatedElement failing;
    failing.lengthMs = 60000;
    failing.positionError = mci::Error::Hardware;
    AddMovies({MakeMovie("good.mpg", 60000), MakeMovie("bad.mpg", failing)});
    player->GoToMovie(1);
    player->BitBtnPlayClick();
    Tick(2);
    EXPECT_EQ(player->State(), PlayState::Playing);
    RunUntil(sim.clock->nowMs() + 5000);
    EXPECT_EQ(player->State(), PlayState::Closed) << "the last entry without Loop stops";
    EXPECT_EQ(player->List().Current(), 1);
    ExpectConsistent();
}

// ---------------------------------------------------------------------------------------------
// Seeking

TEST_F(TrackingTest, DraggingWhilePlayingPlaysOnUntilTheReleaseThenFromTheThumb) {
    AddMovies({MakeMovie("ten.mpg", 600000)});
    SetSelection(0, "0:01:00", "");
    player->BitBtnPlayClick();
    Tick(4);
    ClearLog();

    view.PressThumb();
    view.DragThumb(100);
    EXPECT_EQ(view.labelCurrent, "0:01:40") << "the label follows the thumb";
    Tick(2);
    EXPECT_EQ(view.trackPosition, 100) << "the timer leaves a held thumb alone";
    EXPECT_EQ(Transport(), QStringList{}) << "the movie plays on while the thumb is held";
    view.ReleaseThumb();

    EXPECT_EQ(Transport(), (QStringList{"pause", "play 160000 600000"}));
    EXPECT_EQ(player->State(), PlayState::Playing);
    Tick(2);
    EXPECT_EQ(view.trackPosition, 102);
}

TEST_F(TrackingTest, DraggingWhilePausedSeeksAndPlayContinuesFromThere) {
    AddMovies({MakeMovie("ten.mpg", 600000)});
    SetSelection(0, "0:01:00", "");
    player->BitBtnPlayClick();
    player->BitBtnPauseClick();
    ClearLog();

    view.DragThumbTo(50);
    EXPECT_EQ(Transport(), QStringList{"seek 110000"});
    EXPECT_EQ(player->State(), PlayState::Stopped);

    // A second move while stopped seeks again and stays stopped.
    ClearLog();
    view.DragThumbTo(70);
    EXPECT_EQ(Transport(), QStringList{"seek 130000"});
    EXPECT_EQ(player->State(), PlayState::Stopped);

    ClearLog();
    player->BitBtnPlayClick();
    EXPECT_EQ(First(Transport()), "play 130000 600000");
    EXPECT_EQ(player->State(), PlayState::Playing);
}

TEST_F(TrackingTest, ReleasingAtTheStopAdvancesOrStops) {
    AddMovies({MakeMovie("a.mpg", 60000), MakeMovie("b.mpg", 60000)});
    player->BitBtnPlayClick();
    view.DragThumbTo(60);
    EXPECT_EQ(player->List().Current(), 1);
    EXPECT_EQ(player->State(), PlayState::Playing);

    view.fullChecked = true;
    view.CheckBoxFullScreenClick();
    ASSERT_TRUE(view.fullScreenVisible);
    view.DragThumbTo(60);
    EXPECT_EQ(player->State(), PlayState::Closed) << "the last entry without Loop stops";
    EXPECT_FALSE(view.fullChecked);
    EXPECT_FALSE(view.fullScreenVisible);
    ExpectConsistent();
}

TEST_F(TrackingTest, TheFarRightOfAStopWithMillisecondsPlaysTheRest) {
    AddMovies({MakeMovie("a.mpg", 600400)});
    player->BitBtnPlayClick();
    ASSERT_EQ(view.trackMaximum, 600);
    ClearLog();
    view.DragThumbTo(600);
    EXPECT_EQ(Transport(), (QStringList{"pause", "play 600000 600400"}));
    EXPECT_EQ(player->State(), PlayState::Playing);
}

TEST_F(TrackingTest, AKeyThatDoesNotScrollOnlyClearsTracking) {
    AddMovies({MakeMovie("a.mpg", 60000)});
    player->BitBtnPlayClick();
    Tick(2);
    ClearLog();

    view.PressKeyOnTrackBar(std::nullopt);
    Tick(2);
    EXPECT_EQ(view.trackPosition, 2) << "held: the timer leaves the thumb";
    view.ReleaseKeyOnTrackBar();
    EXPECT_EQ(Transport(), QStringList{});
    EXPECT_EQ(player->State(), PlayState::Playing);
    Tick();
    EXPECT_EQ(view.trackPosition, 3) << "released: the timer moves the thumb again";
}

TEST_F(TrackingTest, AnArrowKeyWhilePlayingSeeksOneSecond) {
    AddMovies({MakeMovie("a.mpg", 60000)});
    player->BitBtnPlayClick();
    Tick(4);  // thumb at 3
    ClearLog();
    view.PressKeyOnTrackBar(+1);
    view.ReleaseKeyOnTrackBar();
    EXPECT_EQ(Transport(), (QStringList{"pause", "play 4000 60000"}));
}

TEST_F(TrackingTest, MovingTheThumbClearsTheCloseAtEndMode) {
    AddMovies({MakeMovie("a.mpg", 60000)});
    player->SetCloseAtEnd(true);
    player->BitBtnPlayClick();
    view.DragThumb(3);
    EXPECT_FALSE(player->CloseAtEnd());
}

TEST_F(TrackingTest, AReleaseAfterTheMovieWasClosedMeanwhileCommandsNothing) {
    AddMovies({MakeMovie("a.mpg", 3000)});
    player->BitBtnPlayClick();
    view.PressThumb();
    view.DragThumb(1);
    RunUntil(3000);  // the end of the list closes the movie while the thumb is held
    ASSERT_EQ(player->State(), PlayState::Closed);
    ClearLog();

    view.ReleaseThumb();

    EXPECT_EQ(AllCommands(), QStringList{});
    EXPECT_EQ(player->State(), PlayState::Closed);
    ExpectConsistent();
}

}  // namespace
}  // namespace cinevan::test
