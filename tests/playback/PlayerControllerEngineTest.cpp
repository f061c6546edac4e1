// The playback engine on simulated devices: the commands of each state transition, the
// transport buttons' availability, the selection played, the open fallback over device types,
// the missing-driver question and missing movie files.

#include <gtest/gtest.h>

#include <QTest>

#include "tests/playback/PlayerControllerFixture.h"

namespace cinevan::test {
namespace {

using mci::SimulatedLog;

class EngineTest : public PlayerTest {
protected:
    void SetUp() override {
        PlayerTest::SetUp();
        movie_ = MakeMovie(QStringLiteral("one.mpg"), 60000);
        AddMovies({movie_});
    }

    void PlayAndClearLog() {
        player->BitBtnPlayClick();
        ASSERT_EQ(player->State(), PlayState::Playing);
        ClearLog();
    }

    QString movie_;
};

// ---------------------------------------------------------------------------------------------
// State table

TEST_F(EngineTest, PlayFromClosedOpensReadsTheMovieAndPlaysTheSelection) {
    player->BitBtnPlayClick();

    EXPECT_EQ(AllCommands(),
              (QStringList{Open(movie_), "where source", "put 0 0 352 288", "set time format ms",
                           "status length", "pause", "window TabSheetMovie", "put 0 0 352 288",
                           "resume", "play 0 60000"}));
    EXPECT_EQ(player->State(), PlayState::Playing);
    EXPECT_TRUE(player->MovieOpen());
    EXPECT_EQ(player->VideoSize(), QSize(352, 288));
    EXPECT_EQ(player->LastError(), mci::Error::None);
    EXPECT_EQ(view.page, MoviePage::Movie);
    EXPECT_EQ(view.trackMaximum, 60);
    EXPECT_EQ(view.pageSize, 10);
    EXPECT_EQ(view.trackBarFocusCount, 1);
    EXPECT_EQ(view.labelDuration, "0:01:00");
    ExpectConsistent();
}

TEST_F(EngineTest, PauseAndResume) {
    PlayAndClearLog();

    player->BitBtnPauseClick();
    EXPECT_EQ(Transport(), QStringList{"pause"});
    EXPECT_EQ(player->State(), PlayState::Paused);

    ClearLog();
    player->BitBtnPauseClick();
    EXPECT_TRUE(AllCommands().isEmpty()) << "pause while paused does nothing";

    // Resuming puts the video where "Full" says, pausing around the switch.
    player->BitBtnPlayClick();
    EXPECT_EQ(Transport(), (QStringList{"resume", "pause", "resume"}));
    EXPECT_EQ(player->State(), PlayState::Playing);
    ExpectConsistent();
}

TEST_F(EngineTest, PlayWhilePlayingClosesAndReopensFromTheSelectionStart) {
    SetSelection(0, "0:00:10", "0:00:50");
    PlayAndClearLog();
    sim.clock->advance(5000);

    player->BitBtnPlayClick();

    EXPECT_EQ(Transport(), (QStringList{"close", Open(movie_), "set time format ms", "pause",
                                        "resume", "play 10000 50000"}));
    EXPECT_EQ(player->State(), PlayState::Playing);
    EXPECT_EQ(view.page, MoviePage::Movie);
    ExpectConsistent();
}

TEST_F(EngineTest, StopClosesFromEveryOpenStateAndOnlyResetsThePageWhenClosed) {
    PlayAndClearLog();
    player->BitBtnStopClick();
    EXPECT_EQ(Transport(), QStringList{"close"});
    EXPECT_EQ(player->State(), PlayState::Closed);
    EXPECT_EQ(view.trackMaximum, 0);
    EXPECT_EQ(player->VideoSize(), QSize(0, 0));
    EXPECT_TRUE(view.labelCurrent.isEmpty());

    PlayAndClearLog();
    player->BitBtnPauseClick();
    player->BitBtnStopClick();
    EXPECT_EQ(Transport(), (QStringList{"pause", "close"}));

    PlayAndClearLog();
    player->BitBtnPauseClick();
    view.DragThumbTo(20);
    ASSERT_EQ(player->State(), PlayState::Stopped);
    ClearLog();
    player->BitBtnStopClick();
    EXPECT_EQ(Transport(), QStringList{"close"});

    ClearLog();
    view.page = MoviePage::Movie;
    const int covers = view.coverLoadCount;
    player->BitBtnStopClick();
    EXPECT_TRUE(AllCommands().isEmpty());
    EXPECT_EQ(view.page, MoviePage::Preview);
    EXPECT_EQ(view.coverLoadCount, covers + 1);
    ExpectConsistent();
}

TEST_F(EngineTest, PlayFromStoppedPlaysFromTheThumbToTheStop) {
    PlayAndClearLog();
    player->BitBtnPauseClick();
    view.DragThumbTo(20);
    EXPECT_EQ(Transport(), (QStringList{"pause", "seek 20000"}));
    EXPECT_EQ(player->State(), PlayState::Stopped);

    ClearLog();
    player->BitBtnPauseClick();
    EXPECT_TRUE(AllCommands().isEmpty()) << "pause while stopped does nothing";

    player->BitBtnPlayClick();
    EXPECT_EQ(Transport(), (QStringList{"play 20000 60000", "pause", "resume"}));
    EXPECT_EQ(player->State(), PlayState::Playing);
    ExpectConsistent();
}

TEST_F(EngineTest, TheFocusFollowsTheToggleBetweenPlayAndPause) {
    player->BitBtnPlayClick();
    player->BitBtnPauseClick();
    EXPECT_FALSE(view.events.contains("FocusPauseButton"));
    EXPECT_FALSE(view.events.contains("FocusPlayButton"));

    ClearLog();
    view.playButtonFocused = true;
    player->BitBtnPlayClick();
    EXPECT_EQ(view.events.count("FocusPauseButton"), 1);
    view.playButtonFocused = false;

    ClearLog();
    view.pauseButtonFocused = true;
    player->BitBtnPauseClick();
    EXPECT_EQ(view.events.count("FocusPlayButton"), 1);

    ClearLog();
    player->RefreshDisplay();
    EXPECT_EQ(view.events, QStringList{"RefreshDisplay"}) << "the focus is handed on once";
}

TEST_F(EngineTest, PlayWithAnEmptyListOnlyFocusesTheTrackBar) {
    player->ClearMovies();
    ClearLog();
    const int focus = view.trackBarFocusCount;
    player->BitBtnPlayClick();
    EXPECT_TRUE(AllCommands().isEmpty());
    EXPECT_EQ(player->State(), PlayState::Closed);
    EXPECT_EQ(view.trackBarFocusCount, focus + 1);
}

struct Availability {
    bool play, pause, stop, prior, next;
};

void ExpectAvailability(const PlayerController& player, Availability expected) {
    EXPECT_EQ(player.PlayEnabled(), expected.play);
    EXPECT_EQ(player.PauseEnabled(), expected.pause);
    EXPECT_EQ(player.StopEnabled(), expected.stop);
    EXPECT_EQ(player.PriorEnabled(), expected.prior);
    EXPECT_EQ(player.NextEnabled(), expected.next);
}

TEST_F(PlayerTest, TransportAvailabilityFollowsStateAndPosition) {
    {
        SCOPED_TRACE("empty list");
        ExpectAvailability(*player, {false, false, false, false, false});
        view.loop = true;
        ExpectAvailability(*player, {false, false, false, false, false});
        view.loop = false;
    }
    AddMovies({MakeMovie("a.mpg", 60000), MakeMovie("b.mpg", 60000), MakeMovie("c.mpg", 60000)});
    {
        SCOPED_TRACE("closed, first entry");
        ExpectAvailability(*player, {true, false, false, false, true});
    }
    player->BitBtnPlayClick();
    {
        SCOPED_TRACE("playing, first entry");
        ExpectAvailability(*player, {false, true, true, false, true});
    }
    player->BitBtnPauseClick();
    {
        SCOPED_TRACE("paused");
        ExpectAvailability(*player, {true, false, true, false, true});
    }
    view.DragThumbTo(5);
    {
        SCOPED_TRACE("stopped at the thumb");
        ExpectAvailability(*player, {true, false, false, false, true});
    }
    player->GoToMovie(1);
    {
        SCOPED_TRACE("closed, middle entry");
        ExpectAvailability(*player, {true, false, false, true, true});
    }
    player->GoToMovie(2);
    {
        SCOPED_TRACE("closed, last entry");
        ExpectAvailability(*player, {true, false, false, true, false});
        view.loop = true;
        ExpectAvailability(*player, {true, false, false, true, true});
        player->GoToMovie(0);
        ExpectAvailability(*player, {true, false, false, true, true});
    }
}

TEST_F(EngineTest, ShortcutItemsActOnlyThroughEnabledButtons) {
    player->ItemButtonsClick(1);
    EXPECT_EQ(player->State(), PlayState::Playing) << "Play/Pause plays";
    player->ItemButtonsClick(1);
    EXPECT_EQ(player->State(), PlayState::Paused) << "Play/Pause pauses";
    player->ItemButtonsClick(3);
    player->ItemButtonsClick(4);
    EXPECT_EQ(player->List().Current(), 0) << "Prior and Next are disabled on a single entry";
    EXPECT_EQ(player->State(), PlayState::Paused);
    player->ItemButtonsClick(2);
    EXPECT_EQ(player->State(), PlayState::Closed);
}

TEST_F(EngineTest, AFailingSourceSizeQueryClosesTheDeviceSilently) {
    mci::SimulatedElement broken;
    broken.whereSourceError = mci::Error::Hardware;
    ScriptElement(movie_, broken);

    player->BitBtnPlayClick();

    EXPECT_EQ(Transport(), (QStringList{Open(movie_), "close"}));
    EXPECT_EQ(player->State(), PlayState::Closed);
    EXPECT_EQ(player->LastError(), mci::Error::Hardware);
    EXPECT_EQ(view.page, MoviePage::Movie);
    EXPECT_TRUE(view.errors.isEmpty());
    ExpectConsistent();
}

// ---------------------------------------------------------------------------------------------
// The video window and the open movie's queries

TEST_F(EngineTest, WithoutAnOpenMovieTheVideoStaysPutAndTheQueriesAnswerNothing) {
    player->PlaceVideo(&view.fullScreenWindow, QRect(0, 0, 800, 600));
    player->FitVideo(QRect(0, 0, 200, 100));
    EXPECT_TRUE(AllCommands().isEmpty());
    EXPECT_FALSE(player->MovieOpen());
    EXPECT_EQ(player->MovieLengthMs(), std::nullopt);
    EXPECT_EQ(player->MoviePositionMs(), std::nullopt);
    EXPECT_EQ(player->State(), PlayState::Closed);

    PlayAndClearLog();
    player->BitBtnStopClick();
    ClearLog();
    player->FitVideo(QRect(0, 0, 200, 100));
    EXPECT_TRUE(AllCommands().isEmpty()) << "a stopped list has closed its device";
    EXPECT_EQ(player->MovieLengthMs(), std::nullopt);
}

TEST_F(EngineTest, MovingThePlayingVideoPausesAroundTheMove) {
    PlayAndClearLog();
    player->PlaceVideo(&view.fullScreenWindow, QRect(0, 0, 800, 600));
    EXPECT_EQ(sim.log->commands(SimulatedLog::Filter::Actions),
              (QStringList{"pause", "window FormFullScreen", "put 0 0 800 600", "resume"}));
    EXPECT_EQ(player->State(), PlayState::Playing);

    player->BitBtnPauseClick();
    ClearLog();
    player->PlaceVideo(&view.movieSheet, QRect(0, 0, 352, 288));
    EXPECT_EQ(sim.log->commands(SimulatedLog::Filter::Actions),
              (QStringList{"window TabSheetMovie", "put 0 0 352 288"}))
        << "a paused movie stays paused";
    EXPECT_EQ(player->State(), PlayState::Paused);

    ClearLog();
    player->FitVideo(QRect(0, 0, 176, 144));
    EXPECT_EQ(AllCommands(), QStringList{"put 0 0 176 144"}) << "fitting moves no window";
    ExpectConsistent();
}

TEST_F(EngineTest, TheOpenMovieTellsItsLengthAndPosition) {
    PlayAndClearLog();
    Tick(4);
    EXPECT_TRUE(player->MovieOpen());
    EXPECT_EQ(player->MovieLengthMs(), 60000u);
    EXPECT_EQ(player->MoviePositionMs(), 2000u) << "four ticks of half a second";
}

TEST_F(EngineTest, APositionTheDeviceCannotTellIsNone) {
    mci::SimulatedElement element;
    element.positionError = mci::Error::Hardware;
    ScriptElement(movie_, element);
    player->BitBtnPlayClick();
    ASSERT_TRUE(player->MovieOpen());
    EXPECT_EQ(player->MoviePositionMs(), std::nullopt);
    EXPECT_EQ(player->MovieLengthMs(), 60000u);
}

// ---------------------------------------------------------------------------------------------
// The selection played

TEST_F(PlayerTest, StartWithoutStopPlaysFromTheStartToTheEnd) {
    AddMovies({MakeMovie("ten.mpg", 600000)});
    SetSelection(0, "0:01:00", "");
    player->BitBtnPlayClick();
    EXPECT_TRUE(Transport().contains("play 60000 600000"));
    EXPECT_EQ(view.trackMaximum, 540);
    EXPECT_EQ(view.labelDuration, "0:09:00");
}

TEST_F(PlayerTest, StopNotLaterThanTheStartPlaysToTheEnd) {
    AddMovies({MakeMovie("a.mpg", 90000), MakeMovie("b.mpg", 90000)});
    SetSelection(0, "0:00:30", "0:00:30");
    SetSelection(1, "0:00:40", "0:00:20");
    player->BitBtnPlayClick();
    EXPECT_TRUE(Transport().contains("play 30000 90000"));
    ClearLog();
    player->GoToMovie(1);
    EXPECT_TRUE(Transport().contains("play 40000 90000"));
    EXPECT_EQ(view.trackMaximum, 50);
}

TEST_F(PlayerTest, WholeSecondsRoundHalvesToEvenWhileTheStopKeepsItsMilliseconds) {
    AddMovies({MakeMovie("a.mpg", 124500), MakeMovie("b.mpg", 125500)});
    player->BitBtnPlayClick();
    EXPECT_TRUE(Transport().contains("play 0 124500"));
    EXPECT_EQ(view.trackMaximum, 124);
    ClearLog();
    player->GoToMovie(1);
    EXPECT_TRUE(Transport().contains("play 0 125500"));
    EXPECT_EQ(view.trackMaximum, 126);
}

TEST_F(PlayerTest, TrackBarPageSizeFollowsTheSelectionLength) {
    AddMovies({MakeMovie("short.mpg", 59000), MakeMovie("episode.mpg", 45 * 60000),
               MakeMovie("feature.mpg", 3 * 3600000)});
    player->BitBtnPlayClick();
    EXPECT_EQ(view.pageSize, 10);
    player->GoToMovie(1);
    EXPECT_EQ(view.pageSize, 60);
    player->GoToMovie(2);
    EXPECT_EQ(view.pageSize, 600);
}

// ---------------------------------------------------------------------------------------------
// Open fallback over device types

// The (type, command) pairs of the log that open something.
QStringList OpensByType(const SimulatedLog& log) {
    QStringList opens;
    for (const auto& entry : log.entries()) {
        if (entry.text.startsWith(QStringLiteral("open"))) {
            opens << entry.type + QStringLiteral(": ") + entry.text;
        }
    }
    return opens;
}

TEST_F(PlayerControllerTest, OpenFallsBackOverTheNamedTypesThenTheSearchedDevices) {
    AddStandardTypes();
    AddType(QStringLiteral("DirectShow"));
    AddType(QStringLiteral("CDAudio"), 0, 0);
    const QString movie = MakeMovie(QStringLiteral("odd.mpg"), 30000);
    mci::SimulatedElement refused;
    refused.openError = mci::Error::InvalidFile;
    activeMovie->script().elements.insert(movie, refused);
    mpegVideo->script().elements.insert(movie, refused);
    AddMovies({movie});
    player->SetDeviceName(QStringLiteral("Xine"));

    player->BitBtnPlayClick();

    EXPECT_EQ(OpensByType(*sim.log),
              (QStringList{"ActiveMovie: " + Open(movie), "MPEGVideo: " + Open(movie),
                           "ActiveMovie: open", "MPEGVideo: open", "DirectShow: open",
                           "CDAudio: open", "ActiveMovie: " + Open(movie),
                           "MPEGVideo: " + Open(movie), "DirectShow: " + Open(movie)}));
    EXPECT_EQ(player->State(), PlayState::Playing);
    EXPECT_EQ(player->DeviceName(), "DirectShow");
    EXPECT_EQ(player->Devices(), (QStringList{"ActiveMovie", "MPEGVideo", "DirectShow"}));
    EXPECT_EQ(view.checkedDevice, 2);
    EXPECT_TRUE(view.confirmations.isEmpty());
    ExpectConsistent();

    // The type that worked is tried first from now on, and the search is not repeated.
    ClearLog();
    player->BitBtnPlayClick();
    EXPECT_EQ(OpensByType(*sim.log), QStringList{"DirectShow: " + Open(movie)});
}

TEST_F(PlayerTest, AFailingChosenTypeFallsBackOnActiveMovieWithoutASearch) {
    const QString movie = MakeMovie(QStringLiteral("a.mpg"), 30000);
    mci::SimulatedElement refused;
    refused.openError = mci::Error::InvalidFile;
    mpegVideo->script().elements.insert(movie, refused);
    AddMovies({movie});
    player->SetDeviceName(QStringLiteral("MPEGVideo"));

    player->BitBtnPlayClick();

    EXPECT_EQ(OpensByType(*sim.log),
              (QStringList{"MPEGVideo: " + Open(movie), "ActiveMovie: " + Open(movie)}));
    EXPECT_EQ(player->DeviceName(), "ActiveMovie");
    EXPECT_EQ(view.deviceItemUpdates, 0);
    EXPECT_EQ(player->State(), PlayState::Playing);
}

TEST_F(PlayerTest, AStalledSourceHasOneTimeLimitForTheWholeFallback) {
    mci::SimulatedElement stalled;
    stalled.openStalls = true;
    const QString movie = MakeMovie(QStringLiteral("stalled.mpg"), stalled);
    const QString other = MakeMovie(QStringLiteral("other.mpg"), 30000);
    AddMovies({movie, other});

    player->BitBtnPlayClick();
    EXPECT_TRUE(player->Opening()) << "the window does not wait for the source";
    EXPECT_TRUE(player->StopEnabled());
    ASSERT_TRUE(QTest::qWaitFor([&] { return !player->Opening(); }, mci::kOpenTimeLimitMs * 3));

    // The first type used up the time: the others are not sent the file, but the search for
    // the installed types still tells that a driver is there.
    EXPECT_EQ(OpensByType(*sim.log),
              (QStringList{"ActiveMovie: " + Open(movie), "ActiveMovie: open", "MPEGVideo: open"}));
    EXPECT_EQ(player->State(), PlayState::Closed);
    EXPECT_EQ(player->LastError(), mci::Error::DeviceNotReady);
    EXPECT_EQ(player->List().Current(), 0);
    EXPECT_TRUE(view.confirmations.isEmpty());
    ExpectConsistent();

    player->ItemButtonsClick(4);
    player->BitBtnPlayClick();
    EXPECT_EQ(player->State(), PlayState::Playing) << "the other entries play as usual";
    EXPECT_EQ(CurrentFile(), other);
}

TEST_F(PlayerTest, AFileNoTypeOpensStaysCurrentWithoutAMessageWhenADriverIsInstalled) {
    const QString movie = MakeMovie(QStringLiteral("a.mpg"), 30000);
    mci::SimulatedElement refused;
    refused.openError = mci::Error::InvalidFile;
    ScriptElement(movie, refused);
    AddMovies({movie});

    player->BitBtnPlayClick();

    EXPECT_EQ(player->State(), PlayState::Closed);
    EXPECT_EQ(player->List().Current(), 0);
    EXPECT_TRUE(view.confirmations.isEmpty());
    EXPECT_TRUE(view.errors.isEmpty());
    EXPECT_EQ(view.endProcessRequests, 0);
    ExpectConsistent();
}

class MissingDriverTest : public PlayerControllerTest {
protected:
    void SetUp() override {
        PlayerControllerTest::SetUp();
        AddType(QStringLiteral("CDAudio"), 0, 0);
        AddType(QStringLiteral("Broken")).script().openError = mci::Error::CannotLoadDriver;
        AddMovies({MakeMovie(QStringLiteral("a.mpg"), 30000)});
        view.catalog = QStringList{"Install the movie driver?", "unused", "Installer missing."};
        player->SetSetupRunner([this] {
            ++runnerCalls_;
            return runnerStarts_;
        });
    }

