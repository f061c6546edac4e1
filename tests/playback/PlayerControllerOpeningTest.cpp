// Opens that answer later: what the player does while a movie is opening, and how Stop, other
// entries, another device type, clearing the list and closing abandon the open and ignore its
// late answer.

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QTest>
#include <QTimer>

#include "tests/playback/PlayerControllerFixture.h"
#include "tests/support/HangingShare.h"

namespace cinevan::test {
namespace {

using mci::SimulatedLog;

class OpeningTest : public PlayerTest {
protected:
    void SetUp() override {
        PlayerTest::SetUp();
        mci::SimulatedElement later;
        later.answersLater = true;
        slow_ = MakeMovie(QStringLiteral("slow.mpg"), later);
        quick_ = MakeMovie(QStringLiteral("quick.mpg"), 30000);
    }

    // The held opens answer, and the answers come through the event loop.
    void AnswerOpens() {
        sim.log->answerHeldOpens();
        QCoreApplication::processEvents();
    }
    // Answers already posted are delivered.
    static void RunEventLoop() { QCoreApplication::processEvents(); }
    // Answers held opens until the player has stopped opening.
    void AnswerUntilDone() {
        for (int answers = 0; answers < 10 && player->Opening(); ++answers) {
            ExpectOpening();
            AnswerOpens();
        }
    }
    // The opens the devices received, each as "type: open file".
    QStringList Opens() const {
        QStringList opens;
        for (const auto& entry : sim.log->entries()) {
            if (entry.text.startsWith(QStringLiteral("open"))) {
                opens << entry.type + QStringLiteral(": ") + entry.text;
            }
        }
        return opens;
    }

    void ExpectOpening() {
        EXPECT_TRUE(player->Opening());
        EXPECT_EQ(player->State(), PlayState::Closed) << "the stored states keep their meaning";
        EXPECT_FALSE(player->MovieOpen());
        EXPECT_TRUE(player->StopEnabled());
        EXPECT_FALSE(player->PlayEnabled());
        EXPECT_FALSE(player->PauseEnabled());
        EXPECT_EQ(layer.openingCount(), 1u);
    }
    // Nothing of the abandoned open is left: no device waits, none is open, none answers.
    void ExpectAbandoned() {
        EXPECT_FALSE(player->Opening());
        EXPECT_EQ(layer.openingCount(), 0u);
        EXPECT_EQ(sim.log->heldOpenCount(), 0u) << "the waiting device was let go";
    }

