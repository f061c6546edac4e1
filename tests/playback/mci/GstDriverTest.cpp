#include <sys/stat.h>
#include <unistd.h>

#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QWidget>
#include <cstdlib>

#include "playback/mci/gst/GstDevice.h"
#include "playback/mci/gst/GstDeviceType.h"
#include "tests/playback/mci/DriverContract.h"
#include "tests/support/MediaFixtures.h"

namespace cinevan::test {

namespace {}  // namespace

INSTANTIATE_TEST_SUITE_P(Gst, DriverContract,
                         ::testing::Values(DriverParam{
                             "MPEGVideo", [] { return std::make_unique<mci::GstDeviceType>(); }}));

namespace {

quint32 positionOf(mci::MediaDevice& device) {
    quint32 ms = 0;
    EXPECT_EQ(device.statusPosition(ms), mci::Error::None);
    return ms;
}

class GstDeviceTest : public ::testing::Test {
protected:
    void open(const QString& fixture) {
        ASSERT_EQ(device_.openElement(mediaFixture(fixture)), mci::Error::None);
        ASSERT_EQ(device_.putDestination(QRect(0, 0, 352, 288)), mci::Error::None);
        host_.resize(352, 288);
        ASSERT_EQ(device_.window(&host_), mci::Error::None);
    }

    QWidget host_;
    mci::GstDevice device_;
};

}  // namespace

// The demuxer's own duration estimate ends half a second before the last picture; playing to
// the length must still show the movie to its very end.
TEST_F(GstDeviceTest, PlayToTheLengthRestsOnTheLastPicture) {
    for (const char* fixture : {"clip-mpeg2.mpg", "track.dat"}) {
        SCOPED_TRACE(fixture);
        mci::GstDevice device;
        ASSERT_EQ(device.openElement(mediaFixture(fixture)), mci::Error::None);
        quint32 length = 0;
        ASSERT_EQ(device.statusLength(length), mci::Error::None);
        ASSERT_EQ(device.play(5200, length), mci::Error::None);
        QTest::qWait(1600);
        const quint32 resting = positionOf(device);
        EXPECT_GE(resting + 80, length);
        QTest::qWait(300);
        EXPECT_EQ(positionOf(device), resting);
    }
}

TEST_F(GstDeviceTest, PlaybackKeepsRealTimeWithSilentOutput) {
    open("long-mpeg1.mpg");
    ASSERT_EQ(device_.play(0, 20000), mci::Error::None);
    QTest::qWait(1500);
    const quint32 ms = positionOf(device_);
    EXPECT_GT(ms, 1000u) << "playback must not stall without a sound card";
    EXPECT_LT(ms, 2000u) << "a fake audio sink must not let playback run ahead of the clock";
}

// Without X11 windows (here the offscreen platform) the movie plays unseen and the window
// commands still succeed.
TEST_F(GstDeviceTest, WithoutNativeWindowsPlaysUnseen) {
    open("clip-mpeg1.mpg");
    ASSERT_NE(device_.surface(), nullptr);
    EXPECT_EQ(device_.surface()->attachedWindow(), 0u);
    ASSERT_EQ(device_.play(0, 3000), mci::Error::None);
    QTest::qWait(500);
    EXPECT_GT(positionOf(device_), 200u);
    ASSERT_EQ(device_.putDestination(QRect(0, 0, 100, 80)), mci::Error::None);
    EXPECT_EQ(device_.surface()->geometry(), QRect(0, 0, 100, 80));
    ASSERT_EQ(device_.window(nullptr), mci::Error::None);
    EXPECT_TRUE(host_.findChildren<QWidget*>().isEmpty());
}

TEST(GstDevice, StalledOrOddSourcesFailAtOnce) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString fifo = dir.filePath("stalled.mpg");
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    const QString unreadable = dir.filePath("locked.mpg");
    ASSERT_TRUE(QFile::copy(mediaFixture("clip-mpeg1.mpg"), unreadable));
    ASSERT_EQ(::chmod(QFile::encodeName(unreadable).constData(), 0), 0);
    const bool root = ::geteuid() == 0;  // root reads any file
    for (const QString& element : {fifo, dir.path(), unreadable}) {
        SCOPED_TRACE(element.toStdString());
        QElapsedTimer timer;
        timer.start();
        mci::GstDevice device;
        const mci::MciError error = device.openElement(element);
        if (element != unreadable || !root) {
            EXPECT_NE(error, mci::Error::None);
        }
        EXPECT_LT(timer.elapsed(), 6000);
    }
}

TEST(GstDevice, FileCutShortWhilePlayingEndsWithoutHanging) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString movie = dir.filePath("movie.mpg");
    ASSERT_TRUE(QFile::copy(mediaFixture("long-mpeg1.mpg"), movie));
    mci::GstDevice device;
    ASSERT_EQ(device.openElement(movie), mci::Error::None);
    ASSERT_EQ(::truncate(QFile::encodeName(movie).constData(), 200000), 0);
    ASSERT_EQ(device.play(15000, 18000), mci::Error::None);
    QTest::qWait(1500);
    quint32 first = 0;
    device.statusPosition(first);
    QTest::qWait(600);
    quint32 second = 0;
    device.statusPosition(second);
    EXPECT_EQ(first, second) << "the data is gone: the position must rest, not run on";
    EXPECT_LE(second, 20000u);
}

TEST(GstDevice, WithoutFileOnlyCapabilitiesAnswer) {
    mci::GstDevice device;
    ASSERT_EQ(device.openElement(QString()), mci::Error::None);
    QString product;
    ASSERT_EQ(device.infoProduct(product), mci::Error::None);
    EXPECT_TRUE(product.contains("GStreamer 1.")) << product.toStdString();
    quint32 ms = 0;
    EXPECT_NE(device.statusLength(ms), mci::Error::None);
    EXPECT_NE(device.play(0, 1000), mci::Error::None);
}

}  // namespace cinevan::test
