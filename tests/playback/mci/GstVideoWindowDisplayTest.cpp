#include <gtest/gtest.h>

#include <QImage>
#include <QProcess>
#include <QTest>
#include <QWidget>
#include <cstdlib>

#include "playback/mci/gst/GstDevice.h"
#include "playback/mci/gst/GstVideoWindow.h"
#include "tests/playback/mci/VideoOnScreen.h"
#include "tests/support/MediaFixtures.h"

namespace cinevan::test {

namespace {

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

// A colour the test movies do not show, for the hosts' background.
const QColor kBackground(77, 0, 77);

void paintBackground(QWidget& host) {
    QPalette palette = host.palette();
    palette.setColor(QPalette::Window, kBackground);
    host.setPalette(palette);
    host.setAutoFillBackground(true);
}

// The bounding box of the pixels of `image` that are not the hosts' background.
QRect pictureBounds(const QImage& image) {
    QRect bounds;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (image.pixel(x, y) != kBackground.rgb()) {
                bounds |= QRect(x, y, 1, 1);
            }
        }
    }
    return bounds;
}

class GstVideoWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!haveDisplay()) {
            GTEST_SKIP() << "set CINEVAN_TEST_DISPLAY and run under a display";
        }
        host_.setGeometry(0, 0, 352, 288);
        paintBackground(host_);
        host_.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&host_));
    }
    void open(mci::GstDevice& device, const QString& fixture) {
        ASSERT_EQ(device.openElement(mediaFixture(fixture)), mci::Error::None);
        ASSERT_EQ(device.putDestination(QRect(0, 0, 352, 288)), mci::Error::None);
        ASSERT_EQ(device.window(&host_), mci::Error::None);
        ASSERT_NE(device.surface(), nullptr);
        ASSERT_TRUE(QTest::qWaitFor([&] { return device.surface()->attachedWindow() != 0; }, 5000));
    }

    ClickCounter host_;
};

}  // namespace

// The position alone could be right while an earlier or later picture is shown: the picture
// after a seek must be the one ffmpeg decodes at that time, in program streams and in Video CD
// tracks alike.
TEST_F(GstVideoWindowTest, SeekShowsThePictureOfTheTarget) {
    for (const char* fixture : {"clip-mpeg1.mpg", "track.dat"}) {
        SCOPED_TRACE(fixture);
        mci::GstDevice device;
        open(device, fixture);
        for (int picture : {75, 38, 130}) {
            SCOPED_TRACE(picture);
            ASSERT_EQ(device.seek(picture * 40), mci::Error::None);
            QTest::qWait(400);
            const QImage ours = shownOn(host_);
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

TEST_F(GstVideoWindowTest, PicturesKeepComingAfterMovingToAnotherHost) {
    mci::GstDevice device;
    open(device, "long-mpeg1.mpg");
    ASSERT_EQ(device.play(0, 20000), mci::Error::None);
    EXPECT_TRUE(showsPlayingMovie(host_));

    QWidget fullScreen;
    fullScreen.setGeometry(360, 0, 480, 360);
    paintBackground(fullScreen);
    fullScreen.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&fullScreen));
    ASSERT_EQ(device.window(&fullScreen), mci::Error::None);
    ASSERT_EQ(device.putDestination(QRect(0, 0, 480, 360)), mci::Error::None);
    EXPECT_TRUE(showsPlayingMovie(fullScreen)) << "new pictures must arrive in the new host";
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return pictureBounds(shownOn(fullScreen)) == QRect(0, 0, 480, 360); }, 5000))
        << "the picture fills the new, larger rectangle";
    EXPECT_TRUE(mostlyBlack(shownOn(host_)) || !showsPlayingMovie(host_))
        << "the old host no longer shows the movie";

    ASSERT_EQ(device.window(&host_), mci::Error::None);
    ASSERT_EQ(device.putDestination(QRect(0, 0, 352, 288)), mci::Error::None);
    EXPECT_TRUE(showsPlayingMovie(host_)) << "and back";
}

// A user dragging the window's edge sends a new size before the pictures of the last one
// have arrived: pictures of an earlier size must never stop the movie.
TEST_F(GstVideoWindowTest, SizesChangingFasterThanThePicturesKeepTheMoviePlaying) {
    mci::GstDevice device;
    open(device, "long-mpeg1.mpg");
    ASSERT_EQ(device.play(0, 20000), mci::Error::None);
    ASSERT_TRUE(showsPlayingMovie(host_));
    for (int step = 0; step < 120; ++step) {
        const int width = 120 + (step * 37) % 232;
        const int height = 90 + (step * 53) % 198;
        ASSERT_EQ(device.putDestination(QRect(0, 0, width, height)), mci::Error::None);
        QTest::qWait(step % 3 == 0 ? 1 : 15);
    }
    quint32 position = 0;
    EXPECT_EQ(device.statusPosition(position), mci::Error::None)
        << "a picture of an earlier size must not fail the movie";
    ASSERT_EQ(device.putDestination(QRect(0, 0, 352, 288)), mci::Error::None);
    EXPECT_TRUE(showsPlayingMovie(host_));
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return pictureBounds(shownOn(host_)) == QRect(0, 0, 352, 288); }, 5000));
}