    QString slow_;
    QString quick_;
};

TEST_F(OpeningTest, PlayReturnsWhileTheOpenWaitsAndPlaysWhenItAnswers) {
    AddMovies({slow_, quick_});
    player->BitBtnPlayClick();
    ExpectOpening();
    EXPECT_TRUE(view.events.contains(QStringLiteral("RefreshDisplay")))
        << "the windows show the player opening";
    player->ActiveMovieTimer();  // the position timer has nothing to poll meanwhile
    EXPECT_EQ(Transport(), QStringList{Open(slow_)});

    player->BitBtnPlayClick();
    player->ItemButtonsClick(1);
    EXPECT_EQ(layer.openingCount(), 1u) << "Play while opening starts no second open";

    AnswerOpens();
    EXPECT_FALSE(player->Opening());
    EXPECT_EQ(player->State(), PlayState::Playing);
    EXPECT_EQ(Last(Transport()), QStringLiteral("play 0 60000"));
    EXPECT_EQ(player->List().Current(), 0);
    ExpectConsistent();
}

TEST_F(OpeningTest, StopAbandonsTheOpenAndItsAnswerOnTheWayIsIgnored) {
    AddMovies({slow_, quick_});
    player->BitBtnPlayClick();
    ExpectOpening();

    sim.log->answerHeldOpens();   // the answer is posted, not yet delivered
    player->ItemButtonsClick(2);  // Stop
    ExpectAbandoned();
    RunEventLoop();

    EXPECT_EQ(player->State(), PlayState::Closed);
    EXPECT_EQ(Transport(), (QStringList{Open(slow_), "close"}))
        << "the device that opened too late is closed, never played";
    EXPECT_EQ(view.page, MoviePage::Preview);
    EXPECT_FALSE(player->StopEnabled());
    EXPECT_TRUE(player->PlayEnabled());
    ExpectConsistent();
}

TEST_F(OpeningTest, NextDuringAnOpenOpensTheNextEntryAndTheLateAnswerIsIgnored) {
    AddMovies({slow_, quick_});
    player->BitBtnPlayClick();
    ExpectOpening();
    EXPECT_TRUE(player->NextEnabled());

    sim.log->answerHeldOpens();
    player->ItemButtonsClick(4);  // Next
    RunEventLoop();

    EXPECT_FALSE(player->Opening());
    EXPECT_EQ(player->List().Current(), 1);
    EXPECT_EQ(CurrentFile(), quick_);
    EXPECT_EQ(player->State(), PlayState::Playing) << "the entry that was opening was to play";
    EXPECT_EQ(Last(Transport()), QStringLiteral("play 0 30000"));
    EXPECT_EQ(layer.openCount(), 1u) << "only the new entry's device is open";
    ExpectConsistent();
}

TEST_F(OpeningTest, PriorAndGoingToAnEntryAbandonTheOpenToo) {
    AddMovies({quick_, slow_});
    player->GoToMovie(1);
    player->BitBtnPlayClick();
    ExpectOpening();

    player->ItemButtonsClick(3);  // Prior
    EXPECT_EQ(player->List().Current(), 0);
    EXPECT_EQ(player->State(), PlayState::Playing);

    player->GoToMovie(1);
    ExpectOpening();
    player->GoToMovie(0);
    EXPECT_EQ(player->State(), PlayState::Playing);
    EXPECT_EQ(sim.log->heldOpenCount(), 0u);
    AnswerOpens();
    EXPECT_EQ(CurrentFile(), quick_);
    ExpectConsistent();
}

TEST_F(OpeningTest, ClearingTheListOrDeletingTheEntryAbandonsTheOpen) {
    AddMovies({slow_, quick_});
    player->BitBtnPlayClick();
    player->DeleteMovie(0);
    ExpectAbandoned();
    EXPECT_EQ(CurrentFile(), quick_);
    EXPECT_EQ(player->State(), PlayState::Closed) << "deleting does not play the successor";

    AddMovies({slow_});
    player->GoToMovie(1);
    player->BitBtnPlayClick();
    ExpectOpening();
    player->ClearMovies();
    ExpectAbandoned();
    AnswerOpens();
    EXPECT_EQ(player->State(), PlayState::Closed);
    ExpectConsistent();
}

TEST_F(OpeningTest, EditingTheListWhileOpeningLeavesTheOpenAlone) {
    AddMovies({slow_, quick_});
    player->BitBtnPlayClick();
    player->MoveMovie(0, 1);
    player->BitBtnPauseClick();
    EXPECT_TRUE(player->Opening()) << "pause has nothing to hold yet";

    AnswerOpens();
    EXPECT_EQ(player->State(), PlayState::Playing);
    EXPECT_EQ(CurrentFile(), slow_) << "the entry followed its move and plays";
    ExpectConsistent();
}

// The entry being opened gets another file name (and selection) before the device answers:
// the old file's open is given up and the new file opens, with the selection the list now
// gives. (The look for a file on a share that does not answer: HangingShareTest.)
TEST_F(OpeningTest, ANewFileNameForTheEntryBeingOpenedOpensTheNewFile) {
    mci::SimulatedElement later;
    later.answersLater = true;
    later.lengthMs = 120000;
    const QString renamed = MakeMovie(QStringLiteral("renamed.mpg"), later);
    AddMovies({slow_, quick_});
    player->BitBtnPlayClick();
    ASSERT_EQ(sim.log->heldOpenCount(), 1u);
    ExpectOpening();
    player->List().SetMovieField(0, MovieList::kFileName, QFile::encodeName(renamed));
    player->List().SetMovieField(0, MovieList::kStart, "0:00:10");
    player->List().SetMovieField(0, MovieList::kStop, "0:00:20");
    EXPECT_TRUE(player->Opening());
    AnswerUntilDone();

    EXPECT_EQ(player->State(), PlayState::Playing);
    EXPECT_EQ(CurrentFile(), renamed);
    EXPECT_EQ(Opens(),
              (QStringList{"ActiveMovie: " + Open(slow_), "ActiveMovie: " + Open(renamed)}));
    EXPECT_EQ(Last(Transport()).toStdString(), "play 10000 20000");
    EXPECT_EQ(layer.openCount(), 1u) << "the old file's device was let go";
    EXPECT_EQ(sim.log->heldOpenCount(), 0u);
    ExpectConsistent();
}

TEST_F(OpeningTest, ChoosingAnotherDeviceWhileOpeningOpensTheEntryOnIt) {
    AddMovies({slow_});
    player->MenuItemUpdateDeviceClick();
    player->BitBtnPlayClick();
    ExpectOpening();
    ClearLog();

    player->MenuItemDeviceClick(1);  // MPEGVideo
    ExpectOpening();
    EXPECT_EQ(Opens(), QStringList{"MPEGVideo: " + Open(slow_)});
    AnswerOpens();
    EXPECT_EQ(player->State(), PlayState::Playing);
    EXPECT_EQ(player->DeviceName(), QStringLiteral("MPEGVideo"));
    ExpectConsistent();
}

TEST_F(OpeningTest, TheFallbackWalksTheTypesInOrderAsEachAnswers) {
    mci::SimulatedElement refused;
    refused.answersLater = true;
    refused.openError = mci::Error::InvalidFile;
    activeMovie->script().elements.insert(slow_, refused);
    mpegVideo->script().elements.insert(slow_, refused);
    mci::SimulatedElement accepted;
    accepted.answersLater = true;
    AddType(QStringLiteral("DirectShow")).script().elements.insert(slow_, accepted);
    AddMovies({slow_});
    player->MenuItemUpdateDeviceClick();
    sim.log->clear();

    player->BitBtnPlayClick();
    AnswerUntilDone();
    EXPECT_EQ(player->State(), PlayState::Playing);
    EXPECT_EQ(player->DeviceName(), QStringLiteral("DirectShow"));
    EXPECT_EQ(Opens(), (QStringList{"ActiveMovie: " + Open(slow_), "ActiveMovie: " + Open(slow_),
                                    "MPEGVideo: " + Open(slow_), "ActiveMovie: " + Open(slow_),
                                    "MPEGVideo: " + Open(slow_), "DirectShow: " + Open(slow_)}));
    ExpectConsistent();
}

TEST_F(OpeningTest, AnEntryNoTypeOpensEndsTheOpenAndStaysCurrent) {
    mci::SimulatedElement refused;
    refused.answersLater = true;
    refused.openError = mci::Error::InvalidFile;
    ScriptElement(slow_, refused);
    AddMovies({slow_, quick_});

    player->BitBtnPlayClick();
    AnswerUntilDone();
    EXPECT_FALSE(player->Opening());
    EXPECT_EQ(player->State(), PlayState::Closed);
    EXPECT_EQ(player->LastError(), mci::Error::InvalidFile);
    EXPECT_EQ(player->List().Current(), 0);
    EXPECT_TRUE(view.confirmations.isEmpty()) << "a driver is installed";
    EXPECT_TRUE(player->PlayEnabled());
    EXPECT_EQ(view.events.back(), QStringLiteral("RefreshDisplay"))
        << "the windows leave the opening look";
    ExpectConsistent();
}

TEST_F(OpeningTest, DestroyingThePlayerWhileOpeningLetsTheDeviceGo) {
    AddMovies({slow_});
    player->BitBtnPlayClick();
    ExpectOpening();
    sim.log->answerHeldOpens();
    player.reset();

    EXPECT_EQ(layer.openingCount(), 0u);
    RunEventLoop();
    EXPECT_EQ(layer.openCount(), 0u) << "the answer on its way opened nothing";
}

// A share that stops answering: the look for the file waits in the background.
class HangingShareTest : public PlayerTest {
protected:
    void SetUp() override {
        PlayerTest::SetUp();
        if (!share_.mounted()) {
            GTEST_SKIP() << "FUSE cannot be mounted here";
        }
        quick_ = MakeMovie(QStringLiteral("quick.mpg"), 30000);
        // Named through the entry's field: adding the name itself would look at the share.
        AddMovies({quick_, quick_});
        player->List().SetMovieField(0, MovieList::kFileName, QFile::encodeName(gone()));
    }
    QString gone() const { return share_.path(QStringLiteral("gone.mpg")); }
    // Runs the event loop until the player has stopped opening; counts the timer's ticks.
    int TicksWhileOpening() {
        int ticks = 0;
        QTimer timer;
        // Only ticks that come while the open waits count: an event loop held up by the
        // open would deliver them afterwards.
        QObject::connect(&timer, &QTimer::timeout, [&] { ticks += player->Opening() ? 1 : 0; });
        timer.start(100);
        EXPECT_TRUE(QTest::qWaitFor([&] { return !player->Opening(); }, 4 * mci::kOpenTimeLimitMs));
        return ticks;
    }

