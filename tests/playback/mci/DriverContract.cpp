#include "tests/playback/mci/DriverContract.h"

#include <QDir>
#include <QElapsedTimer>
#include <QTest>
#include <QTimer>
#include <QWidget>
#include <memory>
#include <optional>

#include "tests/support/HangingShare.h"
#include "tests/support/MediaFixtures.h"

namespace cinevan::test {

namespace {

constexpr quint32 kClipMs = 6000;

int entriesIn(const char* folder) {
    return QDir(folder).entryList(QDir::NoDotAndDotDot).size();
}
int openFileCount() {
    return entriesIn("/proc/self/fd");
}
int threadCount() {
    return entriesIn("/proc/self/task");
}

}  // namespace

::testing::AssertionResult near(quint32 actual, quint32 expected, quint32 tolerance) {
    const quint32 diff = actual > expected ? actual - expected : expected - actual;
    if (diff <= tolerance) {
        return ::testing::AssertionSuccess();
    }
    return ::testing::AssertionFailure() << actual << " is " << diff << " ms away from " << expected
                                         << " (allowed " << tolerance << ")";
}

void DriverContract::SetUp() {
    type_ = GetParam().makeType();
    ASSERT_NE(type_, nullptr);
}

void DriverContract::TearDown() {
    device_.reset();
    type_.reset();
}

mci::MediaDevice& DriverContract::openFixture(const QString& fixture) {
    return openPath(mediaFixture(fixture));
}

mci::MediaDevice& DriverContract::openPath(const QString& path) {
    device_ = type_->create();
    EXPECT_NE(device_, nullptr);
    const mci::MciError error = device_->openElement(path);
    EXPECT_EQ(error, mci::Error::None) << path.toStdString();
    EXPECT_EQ(device_->setTimeFormatMilliseconds(), mci::Error::None);
    return *device_;
}

quint32 DriverContract::length() {
    quint32 ms = 0;
    EXPECT_EQ(device_->statusLength(ms), mci::Error::None);
    return ms;
}

void DriverContract::expectRangePlaysAndRests(quint32 fromMs, quint32 toMs) {
    ASSERT_EQ(device_->play(fromMs, toMs), mci::Error::None);
    QTest::qWait(700);
    const quint32 midway = position();
    EXPECT_GT(midway, fromMs);
    EXPECT_LT(midway, toMs);
    EXPECT_TRUE(near(waitUntilResting(), toMs, 2 * kFrameMs));
}

quint32 DriverContract::position() {
    quint32 ms = 0;
    EXPECT_EQ(device_->statusPosition(ms), mci::Error::None);
    return ms;
}

quint32 DriverContract::waitUntilResting(int quietMs, int timeoutMs) {
    QElapsedTimer total;
    total.start();
    QElapsedTimer quiet;
    quiet.start();
    quint32 last = position();
    while (total.elapsed() < timeoutMs) {
        QTest::qWait(50);
        const quint32 now = position();
        if (now != last) {
            last = now;
            quiet.restart();
        } else if (quiet.elapsed() >= quietMs) {
            break;
        }
    }
    return last;
}

TEST_P(DriverContract, ReportsSourceSizeAndLengthOfEveryMpegKind) {
    for (const char* fixture : {"clip-mpeg1.mpg", "clip-mpeg2.mpg", "track.dat"}) {
        SCOPED_TRACE(fixture);
        auto& device = openFixture(fixture);
        QSize size;
        EXPECT_EQ(device.whereSource(size), mci::Error::None);
        EXPECT_EQ(size, QSize(352, 288));
        quint32 length = 0;
        EXPECT_EQ(device.statusLength(length), mci::Error::None);
        EXPECT_TRUE(near(length, kClipMs, kFrameMs));
        EXPECT_TRUE(near(position(), 0, kFrameMs));
    }
}

TEST_P(DriverContract, PlayRangeStopsAndRestsAtTo) {
    for (const char* fixture : {"clip-mpeg1.mpg", "track.dat"}) {
        SCOPED_TRACE(fixture);
        openFixture(fixture);
        expectRangePlaysAndRests(2000, 4000);
        QTest::qWait(500);
        EXPECT_TRUE(near(position(), 4000, 2 * kFrameMs)) << "must rest, not rewind or unload";
    }
}

TEST_P(DriverContract, PauseHoldsAndResumePlaysOnToTheLastTo) {
    auto& device = openFixture("clip-mpeg1.mpg");
    ASSERT_EQ(device.play(1000, 3500), mci::Error::None);
    QTest::qWait(800);
    ASSERT_EQ(device.pause(), mci::Error::None);
    QTest::qWait(150);
    const quint32 held = position();
    EXPECT_GT(held, 1000u);
    QTest::qWait(600);
    EXPECT_TRUE(near(position(), held, kFrameMs)) << "pause must hold the position";

    ASSERT_EQ(device.resume(), mci::Error::None);
    QTest::qWait(400);
    EXPECT_GT(position(), held);
    EXPECT_TRUE(near(waitUntilResting(), 3500, 2 * kFrameMs));
}

TEST_P(DriverContract, SeekRestsAtTheTarget) {
    for (const char* fixture : {"clip-mpeg1.mpg", "clip-mpeg2.mpg", "track.dat"}) {
        SCOPED_TRACE(fixture);
        auto& device = openFixture(fixture);
        for (quint32 target : {3000u, 1520u, 5000u}) {
            ASSERT_EQ(device.seek(target), mci::Error::None);
            QTest::qWait(300);
            EXPECT_TRUE(near(position(), target, kFrameMs));
        }
        QTest::qWait(500);
        EXPECT_TRUE(near(position(), 5000, kFrameMs)) << "seek leaves the device paused";
        // Playing on from a seek works.
        ASSERT_EQ(device.play(5000, 5600), mci::Error::None);
        EXPECT_TRUE(near(waitUntilResting(), 5600, 2 * kFrameMs));
    }
}

TEST_P(DriverContract, EveryMovieEndsWithItsPositionAtItsLength) {
    // Streams of several multiplexers and encoders, with sound shorter or longer than the
    // pictures and time stamps that start late: (file, length of the pictures in ms).
    const std::pair<const char*, quint32> movies[] = {
        {"mplex-vcd.mpg", 8000},           {"mplex-vcd-short-sound.mpg", 5000},
        {"mplex-svcd.mpg", 3000},          {"ff-vcd-long-sound.mpg", 4000},
        {"ff-svcd-short-sound.mpg", 4000}, {"ff-late-start.mpg", 4000},
        {"clip-mpeg1.mpg", kClipMs},       {"track.dat", kClipMs},
    };
    for (const auto& [fixture, picturesMs] : movies) {
        SCOPED_TRACE(fixture);
        openFixture(fixture);
        const quint32 total = length();
        EXPECT_GE(total + kFrameMs, picturesMs);
        // The range plays (it does not end at once) and rests exactly at the length.
        expectRangePlaysAndRests(total > 1500 ? total - 1500 : 0, total);
        EXPECT_EQ(position(), total) << "the end of the movie is reported as its length";
        QTest::qWait(600);
        EXPECT_EQ(position(), total) << "and the device rests there";
    }
}

TEST_P(DriverContract, BadElementsFailWithAnError) {
    const QString missing = QDir::tempPath() + "/cinevan-no-such-movie.mpg";
    for (const QString& element :
         {missing, mediaFixture("not-a-movie.mpg"), mediaFixture("truncated.mpg")}) {
        SCOPED_TRACE(element.toStdString());
        QElapsedTimer timer;
        timer.start();
        auto device = type_->create();
        ASSERT_NE(device, nullptr);
        EXPECT_NE(device->openElement(element), mci::Error::None);
        EXPECT_LT(timer.elapsed(), 10000) << "open must answer within a bounded time";
    }
}

TEST_P(DriverContract, OpenWithoutFileAnswersCapabilitiesAndProduct) {
    auto device = type_->create();
    ASSERT_NE(device, nullptr);
    ASSERT_EQ(device->openElement(QString()), mci::Error::None);
    quint32 hasVideo = 0;
    quint32 usesFiles = 0;
    EXPECT_EQ(device->getDevCaps(mci::DevCapsItem::HasVideo, hasVideo), mci::Error::None);
    EXPECT_EQ(device->getDevCaps(mci::DevCapsItem::UsesFiles, usesFiles), mci::Error::None);
    EXPECT_NE(hasVideo & usesFiles & 0xFF, 0u);
    QString product;
    EXPECT_EQ(device->infoProduct(product), mci::Error::None);
    EXPECT_FALSE(product.trimmed().isEmpty());
}

TEST_P(DriverContract, VideoFollowsTheWindowAndDestinationCommands) {
    QWidget first;
    QWidget second;
    first.resize(400, 300);
    second.resize(800, 600);
    auto& device = openFixture("clip-mpeg1.mpg");
    ASSERT_EQ(device.putDestination(QRect(0, 0, 352, 288)), mci::Error::None);
    ASSERT_EQ(device.window(&first), mci::Error::None);
    ASSERT_EQ(device.play(0, 2000), mci::Error::None);
    QTest::qWait(300);
    auto surfaceOf = [](QWidget& host) { return host.findChild<QWidget*>(); };
    ASSERT_NE(surfaceOf(first), nullptr);
    EXPECT_EQ(surfaceOf(first)->geometry(), QRect(0, 0, 352, 288));

    ASSERT_EQ(device.window(&second), mci::Error::None);
    ASSERT_EQ(device.putDestination(QRect(0, 0, 800, 600)), mci::Error::None);
    EXPECT_EQ(surfaceOf(first), nullptr);
    ASSERT_NE(surfaceOf(second), nullptr);
    EXPECT_EQ(surfaceOf(second)->geometry(), QRect(0, 0, 800, 600));
    const quint32 before = position();
    QTest::qWait(400);
    EXPECT_GT(position(), before) << "moving the video must not stop playback";
}

TEST_P(DriverContract, CloseReleasesThreadsAndFiles) {
    // One warm-up cycle lets an engine create its process-wide pools once.
    openFixture("clip-mpeg1.mpg").play(0, 1000);
    QTest::qWait(200);
    device_.reset();
    QTest::qWait(300);
    const int files = openFileCount();
    const int threads = threadCount();
    for (int i = 0; i < 4; ++i) {
        openFixture(i % 2 ? "track.dat" : "clip-mpeg2.mpg").play(0, 1000);
        QTest::qWait(150);
        device_.reset();
    }
    QTest::qWait(500);
    EXPECT_EQ(openFileCount(), files);
    EXPECT_LE(threadCount(), threads);
}

// The answer of an open, as the device gives it.
struct OpenAnswer {
    std::optional<mci::MciError> error;
    int count = 0;
};

// Starts opening `element` on `device`; the answer lands in the returned record.
std::shared_ptr<OpenAnswer> beginOpen(mci::MediaDevice& device, const QString& element) {
    auto answer = std::make_shared<OpenAnswer>();
    device.beginOpen(element, QDeadlineTimer(mci::kOpenTimeLimitMs), [answer](mci::MciError e) {
        answer->error = e;
        ++answer->count;
    });
    return answer;
}

// Runs the event loop until `answer` has come, counting the ticks of a 100 ms timer meanwhile.
int ticksUntilAnswered(const OpenAnswer& answer) {
    int ticks = 0;
    QTimer ticker;
    // Only ticks that come before the answer count: an event loop held up by the open would
    // deliver them afterwards.
    QObject::connect(&ticker, &QTimer::timeout, [&] { ticks += answer.error.has_value() ? 0 : 1; });
    ticker.start(100);
    EXPECT_TRUE(
        QTest::qWaitFor([&] { return answer.error.has_value(); }, 3 * mci::kOpenTimeLimitMs));
    return ticks;
}

TEST_P(DriverContract, AMovieOpensWhileTheEventLoopRunsAndAnswersOnce) {
    device_ = type_->create();
    ASSERT_NE(device_, nullptr);
    const auto answer = beginOpen(*device_, mediaFixture("clip-mpeg1.mpg"));
    EXPECT_FALSE(answer->error) << "the engine's work does not keep the caller waiting";
    ticksUntilAnswered(*answer);
    ASSERT_EQ(answer->error, mci::Error::None);
    QTest::qWait(200);
    EXPECT_EQ(answer->count, 1);
    EXPECT_GT(length(), 4000u) << "the device is open on the six-second movie";
    expectRangePlaysAndRests(1000, 2000);
}

TEST_P(DriverContract, AFileOnAShareThatStopsAnsweringTimesOutWhileTheEventLoopRuns) {
    const HangingShare share;
    if (!share.mounted()) {
        GTEST_SKIP() << "FUSE cannot be mounted here";
    }
    auto device = type_->create();
    ASSERT_NE(device, nullptr);
    const auto answer = beginOpen(*device, share.path(QStringLiteral("gone.mpg")));
    EXPECT_GT(ticksUntilAnswered(*answer), 2) << "the event loop ran while the share hung";
    EXPECT_EQ(answer->error, mci::Error::DeviceNotReady);

    // A device destroyed while it waits goes at once and never answers.
    auto waiting = type_->create();
    const auto abandoned = beginOpen(*waiting, share.path(QStringLiteral("other.mpg")));
    QElapsedTimer timer;
    timer.start();
    waiting.reset();
    EXPECT_LT(timer.elapsed(), mci::kOpenTimeLimitMs) << "nobody waits for the share";
    QTest::qWait(mci::kOpenTimeLimitMs + 500);
    EXPECT_EQ(abandoned->count, 0);
}

TEST_P(DriverContract, ADeviceDestroyedWhileItsEngineLoadsNeverAnswers) {
    for (const int delayMs : {0, 20, 60}) {
        SCOPED_TRACE(delayMs);
        auto device = type_->create();
        ASSERT_NE(device, nullptr);
        const auto answer = beginOpen(*device, mediaFixture("clip-mpeg1.mpg"));
        QTest::qWait(delayMs);
        if (answer->error) {
            continue;  // this machine was quicker than the delay
        }
        device.reset();
        QTest::qWait(500);
        EXPECT_EQ(answer->count, 0);
    }
}

}  // namespace cinevan::test
