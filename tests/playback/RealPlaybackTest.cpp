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
    ASSERT_EQ(player.State(), PlayState::Playing);
    EXPECT_EQ(player.DeviceName(), "ActiveMovie") << "the first choice of device type opens it";
    EXPECT_EQ(player.List().Current(), 0);
    EXPECT_EQ(player.VideoSize(), QSize(352, 288));

    QElapsedTimer clock;
    clock.start();
    ASSERT_TRUE(QTest::qWaitFor([&] { return player.List().Current() == 1; }, 12000))
        << "the end of the first movie advances to the second";
    const qint64 firstEnded = clock.elapsed();
    EXPECT_GT(firstEnded, 4500) << "the first movie plays to its end (6 s)";
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
        ASSERT_TRUE(QTest::qWaitFor([&] { return player_->List().Current() >= entry; }, 15000));
        EXPECT_EQ(player_->List().Current(), entry) << "no entry is skipped";
        EXPECT_EQ(player_->State(), PlayState::Playing);
        EXPECT_EQ(player_->DeviceName(), GetParam()) << "the chosen device plays every entry";
    }
    EXPECT_TRUE(QTest::qWaitFor([&] { return player_->State() == PlayState::Closed; }, 15000))
        << "the last entry ends too";
    EXPECT_EQ(player_->List().Current(), entries.size() - 1);
}

TEST_P(RealPlayer, AStalledDiscNeitherHoldsUpTheWindowNorTheOtherEntries) {
    const test::FakeVideoCd disc;
    PlayList({Entry(disc.file("MPEGAV/AVSEQ01.DAT")), Entry(test::mediaFixture("clip-mpeg1.mpg"))});
    ASSERT_EQ(player_->State(), PlayState::Playing) << "the disc plays while it answers";
    player_->BitBtnStopClick();

    std::optional<test::StalledDrive> stalled(std::in_place, 0);
    const auto returnsInTime = [](const std::function<void()>& action) {
        QElapsedTimer timer;
        timer.start();
        action();
        return timer.elapsed() < mci::kOpenTimeLimitMs + 3000;
    };
    EXPECT_TRUE(returnsInTime([&] { player_->BitBtnPlayClick(); }))
        << "one time limit holds along the whole device fallback";
    EXPECT_EQ(player_->State(), PlayState::Closed) << "the stalled track is a failed open";
    EXPECT_EQ(player_->LastError(), mci::Error::DeviceNotReady);
    EXPECT_EQ(player_->List().Current(), 0);

    player_->ItemButtonsClick(4);  // Next
    player_->BitBtnPlayClick();
    EXPECT_EQ(player_->State(), PlayState::Playing) << "another entry plays meanwhile";
    player_->ItemButtonsClick(2);  // Stop
    EXPECT_EQ(player_->State(), PlayState::Closed);

    player_->GoToMovie(0);
    EXPECT_TRUE(returnsInTime([&] {
        player_->BitBtnPlayClick();
        player_.reset();  // the program closes while the drive is stuck
        devices_.reset();
    }));

    stalled.reset();
    EXPECT_TRUE(QTest::qWaitFor([] { return boundedWorkRunning == 0; }, 20000))
        << "the work left on the stuck drive ends once the drive answers again";
}

TEST_P(RealPlayer, AMovieOnAShareThatStopsAnsweringIsSkippedLikeAMissingOne) {
    std::optional<test::HangingShare> share(std::in_place);
    if (!share->mounted()) {
        GTEST_SKIP() << "FUSE cannot be mounted here";
    }
    QElapsedTimer clock;
    clock.start();
    PlayList({Entry(share->path(QStringLiteral("gone.mpg"))),
              Entry(test::mediaFixture("clip-mpeg1.mpg"))});
    EXPECT_LT(clock.elapsed(), mci::kOpenTimeLimitMs + 3000) << "the window is held up once";
    EXPECT_EQ(player_->List().Current(), 1) << "the list goes on";
    EXPECT_EQ(player_->State(), PlayState::Playing);
    player_->ItemButtonsClick(2);  // Stop

    share.reset();
    EXPECT_TRUE(QTest::qWaitFor([] { return boundedWorkRunning == 0; }, 20000))
        << "the lookup left waiting ends with the share";
}

INSTANTIATE_TEST_SUITE_P(Devices, RealPlayer, ::testing::Values("ActiveMovie", "MPEGVideo"));

}  // namespace
}  // namespace cinevan
