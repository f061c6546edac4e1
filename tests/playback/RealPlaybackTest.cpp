#include <gtest/gtest.h>
#include <optional>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include "platform/BoundedCall.h"
#include "playback/PlayerController.h"
#include "playback/mci/InstalledDevices.h"
#include "tests/playback/FakeView.h"
#include "tests/playback/mci/FakeVideoCd.h"
#include "tests/support/HangingShare.h"
#include "tests/support/LoopGapMeter.h"
#include "tests/support/MediaFixtures.h"

namespace cinevan {
namespace {

// A movie list played by the installed engines in real time, with the 500 ms position timer
// of the main window: the list runs through to its end by itself.
TEST(RealPlayback, ATwoEntryListPlaysThroughAdvancesAndStopsAtTheEnd) {
    QTemporaryDir folder;
    const QString list = folder.path() + "/two.mls";
    {
        QFile file(list);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("\"" + QFile::encodeName(test::mediaFixture("clip-mpeg1.mpg")) + "\"\r\n");
        file.write("\"" + QFile::encodeName(test::mediaFixture("clip-mpeg2.mpg")) +
                   "\",Second,,0:00:01,0:00:03\r\n");
    }
    const auto devices = mci::makeInstalledDeviceLayer();
    test::FakeView view;
    PlayerController player(view, *devices);
    view.Attach(player);
    player.SetDeviceName(QStringLiteral("ActiveMovie"));

    QTimer timer;
    timer.setInterval(500);
    QObject::connect(&timer, &QTimer::timeout, [&] { player.ActiveMovieTimer(); });
    timer.start();

    player.ProcessCommandLine({list});
    EXPECT_TRUE(player.Opening()) << "the engine opens the movie while the event loop runs";
    ASSERT_TRUE(QTest::qWaitFor([&] { return player.State() == PlayState::Playing; }, 10000));
    EXPECT_EQ(player.DeviceName(), "ActiveMovie") << "the first choice of device type opens it";
    EXPECT_EQ(player.List().Current(), 0);
    EXPECT_EQ(player.VideoSize(), QSize(352, 288));

    QElapsedTimer clock;
    clock.start();
    ASSERT_TRUE(QTest::qWaitFor([&] { return player.List().Current() == 1; }, 12000))
        << "the end of the first movie advances to the second";
    const qint64 firstEnded = clock.elapsed();
    EXPECT_GT(firstEnded, 4500) << "the first movie plays to its end (6 s)";
    EXPECT_TRUE(QTest::qWaitFor([&] { return !player.Opening(); }, 10000));
    EXPECT_EQ(player.State(), PlayState::Playing);
    EXPECT_EQ(view.trackMaximum, 2) << "the selection runs 1 s to 3 s";

    ASSERT_TRUE(QTest::qWaitFor([&] { return player.State() == PlayState::Closed; }, 8000))
        << "the last entry's end stops playback";
    const qint64 secondLasted = clock.elapsed() - firstEnded;
    EXPECT_GT(secondLasted, 1500) << "the selection plays two seconds";
    EXPECT_LT(secondLasted, 4500) << "and stops at its stop, not at the movie's end";
    EXPECT_EQ(player.List().Current(), 1) << "the last entry stays current";
    EXPECT_EQ(devices->openCount(), 0u) << "the device is closed";
}

// The installed engines behind a player, with the main window's 500 ms position timer.
class RealPlayer : public ::testing::TestWithParam<const char*> {
protected:
    void SetUp() override {
        player_ = std::make_unique<PlayerController>(view_, *devices_);
        view_.Attach(*player_);
        player_->SetDeviceName(QString::fromLatin1(GetParam()));
        timer_.setInterval(500);
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            if (player_) {
                player_->ActiveMovieTimer();
            }
        });
        timer_.start();
    }

