#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include "playback/mci/gst/GstDeviceType.h"
#include "playback/mci/mpv/MpvDeviceType.h"
#include "tests/playback/mci/DriverContract.h"
#include "tests/playback/mci/FakeVideoCd.h"
#include "tests/support/LoopGapMeter.h"
#include "tests/support/MediaFixtures.h"

namespace cinevan::test {

// This binary runs only the Video CD cases on the shared contract's helpers.
GTEST_ALLOW_UNINSTANTIATED_PARAMETERIZED_TEST(DriverContract);

namespace {

constexpr quint32 kFirstTrackMs = 6000;
constexpr quint32 kSecondTrackMs = 3000;

QByteArray fileBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Time allowed beyond a deadline for a command to come back, on a loaded test machine.
constexpr qint64 kGraceMs = 3000;

// The tracks of a disc in a fake CD-ROM drive whose files are empty stand-ins: only reading
// the disc image's raw sectors can play them.
class VideoCdDriver : public DriverContract {
protected:
    FakeVideoCd disc_;
};

TEST_P(VideoCdDriver, ATrackOnlyTheRawSectorsHoldOpensWithItsSizeAndLength) {
    auto& device = openPath(disc_.file("MPEGAV/AVSEQ01.DAT"));
    QSize size;
    EXPECT_EQ(device.whereSource(size), mci::Error::None);
    EXPECT_EQ(size, QSize(352, 288));
    EXPECT_TRUE(near(length(), kFirstTrackMs, kFrameMs));
    EXPECT_TRUE(near(position(), 0, kFrameMs));

    openPath(disc_.file("mpegav/avseq02.dat"));
    EXPECT_TRUE(near(length(), kSecondTrackMs, kFrameMs)) << "each track is its own movie";
}

TEST_P(VideoCdDriver, ARangeOfARawTrackPlaysToItsEndAndRests) {
    openPath(disc_.file("MPEGAV/AVSEQ01.DAT"));
    expectRangePlaysAndRests(2000, 4000);
    // The last part of the track, up to its very end.
    ASSERT_EQ(device_->play(5000, kFirstTrackMs), mci::Error::None);
    EXPECT_TRUE(near(waitUntilResting(), kFirstTrackMs, 2 * kFrameMs));
}

TEST_P(VideoCdDriver, SeeksInARawTrackRestExactlyAtTheTarget) {
    auto& device = openPath(disc_.file("MPEGAV/AVSEQ01.DAT"));
    for (quint32 target : {3000u, 1520u, 5000u, 200u}) {
        ASSERT_EQ(device.seek(target), mci::Error::None);
        QTest::qWait(300);
        EXPECT_TRUE(near(position(), target, kFrameMs)) << target;
    }
    ASSERT_EQ(device.play(4400, 5000), mci::Error::None);
    EXPECT_TRUE(near(waitUntilResting(), 5000, 2 * kFrameMs));
}

TEST_P(VideoCdDriver, ADiscThatCannotBeReadRawLeavesTheFileToTheEngine) {
    const QTemporaryDir images;
    const QString cue = images.path() + "/broken.cue";
    FakeVideoCd::writeFile(cue, "FILE \"missing.bin\" BINARY\n  TRACK 01 MODE2/2352\n");
    const FakeVideoCd broken(cue);
    // The file system returns the track as a RIFF "CDXA" copy: that plays as it always did.
    FakeVideoCd::writeFile(broken.file("MPEGAV/AVSEQ01.DAT"), fileBytes(mediaFixture("track.dat")));
    openPath(broken.file("MPEGAV/AVSEQ01.DAT"));
    EXPECT_TRUE(near(length(), 6000, kFrameMs));

    // An empty file that nothing can read is an error, answered in bounded time.
    QElapsedTimer timer;
    timer.start();
    auto device = type_->create();
    ASSERT_NE(device, nullptr);
    EXPECT_NE(device->openElement(broken.file("MPEGAV/AVSEQ02.DAT")), mci::Error::None);
    EXPECT_LT(timer.elapsed(), 10000);
}

TEST_P(VideoCdDriver, ClosingARawTrackReleasesTheDisc) {
    openPath(disc_.file("MPEGAV/AVSEQ01.DAT")).play(0, 1000);
    QTest::qWait(200);
    device_.reset();
    QTest::qWait(300);
    const auto openFiles = [] { return QDir("/proc/self/fd").entryList(QDir::NoDotAndDotDot); };
    const int files = openFiles().size();
    for (int i = 0; i < 3; ++i) {
        openPath(disc_.file(i % 2 ? "MPEGAV/AVSEQ02.DAT" : "MPEGAV/AVSEQ01.DAT")).play(0, 800);
        QTest::qWait(150);
        device_.reset();
    }
    QTest::qWait(500);
    EXPECT_EQ(openFiles().size(), files);
}

TEST_P(VideoCdDriver, AnOpenOnADriveThatStopsAnsweringFailsByItsDeadlineAndClosesAtOnce) {
    // The drive stops when the track is first looked at, when the engine itself opens it,
    // and while the engine reads the start of the movie.
    for (const int passing : {0, 1, 4}) {
        SCOPED_TRACE(passing);
        const StalledDrive stalled(passing);
        QElapsedTimer timer;
        timer.start();
        auto device = type_->create();
        ASSERT_NE(device, nullptr);
        // Out of time, or refused by an engine that gave up on the stalled read first.
        EXPECT_NE(device->openElement(disc_.file("MPEGAV/AVSEQ01.DAT"), QDeadlineTimer(1000)),
                  mci::Error::None);
        device.reset();
        EXPECT_LT(timer.elapsed(), 1000 + kGraceMs)
            << "neither the open nor the close waits on the drive";
    }
    // Once the drive answers again, the track opens as before.
    openPath(disc_.file("MPEGAV/AVSEQ02.DAT"));
    EXPECT_TRUE(near(length(), kSecondTrackMs, kFrameMs));
}

TEST_P(VideoCdDriver, ClosingWhileTheDriveHasStoppedAnsweringDoesNotWaitForIt) {
    openPath(disc_.file("MPEGAV/AVSEQ01.DAT"));
    ASSERT_EQ(device_->play(0, kFirstTrackMs), mci::Error::None);
    QTest::qWait(300);
    const StalledDrive stalled(0);
    QTest::qWait(1500);  // the engine's reader runs into the stalled drive
    QElapsedTimer timer;
    timer.start();
    device_.reset();
    EXPECT_LT(timer.elapsed(), kGraceMs);
}

TEST_P(VideoCdDriver, CommandsWhileTheDriveHasStoppedAnsweringComeBackInTime) {
    openPath(disc_.file("MPEGAV/AVSEQ01.DAT"));
    ASSERT_EQ(device_->play(0, kFirstTrackMs), mci::Error::None);
    QTest::qWait(300);
    const StalledDrive stalled(0);
    QTest::qWait(1500);  // the engine's reader runs into the stalled drive
    QElapsedTimer timer;
    timer.start();
    device_->seek(1000);
    device_->play(2000, kFirstTrackMs);
    device_->pause();
    quint32 ms = 0;
    device_->statusPosition(ms);
    EXPECT_LT(timer.elapsed(), mci::kOpenTimeLimitMs + kGraceMs) << "none waits for the drive";
}

// Longest time a command may keep the event loop from turning; far below the time a stuck
// source is given, so a command that waits for the drive shows.
constexpr qint64 kMaxLoopGapMs = 500;

TEST_P(VideoCdDriver, CommandsWhileTheDriveHasStoppedAnsweringNeverHoldTheEventLoop) {
    if (GetParam().label != QLatin1String("MPEGVideo")) {
        GTEST_SKIP() << "closing a libmpv device still waits up to 500 ms for a stuck reader";
    }
    openPath(disc_.file("MPEGAV/AVSEQ01.DAT"));
    ASSERT_EQ(device_->play(0, kFirstTrackMs), mci::Error::None);
    QTest::qWait(300);
    const StalledDrive stalled(0);
    QTest::qWait(1500);  // the engine's reader runs into the stalled drive
    LoopGapMeter gaps;
    device_->seek(1000);
    QTest::qWait(50);
    device_->play(2000, kFirstTrackMs);
    QTest::qWait(50);
    device_->pause();
    QTest::qWait(50);
    device_->resume();
    QTest::qWait(50);
    device_->seek(4000);
    quint32 ms = 0;
    const bool reported =
        QTest::qWaitFor([&] { return device_->statusPosition(ms) == mci::Error::DeviceNotReady; },
                        2 * mci::kOpenTimeLimitMs + kGraceMs);
    device_->play(0, kFirstTrackMs);
    QTest::qWait(50);
    device_.reset();
    QTest::qWait(50);
    EXPECT_LT(gaps.longestMs(), kMaxLoopGapMs) << "no command waits for the drive";
    EXPECT_TRUE(reported) << "commands the drive holds up turn into a stuck source";
}

INSTANTIATE_TEST_SUITE_P(
    Engines, VideoCdDriver,
    ::testing::Values(
        DriverParam{"ActiveMovie", [] { return std::make_unique<mci::MpvDeviceType>(); }},
        DriverParam{"MPEGVideo", [] { return std::make_unique<mci::GstDeviceType>(); }}),
    [](const ::testing::TestParamInfo<DriverParam>& info) {
        return info.param.label.toStdString();
    });

}  // namespace
}  // namespace cinevan::test
