#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QSet>
#include <QWidget>
#include <functional>
#include <utility>
#include <vector>

#include "playback/mci/DeviceLayer.h"
#include "playback/mci/InstalledDevices.h"
#include "playback/mci/simulated/SimulatedDevice.h"

namespace cinevan::mci {
namespace {

SimulatedTypeScript named(const char* name) {
    SimulatedTypeScript script;
    script.name = QString::fromLatin1(name);
    return script;
}

class DeviceLayerTest : public ::testing::Test {
protected:
    void SetUp() override {
        sim_.add(layer_, named("ActiveMovie"));
        sim_.add(layer_, named("MPEGVideo"));
        SimulatedTypeScript cd = named("CDAudio");
        cd.hasVideo = 0;
        cd.usesFiles = 0;
        sim_.add(layer_, cd);
    }

    DeviceId openOk(const QString& type, const QString& element = QStringLiteral("/m/a.mpg")) {
        DeviceId id = 0;
        EXPECT_EQ(layer_.open(type, element, id), Error::None) << type.toStdString();
        EXPECT_NE(id, 0u);
        return id;
    }

    quint32 positionOf(DeviceId id) {
        quint32 ms = 0;
        EXPECT_EQ(layer_.statusPosition(id, ms), Error::None);
        return ms;
    }