    HangingShare share_;
    QString quick_;
};

TEST_F(HangingShareTest, AFileThatDoesNotAnswerIsSkippedWhileTheEventLoopRuns) {
    player->BitBtnPlayClick();
    EXPECT_TRUE(player->Opening());
    EXPECT_TRUE(player->StopEnabled());
    EXPECT_GT(TicksWhileOpening(), 2) << "the event loop ran while the share did not answer";
    EXPECT_EQ(player->List().Current(), 1) << "the list goes on as for a missing file";
    EXPECT_EQ(player->State(), PlayState::Playing);
    EXPECT_EQ(CurrentFile(), quick_);
}

TEST_F(HangingShareTest, ANewFileNameWhileTheOldOneIsLookedUpOpensTheNewFile) {
    const QString renamed = MakeMovie(QStringLiteral("renamed.mpg"), 60000);
    player->BitBtnPlayClick();
    ASSERT_TRUE(player->Opening());
    player->List().SetMovieField(0, MovieList::kFileName, QFile::encodeName(renamed));
    EXPECT_GT(TicksWhileOpening(), 2);
    EXPECT_EQ(player->List().Current(), 0) << "the entry is not skipped as missing";
    EXPECT_EQ(player->State(), PlayState::Playing);
    EXPECT_EQ(Last(Transport()).toStdString(), "play 0 60000");
    EXPECT_TRUE(view.errors.isEmpty());
    ExpectConsistent();
}

TEST_F(HangingShareTest, WithBreakOnErrorTheFileIsReportedMissing) {
    player->SetBreakOnError(true);
    player->BitBtnPlayClick();
    TicksWhileOpening();
    ASSERT_EQ(view.errors.size(), 1);
    EXPECT_TRUE(view.errors.front().contains(gone()));
    EXPECT_EQ(player->List().Current(), 0);
    EXPECT_EQ(player->State(), PlayState::Closed);
}

TEST_F(HangingShareTest, StopEndsTheLookAndItsLateAnswerChangesNothing) {
    player->BitBtnPlayClick();
    player->BitBtnStopClick();
    EXPECT_FALSE(player->Opening());
    QTest::qWait(mci::kOpenTimeLimitMs + 500);
    EXPECT_EQ(player->List().Current(), 0) << "the abandoned look skips nothing";
    EXPECT_TRUE(view.errors.isEmpty());
    EXPECT_EQ(player->State(), PlayState::Closed);
}

}  // namespace
}  // namespace cinevan::test
