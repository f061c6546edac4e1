#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QWidget>

#include "playback/mci/mpv/MpvDevice.h"
#include "playback/mci/mpv/MpvDeviceType.h"
#include "playback/mci/mpv/MpvSurface.h"
#include "tests/playback/mci/DriverContract.h"
#include "tests/support/MediaFixtures.h"

namespace cinevan::test {

INSTANTIATE_TEST_SUITE_P(Mpv, DriverContract,
                         ::testing::Values(DriverParam{
                             "ActiveMovie",
                             [] { return std::make_unique<mci::MpvDeviceType>(); }}));

namespace {

quint32 positionOf(mci::MediaDevice& device) {
    quint32 ms = 0;
    EXPECT_EQ(device.statusPosition(ms), mci::Error::None);
    return ms;
}

bool within(quint32 actual, quint32 expected, quint32 tolerance) {
    return (actual > expected ? actual - expected : expected - actual) <= tolerance;
}

bool libmpvLoaded() {
    QFile maps(QStringLiteral("/proc/self/maps"));
    return maps.open(QIODevice::ReadOnly) && maps.readAll().contains("libmpv");
}

}  // namespace

TEST(MpvDevice, LibmpvIsLoadedWhenTheFirstDeviceIsMade) {
    // Only a process that has made no device yet can tell: the test runs again in one.
    const char* fresh = "CINEVAN_TEST_FRESH_PROCESS";
    if (!qEnvironmentVariableIsSet(fresh)) {
        QProcess child;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QString::fromLatin1(fresh), QStringLiteral("1"));
        child.setProcessEnvironment(environment);
        child.setProcessChannelMode(QProcess::MergedChannels);
        child.start(
            QStringLiteral("/proc/self/exe"),
            {QStringLiteral("--gtest_filter=MpvDevice.LibmpvIsLoadedWhenTheFirstDeviceIsMade")});
        ASSERT_TRUE(child.waitForFinished(60000));
        EXPECT_EQ(child.exitCode(), 0) << child.readAll().toStdString();
        return;
    }
    EXPECT_FALSE(libmpvLoaded()) << "starting the program does not load the engine";
    mci::MpvDeviceType type;
    EXPECT_FALSE(libmpvLoaded()) << "the device table alone does not load the engine";
    const auto device = type.create();
    ASSERT_NE(device, nullptr);
    EXPECT_TRUE(libmpvLoaded());
    QString product;
    ASSERT_EQ(device->infoProduct(product), mci::Error::None);
    EXPECT_TRUE(product.contains(QStringLiteral("libmpv client API 2."))) << product.toStdString();
}

TEST(MpvDevice, OpeningAFifoOrFolderFailsAtOnce) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString fifo = dir.filePath("stalled.mpg");
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    for (const QString& element : {fifo, dir.path()}) {
        SCOPED_TRACE(element.toStdString());
        QElapsedTimer timer;
        timer.start();
        {
            mci::MpvDevice device;
            EXPECT_EQ(device.openElement(element), mci::Error::InvalidFile);
        }
        EXPECT_LT(timer.elapsed(), 3000) << "open and close must not wait on the source";
    }
}

TEST(MpvDevice, MissingFileIsReportedAsNotFound) {
    mci::MpvDevice device;
    EXPECT_EQ(device.openElement(QDir::tempPath() + "/cinevan-missing/x.mpg"),
              mci::Error::FileNotFound);
    quint32 ms = 0;
    EXPECT_NE(device.statusPosition(ms), mci::Error::None);
    EXPECT_NE(device.play(0, 1000), mci::Error::None);
}

TEST(MpvDevice, SeekBeyondAnEarlierRangeRestsThereAndPlaysOn) {
    mci::MpvDevice device;
    ASSERT_EQ(device.openElement(mediaFixture("clip-mpeg1.mpg")), mci::Error::None);
    ASSERT_EQ(device.play(1000, 1400), mci::Error::None);
    QTest::qWait(1000);
    EXPECT_TRUE(within(positionOf(device), 1400, 80)) << positionOf(device);
    ASSERT_EQ(device.seek(4000), mci::Error::None);
    QTest::qWait(600);
    EXPECT_TRUE(within(positionOf(device), 4000, 40)) << positionOf(device);
    ASSERT_EQ(device.play(4000, 4400), mci::Error::None);
    QTest::qWait(1000);
    EXPECT_TRUE(within(positionOf(device), 4400, 80)) << positionOf(device);
}