    // Writes a movie list of `lines` and plays it as the command line would.
    void PlayList(const QByteArrayList& lines) {
        const QString list = folder_.path() + "/list.mls";
        QFile file(list);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(lines.join("\r\n") + "\r\n");
        file.close();
        player_->ProcessCommandLine({list});
    }
    // Runs the event loop until the player has stopped opening.
    bool WaitUntilOpened() {
        return QTest::qWaitFor([this] { return !player_->Opening(); }, 3 * mci::kOpenTimeLimitMs);
    }
    // The same, counting the ticks of a 100 ms timer meanwhile.
    int TicksUntilOpened() {
        int ticks = 0;
        QTimer ticker;
        // Only ticks that come while the open waits count: an event loop held up by the
        // open would deliver them afterwards.
        QObject::connect(&ticker, &QTimer::timeout,
                         [this, &ticks] { ticks += player_->Opening() ? 1 : 0; });
        ticker.start(100);
        EXPECT_TRUE(WaitUntilOpened());
        return ticks;
    }
    static QByteArray Entry(const QString& path, const QByteArray& start = {}) {
        return "\"" + QFile::encodeName(path) + "\",," + (start.isEmpty() ? "" : "," + start);
    }

    QTemporaryDir folder_;
    std::unique_ptr<mci::DeviceLayer> devices_ = mci::makeInstalledDeviceLayer();
    test::FakeView view_;
    std::unique_ptr<PlayerController> player_;
    QTimer timer_;
};

TEST_P(RealPlayer, EveryEntryEndsWhateverMadeItsStreams) {
    // Multiplexed by mjpegtools and by ffmpeg, Video CD and Super Video CD, with sound shorter
    // and longer than the pictures and time stamps that start late; each entry plays its last
    // two or three seconds.
    const QByteArrayList entries = {
        Entry(test::mediaFixture("mplex-vcd.mpg"), "0:00:06"),
        Entry(test::mediaFixture("mplex-svcd.mpg")),
        Entry(test::mediaFixture("ff-vcd-long-sound.mpg"), "0:00:02"),
        Entry(test::mediaFixture("ff-svcd-short-sound.mpg"), "0:00:02"),
        Entry(test::mediaFixture("ff-late-start.mpg"), "0:00:02"),
        Entry(test::mediaFixture("mplex-vcd-short-sound.mpg"), "0:00:03"),
    };
    PlayList(entries);
    for (int entry = 0; entry < entries.size(); ++entry) {
        SCOPED_TRACE(entry);
        ASSERT_TRUE(QTest::qWaitFor(
            [&] { return player_->List().Current() >= entry && !player_->Opening(); }, 15000));
        EXPECT_EQ(player_->List().Current(), entry) << "no entry is skipped";
        EXPECT_EQ(player_->State(), PlayState::Playing);
        EXPECT_EQ(player_->DeviceName(), GetParam()) << "the chosen device plays every entry";
    }
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return player_->State() == PlayState::Closed && !player_->Opening(); }, 15000))
        << "the last entry ends too";
    EXPECT_EQ(player_->List().Current(), entries.size() - 1);
}

TEST_P(RealPlayer, AStalledDiscNeitherHoldsUpTheWindowNorTheOtherEntries) {
    const test::FakeVideoCd disc;
    PlayList({Entry(disc.file("MPEGAV/AVSEQ01.DAT")), Entry(test::mediaFixture("clip-mpeg1.mpg"))});
    ASSERT_TRUE(WaitUntilOpened());
    ASSERT_EQ(player_->State(), PlayState::Playing) << "the disc plays while it answers";
    player_->BitBtnStopClick();

    std::optional<test::StalledDrive> stalled(std::in_place, 0);
    player_->BitBtnPlayClick();
    EXPECT_TRUE(player_->Opening());
    EXPECT_GT(TicksUntilOpened(), 2) << "the event loop runs while the drive does not answer";
    EXPECT_EQ(player_->State(), PlayState::Closed) << "the stalled track is a failed open";
    EXPECT_EQ(player_->LastError(), mci::Error::DeviceNotReady);
    EXPECT_EQ(player_->List().Current(), 0);

    player_->ItemButtonsClick(4);  // Next
    player_->BitBtnPlayClick();
    ASSERT_TRUE(WaitUntilOpened());
    EXPECT_EQ(player_->State(), PlayState::Playing) << "another entry plays meanwhile";
    player_->ItemButtonsClick(2);  // Stop
    EXPECT_EQ(player_->State(), PlayState::Closed);

    player_->GoToMovie(0);
    player_->BitBtnPlayClick();
    ASSERT_TRUE(QTest::qWaitFor([&] { return devices_->openingCount() > 0; }, 5000))
        << "the engine is waiting for the drive";
    player_->ItemButtonsClick(2);  // Stop while the engine waits
    EXPECT_FALSE(player_->Opening());
    EXPECT_EQ(devices_->openingCount(), 0u) << "the waiting device is let go at once";

    player_->ItemButtonsClick(4);  // Next: the real file plays
    player_->BitBtnPlayClick();
    ASSERT_TRUE(WaitUntilOpened());
    EXPECT_EQ(player_->State(), PlayState::Playing);

    player_->GoToMovie(0);
    player_->BitBtnPlayClick();
    ASSERT_TRUE(QTest::qWaitFor([&] { return devices_->openingCount() > 0; }, 5000));
    player_.reset();  // the program closes while the drive is stuck
    devices_.reset();

    stalled.reset();
    EXPECT_TRUE(QTest::qWaitFor([] { return boundedWorkRunning == 0; }, 20000))
        << "the work left on the stuck drive ends once the drive answers again";
}

