#pragma once

#include <QDeadlineTimer>
#include <QObject>
#include <QRect>
#include <QSize>
#include <QString>
#include <functional>
#include <map>
#include <memory>
#include <vector>

#include "playback/mci/DeviceType.h"
#include "playback/mci/MciTypes.h"

class QWidget;

namespace cinevan::mci {

// The device layer: a table of named device types and the devices opened on them, each
// addressed by its identifier. Every command returns an error code (Error::None = success);
// a command for an identifier that is not open returns Error::InvalidDeviceId. Several
// devices may be open at once.
class DeviceLayer {
public:
    DeviceLayer();
    ~DeviceLayer();
    DeviceLayer(const DeviceLayer&) = delete;
    DeviceLayer& operator=(const DeviceLayer&) = delete;

    // Appends a type to the table; the table order is the numbering of sysinfoName().
    void registerType(std::unique_ptr<DeviceType> type);

    // Opens a device of the named type (case-insensitive) with the movie file `element`,
    // or without a file when `element` is empty, answering by `deadline` (see
    // MediaDevice::openElement). On success `id` is a new non-zero identifier; on failure it
    // is 0 and nothing stays open.
    MciError open(const QString& type, const QString& element, DeviceId& id,
                  QDeadlineTimer deadline = QDeadlineTimer(kOpenTimeLimitMs));
    MciError close(DeviceId id);

    // Identifies an open under way; 0 is none.
    using OpenTicket = quint64;
    // How an open ended: the error code, and the new device's identifier on success.
    using OpenDone = std::function<void(MciError, DeviceId)>;
    // Starts opening a device of the named type with `element` and returns at once (see
    // MediaDevice::beginOpen). `done` runs once on the GUI thread, either before beginOpen
    // returns (an answer known at once, such as an unknown type) or later from the event
    // loop, never from inside a driver; on success the device is open under the identifier
    // it is given. The returned ticket names the open until then.
    OpenTicket beginOpen(const QString& type, const QString& element, QDeadlineTimer deadline,
                         OpenDone done);
    // Abandons an open under way: its device is let go without waiting for the source, and
    // `done` does not run. Tickets already answered are ignored.
    void cancelOpen(OpenTicket ticket);
    // Number of opens under way.
    std::size_t openingCount() const { return opening_.size(); }
    // Lets the named type get ready for its first open in the background (DeviceType::prepare).
    MciError prepare(const QString& type);

    // Number of installed types, and the name of type `number` (1-based).
    MciError sysinfoQuantity(quint32& count) const;
    MciError sysinfoName(quint32 number, QString& name) const;

    MciError whereSource(DeviceId id, QSize& size);
    MciError setTimeFormatMilliseconds(DeviceId id);
    MciError statusLength(DeviceId id, quint32& ms);
    MciError statusPosition(DeviceId id, quint32& ms);
    MciError play(DeviceId id, quint32 fromMs, quint32 toMs);
    MciError pause(DeviceId id);
    MciError resume(DeviceId id);
    MciError seek(DeviceId id, quint32 toMs);
    MciError window(DeviceId id, QWidget* host);
    MciError putDestination(DeviceId id, const QRect& rect);
    MciError getDevCaps(DeviceId id, DevCapsItem item, quint32& answer);
    MciError infoProduct(DeviceId id, QString& text);
    MciError configure(DeviceId id, QWidget* parent);

    // Number of devices open now.
    std::size_t openCount() const { return devices_.size(); }

private:
    DeviceType* findType(const QString& name) const;
    DeviceId takeFreeId();
    void finishOpen(OpenTicket ticket, MciError error);

    // Runs `command` on the open device `id`, or answers Error::InvalidDeviceId. The device is
    // kept alive until the command returns, also when a nested event loop inside it (a modal
    // configuration dialog) closes the device meanwhile.
    template <typename Command>
    MciError forward(DeviceId id, Command&& command);

    std::vector<std::unique_ptr<DeviceType>> types_;
    std::map<DeviceId, std::shared_ptr<MediaDevice>> devices_;
    DeviceId nextId_ = 1;

    struct Opening {
        std::shared_ptr<MediaDevice> device;
        OpenDone done;
    };
    std::map<OpenTicket, Opening> opening_;
    OpenTicket nextTicket_ = 1;
    // Receives the drivers' answers from the event loop; dropping it drops those not yet given.
    QObject answers_;
};

}  // namespace cinevan::mci
