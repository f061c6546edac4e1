#include <sys/stat.h>
#include <unistd.h>

#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QWidget>
#include <cstdlib>

#include "playback/mci/gst/GstDevice.h"
#include "playback/mci/gst/GstDeviceType.h"
#include "playback/mci/gst/GstVideoSurface.h"
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

// Picture number `index` of `fixture` as decoded by ffmpeg, for comparison with ours.
QImage referencePicture(const QString& fixture, int index) {
    QProcess ffmpeg;
    ffmpeg.start("ffmpeg", {"-nostdin", "-loglevel", "error", "-i", mediaFixture(fixture), "-vf",
                            QString("select=eq(n\\,%1)").arg(index), "-frames:v", "1", "-f",
                            "rawvideo", "-pix_fmt", "bgra", "-"});
    if (!ffmpeg.waitForFinished(30000) || ffmpeg.exitCode() != 0) {
        return {};
    }
    const QByteArray raw = ffmpeg.readAllStandardOutput();
    if (raw.size() != 352 * 288 * 4) {
        return {};
    }
    QImage image(reinterpret_cast<const uchar*>(raw.constData()), 352, 288, QImage::Format_RGB32);
    return image.copy();
}

// Mean absolute difference per colour channel.
double difference(const QImage& a, const QImage& b) {
    const QImage left = a.convertToFormat(QImage::Format_RGB32);
    const QImage right = b.convertToFormat(QImage::Format_RGB32).scaled(left.size());
    double sum = 0;
    for (int y = 0; y < left.height(); ++y) {
        const auto* l = reinterpret_cast<const QRgb*>(left.constScanLine(y));
        const auto* r = reinterpret_cast<const QRgb*>(right.constScanLine(y));
        for (int x = 0; x < left.width(); ++x) {
            sum += std::abs(qRed(l[x]) - qRed(r[x])) + std::abs(qGreen(l[x]) - qGreen(r[x])) +
                   std::abs(qBlue(l[x]) - qBlue(r[x]));
        }
    }
    return sum / (3.0 * left.width() * left.height());
}

class GstDeviceTest : public ::testing::Test {
protected:
    void open(const QString& fixture) {
        ASSERT_EQ(device_.openElement(mediaFixture(fixture)), mci::Error::None);
        ASSERT_EQ(device_.putDestination(QRect(0, 0, 352, 288)), mci::Error::None);
        host_.resize(352, 288);
        ASSERT_EQ(device_.window(&host_), mci::Error::None);
    }
    QImage shown() {
        auto* surface = host_.findChild<mci::gst::GstVideoSurface*>();
        return surface != nullptr ? surface->grab().toImage() : QImage();
    }

    QWidget host_;
    mci::GstDevice device_;
};

}  // namespace

// The position alone could be right while an earlier or later picture is shown: the picture
// after a seek must be the one ffmpeg decodes at that time, in program streams and in Video CD
// tracks alike.
TEST_F(GstDeviceTest, SeekShowsThePictureOfTheTarget) {
    for (const char* fixture : {"clip-mpeg1.mpg", "track.dat"}) {
        SCOPED_TRACE(fixture);
        QWidget host;
        mci::GstDevice device;
        ASSERT_EQ(device.openElement(mediaFixture(fixture)), mci::Error::None);
        host.resize(352, 288);
        ASSERT_EQ(device.putDestination(QRect(0, 0, 352, 288)), mci::Error::None);
        ASSERT_EQ(device.window(&host), mci::Error::None);
        for (int picture : {75, 38, 130}) {
            SCOPED_TRACE(picture);
            ASSERT_EQ(device.seek(picture * 40), mci::Error::None);
            QTest::qWait(400);
            auto* surface = host.findChild<mci::gst::GstVideoSurface*>();
            ASSERT_NE(surface, nullptr);
            const QImage ours = surface->grab().toImage();
            const QImage wanted = referencePicture(fixture, picture);
            const QImage before = referencePicture(fixture, picture - 1);
            const QImage after = referencePicture(fixture, picture + 1);
            ASSERT_FALSE(wanted.isNull());
            const double match = difference(ours, wanted);
            EXPECT_LT(match, difference(ours, before));
            EXPECT_LT(match, difference(ours, after));
        }
    }
}

TEST_F(GstDeviceTest, PicturesKeepComingAfterMovingToAnotherHost) {
    open("clip-mpeg1.mpg");
    ASSERT_EQ(device_.play(0, 5000), mci::Error::None);
    QTest::qWait(400);
    const QImage first = shown();
    ASSERT_FALSE(first.isNull());
    EXPECT_GT(difference(first, QImage(first.size(), QImage::Format_RGB32)), 10.0)
        << "the surface must show the movie, not a black rectangle";

    QWidget fullScreen;
    fullScreen.resize(704, 576);
    ASSERT_EQ(device_.window(&fullScreen), mci::Error::None);
    ASSERT_EQ(device_.putDestination(QRect(0, 0, 704, 576)), mci::Error::None);
    QTest::qWait(300);
    auto* surface = fullScreen.findChild<mci::gst::GstVideoSurface*>();
    ASSERT_NE(surface, nullptr);
    const QImage moved = surface->grab().toImage();
    QTest::qWait(300);
    const QImage later = surface->grab().toImage();
    EXPECT_EQ(moved.size(), QSize(704, 576));
    EXPECT_GT(difference(moved, later), 0.5) << "new pictures must arrive in the new host";
}

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

TEST_F(GstDeviceTest, HostDestroyedWhileShowingLeavesTheDeviceUsable) {
    open("clip-mpeg1.mpg");
    ASSERT_EQ(device_.play(0, 3000), mci::Error::None);
    {
        QWidget transient;
        ASSERT_EQ(device_.window(&transient), mci::Error::None);
        QTest::qWait(200);
    }
    ASSERT_EQ(device_.window(&host_), mci::Error::None);
    QTest::qWait(200);
    EXPECT_NE(host_.findChild<mci::gst::GstVideoSurface*>(), nullptr);
    ASSERT_EQ(device_.window(nullptr), mci::Error::None);
    EXPECT_EQ(host_.findChild<mci::gst::GstVideoSurface*>(), nullptr);
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
