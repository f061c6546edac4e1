#include <gtest/gtest.h>

#include <QAction>
#include <QCheckBox>
#include <QDBusObjectPath>
#include <QPushButton>
#include <QSignalSpy>
#include <QSlider>
#include <QStackedWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include "desktop/Mpris.h"
#include "desktop/PlayerRemote.h"
#include "playback/mci/simulated/SimulatedDevice.h"
#include "tests/support/SimulatedWindows.h"
#include "ui/Main.h"

namespace cinevan {
namespace {

using Status = PlayerRemote::Status;

// The desktop's commands on the main window with simulated ten-minute movies.
class PlayerRemoteTest : public test::SimulatedWindowsTest {
protected:
    void SetUp() override {
        CreateMain().show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(main_.get()));
        // The window keeps its check boxes across runs; these tests begin without Loop.
        main_->CheckBoxLoop->setChecked(false);
        remote_ = std::make_unique<PlayerRemote>(*main_);
    }

    int Opens() const {
        return static_cast<int>(sim_.log->commands().filter(QRegularExpression("^open")).size());
    }

    std::unique_ptr<PlayerRemote> remote_;
};

TEST_F(PlayerRemoteTest, CommandsDoWhatTheirButtonsDoAndNothingWhereTheButtonIsDisabled) {
    Player().ProcessCommandLine({Movie("a.mpg"), Movie("b.mpg"), "/play"});
    ASSERT_EQ(remote_->PlaybackStatus(), Status::Playing);
    ASSERT_TRUE(Player().CloseAtEnd());

    const int opens = Opens();
    remote_->Play();
    EXPECT_EQ(Opens(), opens) << "Play while playing does not open the movie again";
    remote_->Previous();
    EXPECT_EQ(remote_->CurrentIndex(), 0) << "no Prior at the first entry without Loop";
    EXPECT_FALSE(remote_->CanGoPrevious());
    EXPECT_TRUE(remote_->CanGoNext());

    remote_->Pause();
    EXPECT_EQ(remote_->PlaybackStatus(), Status::Paused);
    EXPECT_FALSE(Player().CloseAtEnd()) << "as the Pause button, it clears /play";
    remote_->PlayPause();
    EXPECT_EQ(remote_->PlaybackStatus(), Status::Playing);

    remote_->Next();
    EXPECT_EQ(remote_->CurrentIndex(), 1);
    EXPECT_EQ(remote_->PlaybackStatus(), Status::Playing);
    EXPECT_FALSE(remote_->CanGoNext());
    remote_->Next();
    EXPECT_EQ(remote_->CurrentIndex(), 1) << "no Next at the last entry without Loop";

    remote_->Stop();
    EXPECT_EQ(remote_->PlaybackStatus(), Status::Stopped);
    EXPECT_EQ(main_->PageControl->currentWidget(), main_->TabSheetPreview);
    remote_->Stop();
    EXPECT_EQ(remote_->PlaybackStatus(), Status::Stopped);
    remote_->Pause();
    EXPECT_EQ(remote_->PlaybackStatus(), Status::Stopped) << "nothing to pause";
    main_->CheckBoxLoop->setChecked(true);
    EXPECT_TRUE(remote_->CanGoNext()) << "Loop opens the way past the end";
}

TEST_F(PlayerRemoteTest, TheTrackIsTheEntrysSelection) {
    QFile list(folder_.path() + "/l.mls");
    ASSERT_TRUE(list.open(QIODevice::WriteOnly));
    list.write(QFile::encodeName(Movie("a.mpg")) + ",\"The Title\",cover.png,0:01:00,0:03:00\r\n");
    list.close();
    Player().ProcessCommandLine({list.fileName()});
    ASSERT_EQ(remote_->PlaybackStatus(), Status::Playing);
    EXPECT_EQ(remote_->SelectionLengthMs(), 120000);
    EXPECT_EQ(remote_->Title(), "The Title");

    MprisService mpris(*remote_);
    const QVariantMap metadata = mpris.Metadata();
    EXPECT_EQ(metadata.value("mpris:trackid").value<QDBusObjectPath>().path(),
              "/com/vantrel/Cinevan/Entry/0");
    EXPECT_EQ(metadata.value("xesam:title").toString(), "The Title");
    EXPECT_EQ(metadata.value("mpris:length").toLongLong(), 120000000);
    EXPECT_EQ(metadata.value("mpris:artUrl").toString(), "file://" + folder_.path() + "/cover.png");
    EXPECT_EQ(mpris.PlaybackStatus(), "Playing");

    Player().SetCloseAtEnd(true);
    remote_->SeekTo(30000);
    EXPECT_EQ(main_->TrackBar->value(), 30);
    EXPECT_EQ(remote_->PlaybackStatus(), Status::Playing);
    EXPECT_NEAR(remote_->PositionMs(), 30000, 1000);
    EXPECT_FALSE(Player().CloseAtEnd()) << "as a move of the track bar, it clears /play";
    remote_->SeekTo(10 * 60 * 1000);
    EXPECT_EQ(remote_->PlaybackStatus(), Status::Stopped)
        << "beyond the selection's end: the end of the list";

    EXPECT_EQ(remote_->SelectionLengthMs(), -1);
    EXPECT_FALSE(remote_->CanSeek());
    EXPECT_EQ(remote_->PositionMs(), 0);
    EXPECT_FALSE(mpris.Metadata().contains("mpris:length"));
}

TEST_F(PlayerRemoteTest, EveryRefreshIsAnnouncedAndAnEmptyListHasNoTrack) {
    QSignalSpy changed(remote_.get(), &PlayerRemote::Changed);
    Player().ProcessCommandLine({Movie("a.mpg")});
    EXPECT_GT(changed.count(), 0);
    changed.clear();
    remote_->Pause();
    EXPECT_GT(changed.count(), 0);

    Player().ClearMovies();
    MprisService mpris(*remote_);
    EXPECT_EQ(mpris.Metadata().value("mpris:trackid").value<QDBusObjectPath>().path(),
              "/org/mpris/MediaPlayer2/TrackList/NoTrack");
    EXPECT_EQ(mpris.Metadata().size(), 1);
    EXPECT_FALSE(remote_->CanPlay());
}

}  // namespace
}  // namespace cinevan
