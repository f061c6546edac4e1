#include <gtest/gtest.h>

#include <QWidget>
#include <limits>

#include "playback/mci/DeviceLayer.h"
#include "playback/mci/simulated/SimulatedDevice.h"

namespace cinevan::mci {
namespace {

const QString kMovie = QStringLiteral("/movies/ten-minutes.mpg");

class SimulatedDeviceTest : public ::testing::Test {
protected:
    void SetUp() override {
        SimulatedTypeScript script;
        script.name = QStringLiteral("ActiveMovie");
        script.product = QStringLiteral("Simulated engine 1.0");
        script.defaultElement.lengthMs = 600000;
        script.defaultElement.sourceSize = QSize(320, 240);
        type_ = &sim_.add(layer_, script);
    }

    DeviceId open(const QString& element = kMovie) {
        DeviceId id = 0;
        EXPECT_EQ(layer_.open(QStringLiteral("ActiveMovie"), element, id), Error::None);
        return id;
    }

    quint32 after(qint64 ms) {
        sim_.clock->advance(ms);
        quint32 position = 0;
        EXPECT_EQ(layer_.statusPosition(id_, position), Error::None);
        return position;
    }

    SimulatedDevices sim_;
    DeviceLayer layer_;
    SimulatedDeviceType* type_ = nullptr;
    DeviceId id_ = 0;
};

TEST_F(SimulatedDeviceTest, OpenedDeviceRestsAtZeroAndDescribesTheFile) {
    id_ = open();
    EXPECT_EQ(after(5000), 0u);
    QSize size;
    EXPECT_EQ(layer_.whereSource(id_, size), Error::None);
    EXPECT_EQ(size, QSize(320, 240));
    quint32 length = 0;
    EXPECT_EQ(layer_.statusLength(id_, length), Error::None);
    EXPECT_EQ(length, 600000u);
    QString product;
    EXPECT_EQ(layer_.infoProduct(id_, product), Error::None);
    EXPECT_EQ(product, "Simulated engine 1.0");
}

TEST_F(SimulatedDeviceTest, PlayRangeRunsOnTheClockAndRestsAtTo) {
    id_ = open();
    ASSERT_EQ(layer_.play(id_, 2000, 4000), Error::None);
    EXPECT_EQ(after(0), 2000u);
    EXPECT_EQ(after(700), 2700u);
    EXPECT_EQ(after(1300), 4000u);
    EXPECT_EQ(after(60000), 4000u) << "rests at to, not rewound";

    // A later play replaces the range.
    ASSERT_EQ(layer_.play(id_, 100, 900), Error::None);
    EXPECT_EQ(after(500), 600u);
    EXPECT_EQ(after(500), 900u);
}

TEST_F(SimulatedDeviceTest, PauseHoldsAndResumeRunsOnToTheLastTo) {
    id_ = open();
    ASSERT_EQ(layer_.play(id_, 1000, 3500), Error::None);
    EXPECT_EQ(after(800), 1800u);
    ASSERT_EQ(layer_.pause(id_), Error::None);
    EXPECT_EQ(after(1000), 1800u);
    ASSERT_EQ(layer_.pause(id_), Error::None);
    EXPECT_EQ(after(1000), 1800u) << "a second pause changes nothing";
    ASSERT_EQ(layer_.resume(id_), Error::None);
    EXPECT_EQ(after(400), 2200u);
    EXPECT_EQ(after(5000), 3500u);
}

TEST_F(SimulatedDeviceTest, SeekRestsAtTheTargetAndResumeKeepsTheLastTo) {
    id_ = open();
    ASSERT_EQ(layer_.play(id_, 0, 5000), Error::None);
    after(1000);
    ASSERT_EQ(layer_.seek(id_, 3000), Error::None);
    EXPECT_EQ(after(2000), 3000u);
    ASSERT_EQ(layer_.seek(id_, 700000), Error::None);
    EXPECT_EQ(after(0), 600000u) << "a target beyond the end rests at the end";
    ASSERT_EQ(layer_.seek(id_, 4500), Error::None);
    ASSERT_EQ(layer_.resume(id_), Error::None);
    EXPECT_EQ(after(300), 4800u);
    EXPECT_EQ(after(3000), 5000u);

    // Seeking past the last `to` and resuming stays there instead of running backwards.
    ASSERT_EQ(layer_.seek(id_, 8000), Error::None);
    ASSERT_EQ(layer_.resume(id_), Error::None);
    EXPECT_EQ(after(1000), 8000u);
}

TEST_F(SimulatedDeviceTest, RangesBeyondTheEndAreCutAtTheEnd) {
    id_ = open();
    ASSERT_EQ(layer_.play(id_, 599000, 650000), Error::None);
    EXPECT_EQ(after(5000), 600000u);
    ASSERT_EQ(layer_.play(id_, 700000, 800000), Error::None);
    EXPECT_EQ(after(1000), 600000u);
    ASSERT_EQ(layer_.play(id_, 5000, 1000), Error::None);
    EXPECT_EQ(after(1000), 5000u) << "an empty range does not move";
}

TEST_F(SimulatedDeviceTest, StallStopsThePositionShortOfTheEnd) {
    SimulatedElement& element = type_->script().elements[kMovie];
    element.lengthMs = 120000;
    element.stallAtMs = 119500;
    id_ = open();
    ASSERT_EQ(layer_.play(id_, 118000, 120000), Error::None);
    EXPECT_EQ(after(1000), 119000u);
    EXPECT_EQ(after(1000), 119500u);
    EXPECT_EQ(after(10000), 119500u);
    ASSERT_EQ(layer_.resume(id_), Error::None);
    EXPECT_EQ(after(1000), 119500u) << "still stuck";

    // A run that ends before the stall, or starts after it, is not affected.
    ASSERT_EQ(layer_.play(id_, 0, 1000), Error::None);
    EXPECT_EQ(after(2000), 1000u);
    ASSERT_EQ(layer_.play(id_, 119600, 120000), Error::None);
    EXPECT_EQ(after(2000), 120000u);
}

TEST_F(SimulatedDeviceTest, ShortStallHoldsThePositionThenRunsOn) {
    SimulatedElement& element = type_->script().elements[kMovie];
    element.stallAtMs = 30000;
    element.stallForMs = 1000;
    id_ = open();
    ASSERT_EQ(layer_.play(id_, 29000, 60000), Error::None);
    EXPECT_EQ(after(1000), 30000u);
    EXPECT_EQ(after(500), 30000u);
    EXPECT_EQ(after(500), 30000u);
    EXPECT_EQ(after(500), 30500u);
    EXPECT_EQ(after(60000), 60000u);
}

TEST_F(SimulatedDeviceTest, ScriptedFailuresAnswerWithTheirErrors) {
    SimulatedElement& broken = type_->script().elements[kMovie];
    broken.whereSourceError = Error::Hardware;
    broken.positionError = Error::Driver;
    broken.positionGarbage = 0xBAADF00D;
    id_ = open();
    QSize size(5, 5);
    EXPECT_EQ(layer_.whereSource(id_, size), Error::Hardware);
    EXPECT_FALSE(size.isValid());
    quint32 position = 0;
    EXPECT_EQ(layer_.statusPosition(id_, position), Error::Driver);
    EXPECT_EQ(position, 0xBAADF00Du);

    type_->script().openError = Error::DeviceNotReady;
    DeviceId other = 0;
    EXPECT_EQ(layer_.open(QStringLiteral("ActiveMovie"), QString(), other), Error::DeviceNotReady);
    type_->script().openError = Error::None;
    type_->script().productError = Error::Hardware;
    type_->script().elements[QStringLiteral("/movies/gone.mpg")].openError = Error::FileNotFound;
    EXPECT_EQ(layer_.open(QStringLiteral("ActiveMovie"), QStringLiteral("/movies/gone.mpg"), other),
              Error::FileNotFound);
    ASSERT_EQ(layer_.open(QStringLiteral("ActiveMovie"), QString(), other), Error::None);
    QString product = QStringLiteral("stale");
    EXPECT_EQ(layer_.infoProduct(other, product), Error::Hardware);
    EXPECT_TRUE(product.isEmpty());
}

TEST_F(SimulatedDeviceTest, WithoutAFileOnlyDeviceQueriesWork) {
    type_->script().hasVideo = 0x100;  // answers are given back exactly as scripted
    id_ = open(QString());
    quint32 answer = 0;
    EXPECT_EQ(layer_.getDevCaps(id_, DevCapsItem::HasVideo, answer), Error::None);
    EXPECT_EQ(answer, 0x100u);
    EXPECT_EQ(layer_.getDevCaps(id_, DevCapsItem::UsesFiles, answer), Error::None);
    EXPECT_EQ(answer, 1u);
    EXPECT_EQ(layer_.configure(id_, nullptr), Error::None);
    quint32 ms = 0;
    EXPECT_NE(layer_.statusLength(id_, ms), Error::None);
    EXPECT_NE(layer_.play(id_, 0, 1000), Error::None);
}

TEST_F(SimulatedDeviceTest, LogRecordsEveryCommandWithItsArguments) {
    QWidget host;
    host.setObjectName(QStringLiteral("TabSheetMovie"));
    id_ = open();
    QSize size;
    quint32 ms = 0;
    layer_.whereSource(id_, size);
    layer_.window(id_, &host);
    layer_.putDestination(id_, QRect(0, 0, 352, 288));
    layer_.setTimeFormatMilliseconds(id_);
    layer_.statusLength(id_, ms);
    layer_.play(id_, 2000, 4000);
    layer_.statusPosition(id_, ms);
    layer_.pause(id_);
    layer_.resume(id_);
    layer_.seek(id_, 3000);
    layer_.window(id_, nullptr);
    layer_.close(id_);

    EXPECT_EQ(
        sim_.log->commands(),
        QStringList({"open " + kMovie, "where source", "window TabSheetMovie", "put 0 0 352 288",
                     "set time format ms", "status length", "play 2000 4000", "status position",
                     "pause", "resume", "seek 3000", "window none", "close"}));
    EXPECT_EQ(sim_.log->commands(SimulatedLog::Filter::Actions),
              QStringList({"open " + kMovie, "window TabSheetMovie", "put 0 0 352 288",
                           "set time format ms", "play 2000 4000", "pause", "resume", "seek 3000",
                           "window none", "close"}));
}

TEST_F(SimulatedDeviceTest, SharedLogTellsDevicesAndTypesApart) {
    SimulatedTypeScript other;
    other.name = QStringLiteral("MPEGVideo");
    sim_.add(layer_, other);
    const DeviceId first = open();
    DeviceId second = 0;
    ASSERT_EQ(layer_.open(QStringLiteral("MPEGVideo"), kMovie, second), Error::None);
    layer_.pause(first);
    layer_.pause(second);

    const auto& entries = sim_.log->entries();
    ASSERT_EQ(entries.size(), 4u);
    EXPECT_EQ(entries[2].type, "ActiveMovie");
    EXPECT_EQ(entries[3].type, "MPEGVideo");
    EXPECT_EQ(entries[2].device, entries[0].device);
    EXPECT_EQ(entries[3].device, entries[1].device);
    EXPECT_NE(entries[0].device, entries[1].device);
}

TEST(VirtualClock, MovesOnlyForwardAndOnlyWhenTold) {
    VirtualClock clock;
    EXPECT_EQ(clock.nowMs(), 0);
    clock.advance(500);
    clock.advance(-200);
    EXPECT_EQ(clock.nowMs(), 500);
    clock.advance(std::numeric_limits<qint64>::max());
    EXPECT_EQ(clock.nowMs(), std::numeric_limits<qint64>::max()) << "saturates, no overflow";
}

}  // namespace
}  // namespace cinevan::mci
