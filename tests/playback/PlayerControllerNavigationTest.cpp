// List navigation and editing through the player: the current entry, Prior and Next with the
// loop rule, the random start entry, the refreshes of each edit, edits while a movie plays,
// and the command line with "/play" and Shuffle.

#include <gtest/gtest.h>

#include <set>

#include "tests/playback/PlayerControllerFixture.h"

namespace cinevan::test {
namespace {

// Whether `expected` occurs in `events` in this order, other events allowed in between.
bool InOrder(const QStringList& events, const QStringList& expected) {
    auto next = events.begin();
    for (const QString& wanted : expected) {
        next = std::find(next, events.end(), wanted);
        if (next == events.end()) {
            return false;
        }
        ++next;
    }
    return true;
}

class NavigationTest : public PlayerTest {
protected:
    void SetUp() override {
        PlayerTest::SetUp();
        for (const char* name : {"a.mpg", "b.mpg", "c.mpg", "d.mpg", "e.mpg"}) {
            movies_ << MakeMovie(QString::fromLatin1(name), 60000);
        }
        AddMovies(movies_);
        ClearLog();
    }

    QString FileAt(int index) const {
        return QFile::decodeName(player->List().GetMovieField(index, MovieList::kFileName));
    }

    QStringList movies_;
};

// ---------------------------------------------------------------------------------------------
// Going to an entry, Prior and Next

TEST_F(NavigationTest, GoToMovieClampsTheTarget) {
    player->GoToMovie(99);
    EXPECT_EQ(player->List().Current(), 4);
    player->GoToMovie(-7);
    EXPECT_EQ(player->List().Current(), 0);
    player->GoToMovie(2);
    EXPECT_EQ(player->List().Current(), 2);
}

TEST_F(NavigationTest, GoToMovieOnTheCurrentEntryDoesNothingExceptForEntryZero) {
    player->GoToMovie(2);
    player->BitBtnPlayClick();
    ClearLog();
    player->GoToMovie(2);
    EXPECT_TRUE(AllCommands().isEmpty());
    EXPECT_TRUE(view.events.isEmpty());

    player->GoToMovie(0);
    player->BitBtnPlayClick();
    ClearLog();
    player->GoToMovie(0);
    EXPECT_EQ(First(Transport()), "close");
    EXPECT_TRUE(Transport().contains(Open(movies_[0])));
    EXPECT_EQ(player->State(), PlayState::Playing) << "entry 0 is stopped and started again";
}

TEST_F(NavigationTest, GoToMovieWhilePlayingPlaysTheNewEntryWithoutLoadingItsCover) {
    player->BitBtnPlayClick();
    ClearLog();
    player->GoToMovie(3);
    EXPECT_EQ(First(Transport()), "close");
    EXPECT_TRUE(Transport().contains(Open(movies_[3])));
    EXPECT_EQ(player->State(), PlayState::Playing);
    EXPECT_TRUE(InOrder(view.events, {"LoadCoverPreview(cleared only)", "RefreshList(repaint)"}));
    EXPECT_FALSE(view.events.contains("RefreshList(rebuild)"));
    EXPECT_FALSE(player->NoCoverLoad());
}

TEST_F(NavigationTest, GoToMovieWhileClosedOnlyMovesAndShowsTheCover) {
    player->GoToMovie(3);
    EXPECT_TRUE(AllCommands().isEmpty());
    EXPECT_EQ(player->State(), PlayState::Closed);
    EXPECT_TRUE(
        InOrder(view.events, {"RefreshDisplay", "LoadCoverPreview", "RefreshList(repaint)"}));
    EXPECT_FALSE(view.events.contains("LoadCoverPreview(cleared only)"));
}

TEST_F(NavigationTest, PriorAndNextStopAtTheEndsWithoutLoop) {
    player->BitBtnSkipClick(-1);
    EXPECT_EQ(player->List().Current(), 0);
    player->BitBtnSkipClick(+1);
    EXPECT_EQ(player->List().Current(), 1);
    player->GoToMovie(4);
    player->BitBtnSkipClick(+1);
    EXPECT_EQ(player->List().Current(), 4);
    player->BitBtnSkipClick(-1);
    EXPECT_EQ(player->List().Current(), 3);
}

TEST_F(NavigationTest, PriorAndNextWrapWithLoop) {
    view.loop = true;
    player->BitBtnSkipClick(-1);
    EXPECT_EQ(player->List().Current(), 4);
    player->BitBtnSkipClick(+1);
    EXPECT_EQ(player->List().Current(), 0);
}

TEST_F(NavigationTest, NextWhilePlayingPlaysTheNextEntry) {
    player->BitBtnPlayClick();
    player->BitBtnSkipClick(+1);
    EXPECT_EQ(player->State(), PlayState::Playing);
    EXPECT_EQ(CurrentFile(), movies_[1]);
}

TEST_F(NavigationTest, TheAdvanceRunsInListOrderAndWrapsWithLoop) {
    view.loop = true;
    view.shuffle = true;  // Shuffle never changes the order of the advance
    player->GoToMovie(3);
    player->BitBtnPlayClick();
    RunUntil(60000);
    EXPECT_EQ(player->List().Current(), 4);
    RunUntil(120000);
    EXPECT_EQ(player->List().Current(), 0);
    EXPECT_EQ(player->State(), PlayState::Playing);
}

TEST_F(PlayerTest, RandomMovieCoversEveryIndexAndIsMinusOneForAnEmptyList) {
    EXPECT_EQ(player->RandomMovie(), -1);
    AddMovies({MakeMovie("a.mpg"), MakeMovie("b.mpg"), MakeMovie("c.mpg"), MakeMovie("d.mpg"),
               MakeMovie("e.mpg")});
    std::vector<int> hits(5, 0);
    constexpr int kDraws = 5000;
    for (int i = 0; i < kDraws; ++i) {
        const int index = player->RandomMovie();
        ASSERT_GE(index, 0);
        ASSERT_LT(index, 5);
        ++hits[index];
    }
    for (int count : hits) {
        EXPECT_GT(count, kDraws / 5 - 200);
        EXPECT_LT(count, kDraws / 5 + 200);
    }
}

// ---------------------------------------------------------------------------------------------
// Edits and their refreshes

TEST_F(NavigationTest, ClearMoviesStopsEmptiesAndRefreshes) {
    player->BitBtnPlayClick();
    ClearLog();
    player->ClearMovies();
    EXPECT_EQ(Transport(), QStringList{"close"});
    EXPECT_EQ(player->List().MovieCount(), 0);
    EXPECT_EQ(player->List().Current(), -1);
    EXPECT_EQ(view.events,
              (QStringList{"RefreshDisplay", "LoadCoverPreview", "ClearCoverPreview",
                           "RefreshDisplay", "LoadCoverPreview", "RefreshList(rebuild)"}));

    ClearLog();
    player->ClearMovies();
    EXPECT_TRUE(view.events.isEmpty()) << "clearing an empty list does nothing";
}

TEST_F(NavigationTest, DeletingTheCurrentEntryWhilePlayingStopsAndDoesNotPlayItsSuccessor) {
    player->GoToMovie(2);
    player->BitBtnPlayClick();
    ClearLog();
    player->DeleteMovie(2);
    EXPECT_EQ(Transport(), QStringList{"close"});
    EXPECT_EQ(player->State(), PlayState::Closed);
    EXPECT_EQ(player->List().Current(), 2);
    EXPECT_EQ(CurrentFile(), movies_[3]);
    EXPECT_EQ(view.events, (QStringList{"RefreshDisplay", "LoadCoverPreview", "RefreshDisplay",
                                        "LoadCoverPreview", "RefreshList(rebuild)"}));
}

TEST_F(NavigationTest, DeletingAnotherEntryKeepsPlayingAndFollowsTheCurrentEntry) {
    player->GoToMovie(2);
    player->BitBtnPlayClick();
    ClearLog();
    player->DeleteMovie(0);
    EXPECT_TRUE(AllCommands().isEmpty());
    EXPECT_EQ(player->State(), PlayState::Playing);
    EXPECT_EQ(player->List().Current(), 1);
    EXPECT_EQ(CurrentFile(), movies_[2]);
    EXPECT_EQ(view.events, (QStringList{"RefreshDisplay", "RefreshList(rebuild)"}));

    ClearLog();
    player->DeleteMovie(7);
    player->DeleteMovie(-1);
    EXPECT_TRUE(view.events.isEmpty());
}

TEST_F(NavigationTest, DeletingTheLastCurrentEntryMakesTheNewLastCurrent) {
    player->GoToMovie(4);
    player->DeleteMovie(4);
    EXPECT_EQ(player->List().Current(), 3);
    for (int i = 3; i >= 0; --i) {
        player->DeleteMovie(0);
    }
    EXPECT_EQ(player->List().Current(), -1);
}

TEST_F(NavigationTest, MovingPausesAPlayingMovieAndFollowsTheCurrentEntry) {
    player->GoToMovie(2);
    player->BitBtnPlayClick();
    ClearLog();

    EXPECT_EQ(player->MoveMovie(0, 3), 2);
    EXPECT_EQ(Transport(), QStringList{"pause"});
    EXPECT_EQ(player->State(), PlayState::Paused);
    EXPECT_EQ(player->List().Current(), 1);
    EXPECT_EQ(CurrentFile(), movies_[2]);
    EXPECT_EQ(FileAt(2), movies_[0]);
    EXPECT_EQ(view.events,
              (QStringList{"RefreshDisplay", "RefreshDisplay", "RefreshList(rebuild)"}));

    // Moving the current entry keeps it current at its new place.
    EXPECT_EQ(player->MoveMovie(1, 5), 4);
    EXPECT_EQ(player->List().Current(), 4);
    EXPECT_EQ(CurrentFile(), movies_[2]);
}

TEST_F(NavigationTest, AMoveThatChangesNothingReturnsTheIndexWithoutRefreshing) {
    player->BitBtnPlayClick();
    ClearLog();
    EXPECT_EQ(player->MoveMovie(2, 3), 2) << "before its own successor is no move";
    EXPECT_EQ(player->MoveMovie(2, 2), 2);
    EXPECT_TRUE(view.events.isEmpty());
    EXPECT_EQ(player->State(), PlayState::Playing);

    player->ClearMovies();
    AddMovies({movies_[0]});
    EXPECT_EQ(player->MoveMovie(0, 1), -1);
}

TEST_F(NavigationTest, CopyingAppendsWithoutTouchingPlayback) {
    player->GoToMovie(1);
    player->BitBtnPlayClick();
    ClearLog();
    EXPECT_EQ(player->CopyMovie(1), 5);
    EXPECT_EQ(FileAt(5), movies_[1]);
    EXPECT_EQ(player->List().Current(), 1);
    EXPECT_TRUE(AllCommands().isEmpty());
    EXPECT_EQ(view.events, (QStringList{"RefreshDisplay", "RefreshList(rebuild)"}));
    EXPECT_EQ(player->CopyMovie(6), -1);
    EXPECT_EQ(player->CopyMovie(-1), -1);
}

TEST_F(NavigationTest, EditsWhilePlayingNeverCommandAClosedDevice) {
    player->GoToMovie(2);
    player->BitBtnPlayClick();
    const std::vector<std::pair<const char*, std::function<void()>>> edits{
        {"delete before", [&] { player->DeleteMovie(0); }},
        {"copy", [&] { player->CopyMovie(0); }},
        {"move current", [&] { player->MoveMovie(player->List().Current(), 0); }},
        {"play", [&] { player->BitBtnPlayClick(); }},
        {"edit current", [&] { SetSelection(player->List().Current(), "0:00:05", ""); }},
        {"play", [&] { player->BitBtnPlayClick(); }},
        {"move other", [&] { player->MoveMovie(3, 1); }},
        {"delete current", [&] { player->DeleteMovie(player->List().Current()); }},
        {"play", [&] { player->BitBtnPlayClick(); }},
        {"delete last", [&] { player->DeleteMovie(player->List().MovieCount() - 1); }},
        {"tick", [&] { Tick(4); }},
        {"clear", [&] { player->ClearMovies(); }},
        {"play empty", [&] { player->BitBtnPlayClick(); }},
    };
    for (const auto& [name, edit] : edits) {
        SCOPED_TRACE(name);
        edit();
        ExpectConsistent();
    }
    EXPECT_EQ(player->State(), PlayState::Closed);
}

TEST_F(NavigationTest, DroppedFilesReplaceTheListAndPlayTheFirst) {
    player->BitBtnPlayClick();
    const QString dropped = MakeMovie("dropped.mpg", 60000);
    ClearLog();
    player->DropFilesOnMainWindow({QFile::encodeName(dropped), QByteArray()});
    EXPECT_EQ(player->List().MovieCount(), 1);
    EXPECT_EQ(CurrentFile(), dropped);
    EXPECT_EQ(player->State(), PlayState::Playing);
    EXPECT_TRUE(Transport().contains(Open(dropped)));
}

// ---------------------------------------------------------------------------------------------
// The command line

using CommandLineTest = PlayerTest;

TEST_F(CommandLineTest, PlayWithOneLoopedEntryAsksToCloseAtItsEnd) {
    view.loop = true;
    player->ProcessCommandLine({"/PLAY", MakeMovie("a.mpg", 2000)});
    EXPECT_TRUE(player->CloseAtEnd());
    EXPECT_EQ(player->State(), PlayState::Playing);
    RunUntil(1500);
    EXPECT_EQ(view.closeRequests, 0);
    RunUntil(2000);
    EXPECT_EQ(view.closeRequests, 1);
}

TEST_F(CommandLineTest, PlayWithoutLoopStopsAtTheEndAndStaysOpen) {
    player->ProcessCommandLine({"/play", MakeMovie("a.mpg", 2000)});
    RunUntil(4000);
    EXPECT_EQ(view.closeRequests, 0);
    EXPECT_EQ(player->State(), PlayState::Closed);
}

TEST_F(CommandLineTest, TheAdvanceToASecondEntryClearsThePlayMode) {
    view.loop = true;
    player->ProcessCommandLine({"/play", MakeMovie("a.mpg", 2000), MakeMovie("b.mpg", 2000)});
    RunUntil(2000);
    EXPECT_EQ(player->List().Current(), 1);
    EXPECT_FALSE(player->CloseAtEnd());
    RunUntil(4000);
    EXPECT_EQ(player->List().Current(), 0);
    EXPECT_EQ(view.closeRequests, 0);
}

TEST_F(CommandLineTest, PauseClearsThePlayMode) {
    view.loop = true;
    player->ProcessCommandLine({"/play", MakeMovie("a.mpg", 2000)});
    player->BitBtnPauseClick();
    player->BitBtnPlayClick();
    RunUntil(3000);
    EXPECT_EQ(view.closeRequests, 0);
}

TEST_F(CommandLineTest, OnlyTheFirstPlaySwitchCountsTheSecondIsAMissingFile) {
    player->ProcessCommandLine({"/play", "/play"});
    EXPECT_TRUE(player->CloseAtEnd());
    ASSERT_EQ(player->List().MovieCount(), 1);
    EXPECT_EQ(player->List().GetMovieField(0, MovieList::kFileName), "/play");
    EXPECT_EQ(player->State(), PlayState::Closed);
    EXPECT_TRUE(AllCommands().isEmpty());
}

TEST_F(CommandLineTest, ArgumentsWithoutTheSwitchPlayTheFirstInOrder) {
    const QString a = MakeMovie("a.mpg", 2000);
    const QString b = MakeMovie("b.mpg", 2000);
    player->ProcessCommandLine({a, b});
    EXPECT_FALSE(player->CloseAtEnd());
    EXPECT_EQ(CurrentFile(), a);
    EXPECT_EQ(player->List().MovieCount(), 2);
    EXPECT_EQ(player->State(), PlayState::Playing);
    EXPECT_FALSE(player->NoCoverLoad());
}

TEST_F(CommandLineTest, ShuffleStartsAtARandomEntryAndKeepsTheOrder) {
    QStringList arguments{"/play"};
    for (const char* name : {"a.mpg", "b.mpg", "c.mpg", "d.mpg", "e.mpg"}) {
        arguments << MakeMovie(QString::fromLatin1(name), 60000);
    }
    std::set<int> starts;
    for (int run = 0; run < 40; ++run) {
        FakeView runView;
        runView.shuffle = true;
        PlayerController runPlayer(runView, layer);
        runView.Attach(runPlayer);
        runPlayer.SetDeviceName(QStringLiteral("ActiveMovie"));
        sim.log->clear();

        runPlayer.ProcessCommandLine(arguments);

        const MovieList& list = runPlayer.List();
        ASSERT_EQ(list.MovieCount(), 5);
        for (int i = 0; i < 5; ++i) {
            EXPECT_EQ(QFile::decodeName(list.GetMovieField(i, MovieList::kFileName)),
                      arguments[i + 1]);
        }
        const QString started =
            QFile::decodeName(list.GetMovieField(list.Current(), MovieList::kFileName));
        EXPECT_EQ(Transport().filter(QStringLiteral("open ")), QStringList{Open(started)});
        EXPECT_EQ(runPlayer.State(), PlayState::Playing);
        EXPECT_FALSE(runPlayer.CloseAtEnd()) << "going to the start entry stops, which clears it";
        starts.insert(list.Current());
    }
    EXPECT_GE(starts.size(), 2u) << "the start entry is not always the same";
}

}  // namespace
}  // namespace cinevan::test