    SimulatedDevices sim_;
    DeviceLayer layer_;
};

// The answers of opens started with beginOpen, in the order they came.
struct OpenAnswers {
    std::vector<std::pair<MciError, DeviceId>> given;
    DeviceLayer::OpenDone record() {
        return [this](MciError error, DeviceId id) { given.emplace_back(error, id); };
    }
};

TEST_F(DeviceLayerTest, AnOpenThatAnswersLaterIsOpenOnlyOnceItsAnswerArrives) {
    SimulatedTypeScript later = named("Later");
    later.defaultElement.answersLater = true;
    sim_.add(layer_, later);
    OpenAnswers answers;

    const auto unknown = layer_.beginOpen(QStringLiteral("Nothing"), QStringLiteral("/m/a.mpg"),
                                          QDeadlineTimer(1000), answers.record());
    EXPECT_EQ(unknown, 0u);
    ASSERT_EQ(answers.given.size(), 1u) << "an unknown type is answered at once";
    EXPECT_EQ(answers.given[0].first, Error::InvalidDeviceName);

    const auto ticket = layer_.beginOpen(QStringLiteral("Later"), QStringLiteral("/m/a.mpg"),
                                         QDeadlineTimer(1000), answers.record());
    EXPECT_NE(ticket, 0u);
    EXPECT_EQ(layer_.openingCount(), 1u);
    EXPECT_EQ(layer_.openCount(), 0u);
    sim_.log->answerHeldOpens();
    EXPECT_EQ(answers.given.size(), 1u) << "the answer waits for the event loop";
    QCoreApplication::processEvents();
    ASSERT_EQ(answers.given.size(), 2u);
    EXPECT_EQ(answers.given[1].first, Error::None);
    EXPECT_NE(answers.given[1].second, 0u);
    EXPECT_EQ(layer_.openingCount(), 0u);
    EXPECT_EQ(layer_.openCount(), 1u);
    EXPECT_EQ(layer_.play(answers.given[1].second, 0, 1000), Error::None);

    layer_.cancelOpen(ticket);  // already answered: nothing happens
    EXPECT_EQ(layer_.openCount(), 1u);
}

TEST_F(DeviceLayerTest, ACancelledOpenLetsItsDeviceGoAndNeverAnswers) {
    SimulatedTypeScript later = named("Later");
    later.defaultElement.answersLater = true;
    sim_.add(layer_, later);
    OpenAnswers answers;
    const auto first = layer_.beginOpen(QStringLiteral("Later"), QStringLiteral("/m/a.mpg"),
                                        QDeadlineTimer(1000), answers.record());
    const auto second = layer_.beginOpen(QStringLiteral("Later"), QStringLiteral("/m/b.mpg"),
                                         QDeadlineTimer(1000), answers.record());
    EXPECT_EQ(sim_.log->heldOpenCount(), 2u);

    layer_.cancelOpen(first);
    EXPECT_EQ(sim_.log->heldOpenCount(), 1u) << "the first device is gone";
    sim_.log->answerHeldOpens();
    layer_.cancelOpen(second);  // its answer is on the way
    QCoreApplication::processEvents();
    EXPECT_TRUE(answers.given.empty());
    EXPECT_EQ(layer_.openCount(), 0u);
    EXPECT_EQ(sim_.log->commands(), QStringList({"open /m/a.mpg", "open /m/b.mpg", "close"}))
        << "the device that had opened is closed";
}

TEST_F(DeviceLayerTest, SysinfoListsTheTypesInRegistrationOrder) {
    quint32 count = 0;
    EXPECT_EQ(layer_.sysinfoQuantity(count), Error::None);
    EXPECT_EQ(count, 3u);
    QStringList names;
    for (quint32 k = 1; k <= count; ++k) {
        QString name;
        EXPECT_EQ(layer_.sysinfoName(k, name), Error::None);
        names << name;
    }
    EXPECT_EQ(names, QStringList({"ActiveMovie", "MPEGVideo", "CDAudio"}));

    QString name = QStringLiteral("stale");
    EXPECT_EQ(layer_.sysinfoName(0, name), Error::OutOfRange);
    EXPECT_TRUE(name.isEmpty());
    EXPECT_EQ(layer_.sysinfoName(4, name), Error::OutOfRange);
}

TEST_F(DeviceLayerTest, OpensByTypeNameWithoutRegardToCase) {
    const DeviceId id = openOk(QStringLiteral("mpegVIDEO"));
    ASSERT_EQ(sim_.log->entries().size(), 1u);
    EXPECT_EQ(sim_.log->entries()[0].type, "MPEGVideo");
    EXPECT_EQ(sim_.log->entries()[0].text, "open /m/a.mpg");
    EXPECT_EQ(layer_.close(id), Error::None);

    DeviceId unknown = 99;
    EXPECT_EQ(layer_.open(QStringLiteral("QuickTime"), QStringLiteral("/m/a.mpg"), unknown),
              Error::InvalidDeviceName);
    EXPECT_EQ(unknown, 0u);
    EXPECT_EQ(layer_.open(QString(), QString(), unknown), Error::InvalidDeviceName);
    EXPECT_EQ(layer_.openCount(), 0u);
}

TEST_F(DeviceLayerTest, FailedOpenLeavesNothingOpen) {
    SimulatedTypeScript broken = named("Broken");
    broken.elements[QStringLiteral("/m/bad.mpg")].openError = Error::InvalidFile;
    sim_.add(layer_, broken);
    SimulatedTypeScript missing = named("Missing");
    missing.loadable = false;
    sim_.add(layer_, missing);

    DeviceId id = 77;
    EXPECT_EQ(layer_.open(QStringLiteral("Broken"), QStringLiteral("/m/bad.mpg"), id),
              Error::InvalidFile);
    EXPECT_EQ(id, 0u);
    id = 77;
    EXPECT_EQ(layer_.open(QStringLiteral("missing"), QStringLiteral("/m/a.mpg"), id),
              Error::CannotLoadDriver);
    EXPECT_EQ(id, 0u);
    EXPECT_EQ(layer_.open(QStringLiteral("CDAudio"), QStringLiteral("/m/a.mpg"), id),
              Error::NoElementAllowed);
    EXPECT_EQ(layer_.openCount(), 0u);
    EXPECT_FALSE(sim_.log->commands().contains("close")) << "a device never opened sends none";

    // The same type still opens other files.
    EXPECT_NE(openOk(QStringLiteral("Broken"), QStringLiteral("/m/good.mpg")), 0u);
}

TEST_F(DeviceLayerTest, SeveralDevicesOpenAtOnceWithDistinctIds) {
    const DeviceId a = openOk(QStringLiteral("ActiveMovie"));
    const DeviceId b = openOk(QStringLiteral("ActiveMovie"));
    const DeviceId c = openOk(QStringLiteral("MPEGVideo"), QString());
    EXPECT_EQ(QSet<DeviceId>({a, b, c}).size(), 3);
    EXPECT_EQ(layer_.openCount(), 3u);

    // Commands reach only the addressed device.
    EXPECT_EQ(layer_.play(a, 1000, 9000), Error::None);
    EXPECT_EQ(layer_.seek(b, 5000), Error::None);
    sim_.clock->advance(2000);
    EXPECT_EQ(positionOf(a), 3000u);
    EXPECT_EQ(positionOf(b), 5000u);
    quint32 answer = 0;
    EXPECT_EQ(layer_.getDevCaps(c, DevCapsItem::HasVideo, answer), Error::None);
    EXPECT_EQ(answer, 1u);
}

TEST_F(DeviceLayerTest, CloseDestroysTheDeviceAndIdsAreNeverReused) {
    const DeviceId first = openOk(QStringLiteral("ActiveMovie"));
    EXPECT_EQ(layer_.close(first), Error::None);
    EXPECT_EQ(layer_.openCount(), 0u);
    EXPECT_EQ(sim_.log->commands().last(), "close");
    EXPECT_EQ(layer_.close(first), Error::InvalidDeviceId);

    const DeviceId second = openOk(QStringLiteral("ActiveMovie"));
    EXPECT_NE(second, first);
}

TEST_F(DeviceLayerTest, EveryCommandRefusesAnIdThatIsNotOpen) {
    const DeviceId closed = openOk(QStringLiteral("ActiveMovie"));
    ASSERT_EQ(layer_.close(closed), Error::None);
    sim_.log->clear();

    QSize size;
    quint32 ms = 0;
    QString text;
    QWidget host;
    for (const DeviceId id : {DeviceId{0}, closed, DeviceId{12345}}) {
        SCOPED_TRACE(id);
        EXPECT_EQ(layer_.whereSource(id, size), Error::InvalidDeviceId);
        EXPECT_EQ(layer_.setTimeFormatMilliseconds(id), Error::InvalidDeviceId);
        EXPECT_EQ(layer_.statusLength(id, ms), Error::InvalidDeviceId);
        EXPECT_EQ(layer_.statusPosition(id, ms), Error::InvalidDeviceId);
        EXPECT_EQ(layer_.play(id, 0, 1000), Error::InvalidDeviceId);
        EXPECT_EQ(layer_.pause(id), Error::InvalidDeviceId);
        EXPECT_EQ(layer_.resume(id), Error::InvalidDeviceId);
        EXPECT_EQ(layer_.seek(id, 0), Error::InvalidDeviceId);
        EXPECT_EQ(layer_.window(id, &host), Error::InvalidDeviceId);
        EXPECT_EQ(layer_.putDestination(id, QRect(0, 0, 1, 1)), Error::InvalidDeviceId);
        EXPECT_EQ(layer_.getDevCaps(id, DevCapsItem::UsesFiles, ms), Error::InvalidDeviceId);
        EXPECT_EQ(layer_.infoProduct(id, text), Error::InvalidDeviceId);
        EXPECT_EQ(layer_.configure(id, &host), Error::InvalidDeviceId);
        EXPECT_EQ(layer_.close(id), Error::InvalidDeviceId);
    }
    EXPECT_TRUE(sim_.log->entries().empty());
}

TEST_F(DeviceLayerTest, DestroyingTheLayerClosesItsDevices) {
    auto layer = std::make_unique<DeviceLayer>();
    sim_.add(*layer, named("ActiveMovie"));
    DeviceId id = 0;
    ASSERT_EQ(layer->open(QStringLiteral("ActiveMovie"), QString(), id), Error::None);
    sim_.log->clear();
    layer.reset();
    EXPECT_EQ(sim_.log->commands(), QStringList({"close"}));
}

// A device whose configuration dialog runs code that may close the device meanwhile, as a
// nested event loop can.
class ReentrantDevice : public SimulatedDevice {
public:
    ReentrantDevice(std::function<void()> duringConfigure, bool& destroyed,
                    const SimulatedDevices& sim)
        : SimulatedDevice(named("Reentrant"), sim.clock, sim.log),
          duringConfigure_(std::move(duringConfigure)),
          destroyed_(destroyed) {}
    ~ReentrantDevice() override { destroyed_ = true; }