TEST_P(RealPlayer, ADiscThatStopsAnsweringWhilePlayingEndsItsEntryWithoutHoldingTheWindow) {
    if (QLatin1String(GetParam()) != QLatin1String("MPEGVideo")) {
        GTEST_SKIP() << "closing a libmpv device still waits up to 500 ms for a stuck reader";
    }
    const test::FakeVideoCd disc;
    PlayList({Entry(disc.file("MPEGAV/AVSEQ01.DAT")), Entry(test::mediaFixture("clip-mpeg1.mpg"))});
    ASSERT_TRUE(WaitUntilOpened());
    ASSERT_EQ(player_->State(), PlayState::Playing);
    QTest::qWait(300);
    std::optional<test::StalledDrive> stalled(std::in_place, 0);
    QTest::qWait(1500);  // the engine's reader runs into the stalled drive

    test::LoopGapMeter gaps;
    view_.DragThumbTo(3);  // a seek on the track bar while playing
    QTest::qWait(50);
    player_->BitBtnPauseClick();
    QTest::qWait(50);
    player_->BitBtnPlayClick();
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return player_->List().Current() == 1 && !player_->Opening(); }, 30000))
        << "the stuck entry ends";
    EXPECT_EQ(player_->State(), PlayState::Playing) << "and the next one plays";
    player_->ItemButtonsClick(2);  // Stop
    player_->GoToMovie(0);
    player_->BitBtnPlayClick();
    QTest::qWait(50);
    player_.reset();  // the program closes while the drive is stuck
    devices_.reset();
    EXPECT_LT(gaps.longestMs(), 500) << "no command waited for the drive";

    stalled.reset();
    EXPECT_TRUE(QTest::qWaitFor([] { return boundedWorkRunning == 0; }, 20000))
        << "the work left on the stuck drive ends once the drive answers again";
}

TEST_P(RealPlayer, AMovieOnAShareThatStopsAnsweringIsSkippedLikeAMissingOne) {
    std::optional<test::HangingShare> share(std::in_place);
    if (!share->mounted()) {
        GTEST_SKIP() << "FUSE cannot be mounted here";
    }
    PlayList({Entry(share->path(QStringLiteral("gone.mpg"))),
              Entry(test::mediaFixture("clip-mpeg1.mpg"))});
    EXPECT_TRUE(player_->Opening());
    EXPECT_GT(TicksUntilOpened(), 2) << "the event loop runs while the share does not answer";
    ASSERT_TRUE(WaitUntilOpened());
    EXPECT_EQ(player_->List().Current(), 1) << "the list goes on";
    EXPECT_EQ(player_->State(), PlayState::Playing);
    EXPECT_EQ(player_->DeviceName(), GetParam());

    player_->GoToMovie(0);
    EXPECT_TRUE(player_->Opening()) << "the entry that was playing is opened in its place";
    player_->ItemButtonsClick(2);  // Stop
    EXPECT_FALSE(player_->Opening());
    EXPECT_EQ(player_->State(), PlayState::Closed);
    player_->ItemButtonsClick(4);  // Next
    player_->BitBtnPlayClick();
    ASSERT_TRUE(WaitUntilOpened());
    EXPECT_EQ(player_->State(), PlayState::Playing) << "the real file plays after the Stop";
    player_->ItemButtonsClick(2);

    share.reset();
    EXPECT_TRUE(QTest::qWaitFor([] { return boundedWorkRunning == 0; }, 20000))
        << "the lookup left waiting ends with the share";
}

INSTANTIATE_TEST_SUITE_P(Devices, RealPlayer, ::testing::Values("ActiveMovie", "MPEGVideo"));

}  // namespace
}  // namespace cinevan
