#include "playback/mci/DeviceLayer.h"

#include <malloc.h>

#include <optional>
#include <utility>

namespace cinevan::mci {

DeviceLayer::DeviceLayer() = default;

DeviceLayer::~DeviceLayer() {
    // Devices go first: a driver's device may still use the type that created it.
    opening_.clear();
    devices_.clear();
}

void DeviceLayer::registerType(std::unique_ptr<DeviceType> type) {
    if (type) {
        types_.push_back(std::move(type));
    }
}

DeviceType* DeviceLayer::findType(const QString& name) const {
    for (const auto& type : types_) {
        if (type->name().compare(name, Qt::CaseInsensitive) == 0) {
            return type.get();
        }
    }
    return nullptr;
}

DeviceId DeviceLayer::takeFreeId() {
    // Identifiers are handed out in increasing order and never reused while the layer lives;
    // after a wrap-around, 0 and identifiers still open are skipped.
    while (nextId_ == 0 || devices_.contains(nextId_)) {
        ++nextId_;
    }
    return nextId_++;
}

MciError DeviceLayer::prepare(const QString& type) {
    DeviceType* deviceType = findType(type);
    if (!deviceType) {
        return Error::InvalidDeviceName;
    }
    deviceType->prepare();
    return Error::None;
}

MciError DeviceLayer::open(const QString& type, const QString& element, DeviceId& id,
                           QDeadlineTimer deadline) {
    id = 0;
    DeviceType* deviceType = findType(type);
    if (!deviceType) {
        return Error::InvalidDeviceName;
    }
    std::shared_ptr<MediaDevice> device = deviceType->create();
    if (!device) {
        return Error::CannotLoadDriver;
    }
    const MciError error = device->openElement(element, deadline);
    if (error != Error::None) {
        return error;  // the device is destroyed here: nothing stays open
    }
    id = takeFreeId();
    devices_.emplace(id, std::move(device));
    return Error::None;
}

DeviceLayer::OpenTicket DeviceLayer::beginOpen(const QString& type, const QString& element,
                                               QDeadlineTimer deadline, OpenDone done) {
    DeviceType* deviceType = findType(type);
    if (!deviceType) {
        done(Error::InvalidDeviceName, 0);
        return 0;
    }
    std::shared_ptr<MediaDevice> device = deviceType->create();
    if (!device) {
        done(Error::CannotLoadDriver, 0);
        return 0;
    }
    const OpenTicket ticket = nextTicket_++;
    opening_.emplace(ticket, Opening{device, std::move(done)});
    // An answer given while the driver starts is handled once it has returned; a later one
    // comes through the event loop, so that the device may be closed from `done` without
    // the driver's code still running on it.
    struct Start {
        bool running = true;
        std::optional<MciError> early;
    };
    const auto start = std::make_shared<Start>();
    device->beginOpen(element, deadline, [this, ticket, start](MciError error) {
        if (start->running) {
            start->early = error;
            return;
        }
        QMetaObject::invokeMethod(
            &answers_, [this, ticket, error] { finishOpen(ticket, error); }, Qt::QueuedConnection);
    });
    start->running = false;
    if (start->early) {
        finishOpen(ticket, *start->early);
    }
    return ticket;
}

void DeviceLayer::finishOpen(OpenTicket ticket, MciError error) {
    const auto it = opening_.find(ticket);
    if (it == opening_.end()) {
        return;
    }
    Opening opening = std::move(it->second);
    opening_.erase(it);
    if (error != Error::None) {
        opening.device.reset();  // nothing stays open
        opening.done(error, 0);
        return;
    }
    const DeviceId id = takeFreeId();
    devices_.emplace(id, std::move(opening.device));
    opening.done(Error::None, id);
}

void DeviceLayer::cancelOpen(OpenTicket ticket) {
    const auto it = opening_.find(ticket);
    if (it == opening_.end()) {
        return;
    }
    // The table forgets the open before its device goes.
    const Opening abandoned = std::move(it->second);
    opening_.erase(it);
}

MciError DeviceLayer::close(DeviceId id) {
    const auto it = devices_.find(id);
    if (it == devices_.end()) {
        return Error::InvalidDeviceId;
    }
    devices_.erase(it);
    // A closed movie leaves its decoders' freed buffers in the allocator's arena (the program
    // keeps to one, see platform/MallocArenas.h); glibc keeps those pages unless asked.
    malloc_trim(0);
    return Error::None;
}

MciError DeviceLayer::sysinfoQuantity(quint32& count) const {
    count = static_cast<quint32>(types_.size());
    return Error::None;
}

MciError DeviceLayer::sysinfoName(quint32 number, QString& name) const {
    if (number == 0 || number > types_.size()) {
        name.clear();
        return Error::OutOfRange;
    }
    name = types_[number - 1]->name();
    return Error::None;
}

template <typename Command>
MciError DeviceLayer::forward(DeviceId id, Command&& command) {
    const auto it = devices_.find(id);
    if (it == devices_.end()) {
        return Error::InvalidDeviceId;
    }
    const std::shared_ptr<MediaDevice> device = it->second;
    return std::forward<Command>(command)(*device);
}

MciError DeviceLayer::whereSource(DeviceId id, QSize& size) {
    return forward(id, [&](MediaDevice& d) { return d.whereSource(size); });
}

MciError DeviceLayer::setTimeFormatMilliseconds(DeviceId id) {
    return forward(id, [](MediaDevice& d) { return d.setTimeFormatMilliseconds(); });
}

MciError DeviceLayer::statusLength(DeviceId id, quint32& ms) {
    return forward(id, [&](MediaDevice& d) { return d.statusLength(ms); });
}

MciError DeviceLayer::statusPosition(DeviceId id, quint32& ms) {
    return forward(id, [&](MediaDevice& d) { return d.statusPosition(ms); });
}

MciError DeviceLayer::play(DeviceId id, quint32 fromMs, quint32 toMs) {
    return forward(id, [=](MediaDevice& d) { return d.play(fromMs, toMs); });
}

MciError DeviceLayer::pause(DeviceId id) {
    return forward(id, [](MediaDevice& d) { return d.pause(); });
}

MciError DeviceLayer::resume(DeviceId id) {
    return forward(id, [](MediaDevice& d) { return d.resume(); });
}

MciError DeviceLayer::seek(DeviceId id, quint32 toMs) {
    return forward(id, [=](MediaDevice& d) { return d.seek(toMs); });
}

MciError DeviceLayer::window(DeviceId id, QWidget* host) {
    return forward(id, [=](MediaDevice& d) { return d.window(host); });
}

MciError DeviceLayer::putDestination(DeviceId id, const QRect& rect) {
    return forward(id, [&](MediaDevice& d) { return d.putDestination(rect); });
}

MciError DeviceLayer::getDevCaps(DeviceId id, DevCapsItem item, quint32& answer) {
    return forward(id, [&](MediaDevice& d) { return d.getDevCaps(item, answer); });
}

MciError DeviceLayer::infoProduct(DeviceId id, QString& text) {
    return forward(id, [&](MediaDevice& d) { return d.infoProduct(text); });
}

MciError DeviceLayer::configure(DeviceId id, QWidget* parent) {
    return forward(id, [=](MediaDevice& d) { return d.configure(parent); });
}

}  // namespace cinevan::mci