// A paused movie has no next picture to show the new size with: the one it rests on must be
// drawn again, stretched over the whole new rectangle, and the movie must stay where it was.
TEST_F(GstVideoWindowTest, PausedPictureFillsEachNewDestination) {
    mci::GstDevice device;
    open(device, "long-mpeg1.mpg");
    ASSERT_EQ(device.play(0, 20000), mci::Error::None);
    QTest::qWait(600);
    ASSERT_EQ(device.pause(), mci::Error::None);
    QTest::qWait(300);
    quint32 paused = 0;
    ASSERT_EQ(device.statusPosition(paused), mci::Error::None);
    const QImage before = shownOn(host_);

    for (const QRect& destination : {QRect(40, 30, 200, 150), QRect(0, 0, 352, 288)}) {
        SCOPED_TRACE(destination.width());
        ASSERT_EQ(device.putDestination(destination), mci::Error::None);
        EXPECT_TRUE(
            QTest::qWaitFor([&] { return pictureBounds(shownOn(host_)) == destination; }, 5000))
            << "the picture covers the destination and nothing else";
        QTest::qWait(300);
        const QImage now = shownOn(host_).copy(destination).scaled(352, 288);
        EXPECT_LT(difference(now, before), 25.0) << "the same picture, stretched";
        quint32 position = 0;
        ASSERT_EQ(device.statusPosition(position), mci::Error::None);
        // The position may move back to the time of the picture shown, which on a busy machine
        // can be a few pictures behind the clock the pause stopped; never forward.
        EXPECT_LE(position, paused + 40) << "redrawing must not move the movie on";
        EXPECT_GE(position + 200, paused) << "redrawing must not move the movie back";
    }
    const QImage rested = shownOn(host_);
    QTest::qWait(500);
    EXPECT_EQ(shownOn(host_), rested) << "the movie stays paused";
}

// At the end of a range the movie rests on its last picture; a new size shows that picture
// again and the movie stays at the end.
TEST_F(GstVideoWindowTest, PictureAtTheEndFillsANewDestination) {
    mci::GstDevice device;
    open(device, "clip-mpeg1.mpg");
    quint32 length = 0;
    ASSERT_EQ(device.statusLength(length), mci::Error::None);
    ASSERT_EQ(device.play(length - 400, length), mci::Error::None);
    quint32 position = 0;
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return device.statusPosition(position) == mci::Error::None && position == length; },
        5000));
    QTest::qWait(200);
    const QImage last = shownOn(host_);
    const QRect destination(30, 20, 240, 180);
    ASSERT_EQ(device.putDestination(destination), mci::Error::None);
    EXPECT_TRUE(
        QTest::qWaitFor([&] { return pictureBounds(shownOn(host_)) == destination; }, 5000));
    QTest::qWait(300);
    EXPECT_LT(difference(shownOn(host_).copy(destination).scaled(352, 288), last), 25.0);
    ASSERT_EQ(device.statusPosition(position), mci::Error::None);
    EXPECT_EQ(position, length) << "the movie stays at its end";
}

// A movie just opened rests on its first picture, prerolled before it had a window; shown in
// a rectangle of another size it must fill that rectangle all the same.
TEST_F(GstVideoWindowTest, OpenedMovieShowsItsFirstPictureStretched) {
    mci::GstDevice device;
    ASSERT_EQ(device.openElement(mediaFixture("long-mpeg1.mpg")), mci::Error::None);
    const QRect destination(20, 20, 300, 200);
    ASSERT_EQ(device.putDestination(destination), mci::Error::None);
    ASSERT_EQ(device.window(&host_), mci::Error::None);
    const QImage first = referencePicture("long-mpeg1.mpg", 0);
    ASSERT_FALSE(first.isNull());
    EXPECT_TRUE(QTest::qWaitFor(
        [&] {
            const QImage shown = shownOn(host_);
            return pictureBounds(shown) == destination &&
                   difference(shown.copy(destination).scaled(352, 288), first) < 25.0;
        },
        5000))
        << "the first picture, stretched over the rectangle";
    quint32 position = 1;
    ASSERT_EQ(device.statusPosition(position), mci::Error::None);
    EXPECT_EQ(position, 0u);
}

TEST_F(GstVideoWindowTest, ClicksOnThePictureReachTheWidgetBelow) {
    mci::GstDevice device;
    open(device, "long-mpeg1.mpg");
    ASSERT_EQ(device.play(0, 20000), mci::Error::None);
    ASSERT_TRUE(showsPlayingMovie(host_));

    const int clicked = clickMiddleOf(host_);
    if (clicked < 0) {
        GTEST_SKIP() << "xdotool is not installed";
    }
    ASSERT_EQ(clicked, 0);
    EXPECT_TRUE(QTest::qWaitFor([&] { return host_.presses > 0; }, 5000))
        << "the video must not take the mouse";
}

// The sink must be off a host window before it goes away: drawing into a destroyed window is a
// fatal X error.
TEST_F(GstVideoWindowTest, HostDestroyedWhileShowingLeavesTheDeviceUsable) {
    mci::GstDevice device;
    open(device, "long-mpeg1.mpg");
    ASSERT_EQ(device.play(0, 20000), mci::Error::None);
    {
        QWidget transient;
        transient.setGeometry(360, 0, 300, 200);
        transient.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&transient));
        ASSERT_EQ(device.window(&transient), mci::Error::None);
        EXPECT_TRUE(showsPlayingMovie(transient));
    }
    QTest::qWait(300);  // pictures keep coming meanwhile
    ASSERT_EQ(device.window(&host_), mci::Error::None);
    EXPECT_NE(host_.findChild<mci::gst::GstVideoWindow*>(), nullptr);
    EXPECT_TRUE(showsPlayingMovie(host_));
    ASSERT_EQ(device.window(nullptr), mci::Error::None);
    EXPECT_EQ(host_.findChild<mci::gst::GstVideoWindow*>(), nullptr);
}

}  // namespace cinevan::test