TEST(MpvDevice, DetachedSurfaceLeavesTheHostAndPlaybackGoesOn) {
    QWidget host;
    mci::MpvDevice device;
    ASSERT_EQ(device.openElement(mediaFixture("clip-mpeg1.mpg")), mci::Error::None);
    ASSERT_EQ(device.window(&host), mci::Error::None);
    ASSERT_NE(device.surface(), nullptr);
    ASSERT_EQ(device.play(0, 3000), mci::Error::None);
    ASSERT_EQ(device.window(nullptr), mci::Error::None);
    EXPECT_EQ(host.findChild<QWidget*>(), nullptr);
    const quint32 before = positionOf(device);
    QTest::qWait(500);
    EXPECT_GT(positionOf(device), before);
}

TEST(MpvDevice, HostDestroyedBeforeTheDeviceIsSafe) {
    mci::MpvDevice device;
    ASSERT_EQ(device.openElement(mediaFixture("clip-mpeg1.mpg")), mci::Error::None);
    {
        QWidget host;
        ASSERT_EQ(device.window(&host), mci::Error::None);
    }
    EXPECT_EQ(device.surface(), nullptr);
    EXPECT_EQ(device.play(0, 500), mci::Error::None);
}

TEST(MpvWaveAudio, IsLeftOutOfTheMovieDevices) {
    mci::MpvSoundDeviceType type;
    EXPECT_EQ(type.name(), "WaveAudio");
    auto device = type.create();
    ASSERT_EQ(device->openElement(QString()), mci::Error::None);
    quint32 hasVideo = 1;
    quint32 usesFiles = 0;
    EXPECT_EQ(device->getDevCaps(mci::DevCapsItem::HasVideo, hasVideo), mci::Error::None);
    EXPECT_EQ(device->getDevCaps(mci::DevCapsItem::UsesFiles, usesFiles), mci::Error::None);
    EXPECT_EQ(hasVideo, 0u);
    EXPECT_EQ(usesFiles, 1u);
    QString product;
    EXPECT_EQ(device->infoProduct(product), mci::Error::None);
    EXPECT_TRUE(product.contains("libmpv")) << product.toStdString();
}

TEST(MpvWaveAudio, PlaysPausesAndSeeksTheSound) {
    auto device = mci::MpvSoundDeviceType().create();
    ASSERT_EQ(device->openElement(mediaFixture("clip-mpeg1.mpg")), mci::Error::None);
    QSize size;
    EXPECT_NE(device->whereSource(size), mci::Error::None);
    QWidget host;
    EXPECT_NE(device->window(&host), mci::Error::None);
    EXPECT_NE(device->putDestination(QRect(0, 0, 64, 48)), mci::Error::None);
    EXPECT_TRUE(host.children().isEmpty());
    quint32 length = 0;
    ASSERT_EQ(device->statusLength(length), mci::Error::None);
    EXPECT_TRUE(within(length, 6000, 40)) << length;

    ASSERT_EQ(device->play(1000, 2000), mci::Error::None);
    QTest::qWait(500);
    ASSERT_EQ(device->pause(), mci::Error::None);
    QTest::qWait(100);
    const quint32 held = positionOf(*device);
    EXPECT_GT(held, 1000u);
    QTest::qWait(400);
    EXPECT_EQ(positionOf(*device), held);
    ASSERT_EQ(device->resume(), mci::Error::None);
    QTest::qWait(1200);
    EXPECT_TRUE(within(positionOf(*device), 2000, 80)) << positionOf(*device);
    ASSERT_EQ(device->seek(3500), mci::Error::None);
    QTest::qWait(400);
    EXPECT_TRUE(within(positionOf(*device), 3500, 40)) << positionOf(*device);
}

TEST(MpvWaveAudio, RefusesTextFiles) {
    auto device = mci::MpvSoundDeviceType().create();
    EXPECT_NE(device->openElement(mediaFixture("not-a-movie.mpg")), mci::Error::None);
}

}  // namespace cinevan::test