    int runnerCalls_ = 0;
    bool runnerStarts_ = true;
};

TEST_F(MissingDriverTest, NoAnswerEndsTheProcessWithoutTheInstaller) {
    view.answerYes = false;
    player->BitBtnPlayClick();
    EXPECT_EQ(view.confirmations, QStringList{"Install the movie driver?"});
    EXPECT_EQ(runnerCalls_, 0);
    EXPECT_TRUE(view.errors.isEmpty());
    EXPECT_EQ(view.endProcessRequests, 1);
    EXPECT_EQ(player->State(), PlayState::Closed);
}

TEST_F(MissingDriverTest, YesRunsTheInstallerAndEndsTheProcess) {
    view.answerYes = true;
    player->BitBtnPlayClick();
    EXPECT_EQ(runnerCalls_, 1);
    EXPECT_TRUE(view.errors.isEmpty());
    EXPECT_EQ(view.endProcessRequests, 1);
}

TEST_F(MissingDriverTest, AnInstallerThatCannotStartIsReportedBeforeTheEnd) {
    view.answerYes = true;
    runnerStarts_ = false;
    player->BitBtnPlayClick();
    EXPECT_EQ(view.events.filter(QStringLiteral(": ")),
              (QStringList{"Confirm: Install the movie driver?", "Error: Installer missing."}));
    EXPECT_EQ(Last(view.events), "EndProcessNow");
}

// ---------------------------------------------------------------------------------------------
// Missing movie files

TEST_F(PlayerTest, MissingFilesWithLoopAreSkippedAtMostCountMinusOneTimes) {
    view.loop = true;
    AddMovies({MissingMovie("a.mpg"), MissingMovie("b.mpg"), MissingMovie("c.mpg")});

    player->BitBtnPlayClick();

    EXPECT_EQ(player->List().Current(), 2) << "two skips, then the engine gives up";
    EXPECT_TRUE(view.errors.isEmpty());
    EXPECT_TRUE(AllCommands().isEmpty());
    EXPECT_EQ(player->State(), PlayState::Closed);
    EXPECT_EQ(view.page, MoviePage::Preview);

    // Giving up starts the count again: the next attempt also skips twice.
    player->BitBtnPlayClick();
    EXPECT_EQ(player->List().Current(), 1);
    ExpectConsistent();
}

TEST_F(PlayerTest, BreakOnErrorReportsTheFirstMissingFileAndSkipsNothing) {
    player->SetBreakOnError(true);
    view.loop = true;
    const QString missing = MissingMovie("a.mpg");
    AddMovies({missing, MissingMovie("b.mpg"), MissingMovie("c.mpg")});

    player->BitBtnPlayClick();

    EXPECT_EQ(view.errors, QStringList{"Can not find/play file \"" + missing + "\""});
    EXPECT_EQ(player->List().Current(), 0);
    EXPECT_EQ(player->State(), PlayState::Closed);
}

TEST_F(PlayerTest, TheMissingFileMessageUsesTheTranslatedHint) {
    player->SetBreakOnError(true);
    view.missingFileFormat = QStringLiteral("Datei \"%s\" fehlt");
    const QString missing = MissingMovie("a.mpg");
    AddMovies({missing});
    player->BitBtnPlayClick();
    EXPECT_EQ(view.errors, QStringList{"Datei \"" + missing + "\" fehlt"});
}

TEST_F(PlayerTest, AMissingFileBetweenTwoMoviesIsSkippedByTheAdvance) {
    const QString first = MakeMovie("a.mpg", 2000);
    const QString last = MakeMovie("c.mpg", 2000);
    AddMovies({first, MissingMovie("b.mpg"), last});
    player->BitBtnPlayClick();
    ClearLog();

    RunUntil(2000);

    EXPECT_EQ(player->List().Current(), 2);
    EXPECT_EQ(CurrentFile(), last);
    EXPECT_EQ(player->State(), PlayState::Playing);
    EXPECT_EQ(First(Transport()), "close");
    EXPECT_TRUE(Transport().contains(Open(last)));
    ExpectConsistent();
}

}  // namespace
}  // namespace cinevan::test
