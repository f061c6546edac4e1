#pragma once

#include <QDeadlineTimer>
#include <QRect>
#include <QSize>
#include <QString>
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

    // Runs `command` on the open device `id`, or answers Error::InvalidDeviceId. The device is
    // kept alive until the command returns, also when a nested event loop inside it (a modal
    // configuration dialog) closes the device meanwhile.
    template <typename Command>
    MciError forward(DeviceId id, Command&& command);

    std::vector<std::unique_ptr<DeviceType>> types_;
    std::map<DeviceId, std::shared_ptr<MediaDevice>> devices_;
    DeviceId nextId_ = 1;
};

}  // namespace cinevan::mci