    MciError configure(QWidget* parent) override {
        duringConfigure_();
        // Still usable here: the layer keeps the device alive until the command returns.
        return destroyed_ ? Error::Internal : SimulatedDevice::configure(parent);
    }

private:
    std::function<void()> duringConfigure_;
    bool& destroyed_;
};

class ReentrantType : public DeviceType {
public:
    ReentrantType(std::function<void()> duringConfigure, bool& destroyed,
                  const SimulatedDevices& sim)
        : duringConfigure_(std::move(duringConfigure)), destroyed_(destroyed), sim_(sim) {}
    QString name() const override { return QStringLiteral("Reentrant"); }
    std::unique_ptr<MediaDevice> create() override {
        return std::make_unique<ReentrantDevice>(duringConfigure_, destroyed_, sim_);
    }

private:
    std::function<void()> duringConfigure_;
    bool& destroyed_;
    const SimulatedDevices& sim_;
};

TEST_F(DeviceLayerTest, DeviceClosedDuringItsOwnCommandLivesUntilTheCommandReturns) {
    DeviceId id = 0;
    bool destroyed = false;
    layer_.registerType(std::make_unique<ReentrantType>(
        [&] { EXPECT_EQ(layer_.close(id), Error::None); }, destroyed, sim_));
    ASSERT_EQ(layer_.open(QStringLiteral("Reentrant"), QString(), id), Error::None);

    EXPECT_EQ(layer_.configure(id, nullptr), Error::None);
    EXPECT_TRUE(destroyed);
    EXPECT_EQ(layer_.openCount(), 0u);
    EXPECT_EQ(layer_.configure(id, nullptr), Error::InvalidDeviceId);
}

// A type that counts how often it was asked to get ready.
class PreparedType : public DeviceType {
public:
    PreparedType(QString name, int& prepared) : name_(std::move(name)), prepared_(prepared) {}
    QString name() const override { return name_; }
    std::unique_ptr<MediaDevice> create() override { return nullptr; }
    void prepare() override { ++prepared_; }

private:
    QString name_;
    int& prepared_;
};

TEST(DeviceLayerPrepare, ReachesOnlyTheNamedTypeWhateverItsCase) {
    DeviceLayer layer;
    int gst = 0;
    int mpv = 0;
    layer.registerType(std::make_unique<PreparedType>(QStringLiteral("ActiveMovie"), mpv));
    layer.registerType(std::make_unique<PreparedType>(QStringLiteral("MPEGVideo"), gst));

    EXPECT_EQ(layer.prepare(QStringLiteral("mpegvideo")), Error::None);
    EXPECT_EQ(gst, 1);
    EXPECT_EQ(mpv, 0);
    EXPECT_EQ(layer.prepare(QStringLiteral("WaveAudio")), Error::InvalidDeviceName);
    EXPECT_EQ(layer.openCount(), 0u);
}

TEST(InstalledDeviceLayer, ListsDistinctTypesAndNoSimulatedOnes) {
    const auto layer = makeInstalledDeviceLayer();
    ASSERT_NE(layer, nullptr);
    quint32 count = 0;
    ASSERT_EQ(layer->sysinfoQuantity(count), Error::None);
    QSet<QString> seen;
    for (quint32 k = 1; k <= count; ++k) {
        QString name;
        ASSERT_EQ(layer->sysinfoName(k, name), Error::None);
        EXPECT_FALSE(name.isEmpty());
        EXPECT_FALSE(name.startsWith(QStringLiteral("Simulated"), Qt::CaseInsensitive));
        EXPECT_FALSE(seen.contains(name.toLower())) << name.toStdString();
        seen.insert(name.toLower());
    }
    EXPECT_EQ(layer->openCount(), 0u);
}

}  // namespace
}  // namespace cinevan::mci
