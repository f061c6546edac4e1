#pragma once

#include <QHash>
#include <QObject>
#include <QSize>
#include <QString>
#include <QStringList>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <vector>

#include "playback/mci/DeviceLayer.h"
#include "playback/mci/DeviceType.h"
#include "playback/mci/MediaDevice.h"
#include "playback/mci/simulated/VirtualClock.h"

namespace cinevan::mci {

// How one movie file behaves on a simulated device.
struct SimulatedElement {
    MciError openError = Error::None;  // non-zero: opening the file fails with this code
    bool openStalls = false;           // the source never answers: the open times out
    // The open waits until the test answers it (SimulatedLog::answerHeldOpens), then goes on
    // as scripted.
    bool answersLater = false;
    quint32 lengthMs = 60000;
    QSize sourceSize{352, 288};
    MciError whereSourceError = Error::None;
    // Playing stops advancing at this position while the device goes on "playing": for good,
    // or for stallForMs of clock time after which it runs on.
    std::optional<quint32> stallAtMs;
    std::optional<qint64> stallForMs;
    // Non-zero: every position query fails with this code and answers positionGarbage.
    MciError positionError = Error::None;
    quint32 positionGarbage = 0xCDCDCDCD;
};

// How one simulated device type behaves.
struct SimulatedTypeScript {
    QString name;
    bool loadable = true;              // false: the type's engine cannot be loaded
    MciError openError = Error::None;  // non-zero: every open of the type fails with it
    quint32 hasVideo = 1;              // capability answers, given back as they are
    quint32 usesFiles = 1;
    QString product;  // empty: "Simulated <name>"
    MciError productError = Error::None;
    SimulatedElement defaultElement;            // files not listed in `elements`
    QHash<QString, SimulatedElement> elements;  // by the file name given to the open
};

// One command received by a simulated device.
struct SimulatedCommand {
    QString type;  // device type name
    int device;    // serial number of the device within its log, from 1
    QString text;  // e.g. "play 2000 4000"
};

// Every command received by the simulated devices that share this log, in order.
class SimulatedLog {
public:
    enum class Filter {
        All,
        Actions,  // without the queries (where, status, getdevcaps, info)
    };

    int newDevice() { return ++devices_; }
    void record(const QString& type, int device, const QString& text);
    void clear() { entries_.clear(); }

    // Opens held back until the test answers them, by device serial number.
    void holdOpen(int device, std::function<void()> answer) {
        heldOpens_.emplace(device, std::move(answer));
    }
    void dropHeldOpen(int device) { heldOpens_.erase(device); }
    std::size_t heldOpenCount() const { return heldOpens_.size(); }
    // Answers every held open, oldest first; the answers reach the device layer through the
    // event loop.
    void answerHeldOpens();

    const std::vector<SimulatedCommand>& entries() const { return entries_; }
    QStringList commands(Filter filter = Filter::All) const;

private:
    std::vector<SimulatedCommand> entries_;
    int devices_ = 0;
    std::map<int, std::function<void()>> heldOpens_;
};

// A device whose position runs on a virtual clock. play(from, to) runs from `from` and rests
// at `to`; pause holds; resume runs on to the last `to`; seek rests at the target. Positions
// and ranges beyond the length are taken as the length.
class SimulatedDevice : public MediaDevice {
public:
    SimulatedDevice(const SimulatedTypeScript& script, std::shared_ptr<const VirtualClock> clock,
                    std::shared_ptr<SimulatedLog> log);
    ~SimulatedDevice() override;
    SimulatedDevice(const SimulatedDevice&) = delete;
    SimulatedDevice& operator=(const SimulatedDevice&) = delete;

    void beginOpen(const QString& element, QDeadlineTimer deadline, OpenDone done) override;
    MciError whereSource(QSize& size) override;
    MciError setTimeFormatMilliseconds() override;
    MciError statusLength(quint32& ms) override;
    MciError statusPosition(quint32& ms) override;
    MciError play(quint32 fromMs, quint32 toMs) override;
    MciError pause() override;
    MciError resume() override;
    MciError seek(quint32 toMs) override;
    MciError window(QWidget* host) override;
    MciError putDestination(const QRect& rect) override;
    MciError getDevCaps(DevCapsItem item, quint32& answer) override;
    MciError infoProduct(QString& text) override;
    MciError configure(QWidget* parent) override;

private:
    void record(const QString& text) const;
    MciError openScripted(const QString& element);
    quint32 positionNow() const;
    void runFrom(quint32 ms);
    void restAt(quint32 ms);

    const SimulatedTypeScript script_;
    const std::shared_ptr<const VirtualClock> clock_;
    const std::shared_ptr<SimulatedLog> log_;
    const int serial_;
    bool opened_ = false;
    std::optional<SimulatedElement> element_;  // empty when opened without a file

    bool running_ = false;
    quint32 anchorMs_ = 0;      // position when the device last started or came to rest
    qint64 anchorClockMs_ = 0;  // clock time of that moment
    quint32 toMs_ = 0;          // where a run ends
    // Receives the answer of a stalled open; it goes with the device.
    QObject answers_;
};

// Device type of simulated devices; registered by tests, never by the installed program.
class SimulatedDeviceType : public DeviceType {
public:
    SimulatedDeviceType(SimulatedTypeScript script, std::shared_ptr<const VirtualClock> clock,
                        std::shared_ptr<SimulatedLog> log);

    QString name() const override { return script_.name; }
    std::unique_ptr<MediaDevice> create() override;

    // The behaviour of devices created from now on; a test may change it between opens.
    SimulatedTypeScript& script() { return script_; }

private:
    SimulatedTypeScript script_;
    std::shared_ptr<const VirtualClock> clock_;
    std::shared_ptr<SimulatedLog> log_;
};

// One clock and one log shared by every simulated type a test registers.
struct SimulatedDevices {
    std::shared_ptr<VirtualClock> clock = std::make_shared<VirtualClock>();
    std::shared_ptr<SimulatedLog> log = std::make_shared<SimulatedLog>();

    // Appends a simulated type to `layer`'s table; the returned type lives as long as `layer`.
    SimulatedDeviceType& add(DeviceLayer& layer, SimulatedTypeScript script) const;
};

}  // namespace cinevan::mci
