#include "playback/mci/simulated/SimulatedDevice.h"

#include <QRect>
#include <QTimer>
#include <QWidget>
#include <algorithm>

namespace cinevan::mci {

namespace {

bool isQuery(const QString& text) {
    static const QStringList queries{"where ", "status ", "getdevcaps ", "info "};
    return std::any_of(queries.begin(), queries.end(),
                       [&](const QString& prefix) { return text.startsWith(prefix); });
}

QString hostName(const QWidget* host) {
    if (!host) {
        return QStringLiteral("none");
    }
    return host->objectName().isEmpty() ? QString::fromLatin1(host->metaObject()->className())
                                        : host->objectName();
}

}  // namespace

void SimulatedLog::record(const QString& type, int device, const QString& text) {
    entries_.push_back({type, device, text});
}

void SimulatedLog::answerHeldOpens() {
    // An answer may start another open that is held in turn: only those held now are answered.
    std::map<int, std::function<void()>> answering;
    answering.swap(heldOpens_);
    for (auto& [device, answer] : answering) {
        answer();
    }
}

QStringList SimulatedLog::commands(Filter filter) const {
    QStringList texts;
    for (const auto& entry : entries_) {
        if (filter == Filter::All || !isQuery(entry.text)) {
            texts << entry.text;
        }
    }
    return texts;
}

SimulatedDevice::SimulatedDevice(const SimulatedTypeScript& script,
                                 std::shared_ptr<const VirtualClock> clock,
                                 std::shared_ptr<SimulatedLog> log)
    : script_(script), clock_(std::move(clock)), log_(std::move(log)), serial_(log_->newDevice()) {}

SimulatedDevice::~SimulatedDevice() {
    log_->dropHeldOpen(serial_);
    // A device whose open failed was never open, so destroying it sends no close.
    if (opened_) {
        record(QStringLiteral("close"));
    }
}

void SimulatedDevice::record(const QString& text) const {
    log_->record(script_.name, serial_, text);
}

void SimulatedDevice::beginOpen(const QString& element, QDeadlineTimer deadline, OpenDone done) {
    record(element.isEmpty() ? QStringLiteral("open") : QStringLiteral("open ") + element);
    const SimulatedElement scripted = script_.elements.value(element, script_.defaultElement);
    if (script_.openError == Error::None && scripted.openStalls) {
        // A source that never answers: the open gives up at its deadline, in real time.
        // A precise timer, a millisecond late: the deadline has passed when the answer comes.
        QTimer::singleShot(std::max<qint64>(deadline.remainingTime(), 0) + 1, Qt::PreciseTimer,
                           &answers_, [done] { done(Error::DeviceNotReady); });
        return;
    }
    if (script_.openError == Error::None && scripted.answersLater) {
        log_->holdOpen(serial_, [this, element, done] { done(openScripted(element)); });
        return;
    }
    done(openScripted(element));
}

MciError SimulatedDevice::openScripted(const QString& element) {
    if (script_.openError != Error::None) {
        return script_.openError;
    }
    if (!element.isEmpty()) {
        if ((script_.usesFiles & 0xFF) == 0) {
            return Error::NoElementAllowed;
        }
        const SimulatedElement found = script_.elements.value(element, script_.defaultElement);
        if (found.openError != Error::None) {
            return found.openError;
        }
        element_ = found;
        toMs_ = found.lengthMs;
    }
    opened_ = true;
    return Error::None;
}

MciError SimulatedDevice::whereSource(QSize& size) {
    record(QStringLiteral("where source"));
    if (!element_) {
        return Error::UnsupportedFunction;
    }
    if (element_->whereSourceError != Error::None) {
        size = QSize();
        return element_->whereSourceError;
    }
    size = element_->sourceSize;
    return Error::None;
}

MciError SimulatedDevice::setTimeFormatMilliseconds() {
    record(QStringLiteral("set time format ms"));
    return Error::None;
}

MciError SimulatedDevice::statusLength(quint32& ms) {
    record(QStringLiteral("status length"));
    if (!element_) {
        return Error::UnsupportedFunction;
    }
    ms = element_->lengthMs;
    return Error::None;
}

MciError SimulatedDevice::statusPosition(quint32& ms) {
    record(QStringLiteral("status position"));
    if (!element_) {
        return Error::UnsupportedFunction;
    }
    if (element_->positionError != Error::None) {
        ms = element_->positionGarbage;
        return element_->positionError;
    }
    ms = positionNow();
    return Error::None;
}

MciError SimulatedDevice::play(quint32 fromMs, quint32 toMs) {
    record(QStringLiteral("play %1 %2").arg(fromMs).arg(toMs));
    if (!element_) {
        return Error::UnsupportedFunction;
    }
    toMs_ = std::min(toMs, element_->lengthMs);
    runFrom(std::min(fromMs, element_->lengthMs));
    return Error::None;
}

MciError SimulatedDevice::pause() {
    record(QStringLiteral("pause"));
    if (!element_) {
        return Error::UnsupportedFunction;
    }
    restAt(positionNow());
    return Error::None;
}

MciError SimulatedDevice::resume() {
    record(QStringLiteral("resume"));
    if (!element_) {
        return Error::UnsupportedFunction;
    }
    runFrom(positionNow());
    return Error::None;
}

MciError SimulatedDevice::seek(quint32 toMs) {
    record(QStringLiteral("seek %1").arg(toMs));
    if (!element_) {
        return Error::UnsupportedFunction;
    }
    restAt(std::min(toMs, element_->lengthMs));
    return Error::None;
}

MciError SimulatedDevice::window(QWidget* host) {
    record(QStringLiteral("window ") + hostName(host));
    return Error::None;
}

MciError SimulatedDevice::putDestination(const QRect& rect) {
    record(QStringLiteral("put %1 %2 %3 %4")
               .arg(rect.x())
               .arg(rect.y())
               .arg(rect.width())
               .arg(rect.height()));
    return Error::None;
}

MciError SimulatedDevice::getDevCaps(DevCapsItem item, quint32& answer) {
    const bool video = item == DevCapsItem::HasVideo;
    record(video ? QStringLiteral("getdevcaps has video")
                 : QStringLiteral("getdevcaps uses files"));
    answer = video ? script_.hasVideo : script_.usesFiles;
    return Error::None;
}

MciError SimulatedDevice::infoProduct(QString& text) {
    record(QStringLiteral("info product"));
    if (script_.productError != Error::None) {
        text.clear();
        return script_.productError;
    }
    text =
        script_.product.isEmpty() ? QStringLiteral("Simulated ") + script_.name : script_.product;
    return Error::None;
}

MciError SimulatedDevice::configure(QWidget* /*parent*/) {
    record(QStringLiteral("configure"));
    return Error::None;
}

// A run goes from the anchor to the last `to` (or stays where it started if that lies
// beyond), held at the stall position when it passes it: for good, or for the stall's duration.
quint32 SimulatedDevice::positionNow() const {
    if (!running_) {
        return anchorMs_;
    }
    const quint32 end = std::max(anchorMs_, toMs_);
    qint64 travel = clock_->nowMs() - anchorClockMs_;
    const auto& stall = element_->stallAtMs;
    if (stall && *stall >= anchorMs_ && *stall < end) {
        const qint64 toStall = *stall - anchorMs_;
        if (travel > toStall) {
            if (!element_->stallForMs) {
                return *stall;
            }
            travel = std::max(toStall, travel - *element_->stallForMs);
        }
    }
    return travel >= static_cast<qint64>(end - anchorMs_)
               ? end
               : anchorMs_ + static_cast<quint32>(travel);
}

void SimulatedDevice::runFrom(quint32 ms) {
    anchorMs_ = ms;
    anchorClockMs_ = clock_->nowMs();
    running_ = true;
}

void SimulatedDevice::restAt(quint32 ms) {
    anchorMs_ = ms;
    running_ = false;
}

SimulatedDeviceType::SimulatedDeviceType(SimulatedTypeScript script,
                                         std::shared_ptr<const VirtualClock> clock,
                                         std::shared_ptr<SimulatedLog> log)
    : script_(std::move(script)), clock_(std::move(clock)), log_(std::move(log)) {}

std::unique_ptr<MediaDevice> SimulatedDeviceType::create() {
    if (!script_.loadable) {
        return nullptr;
    }
    return std::make_unique<SimulatedDevice>(script_, clock_, log_);
}

SimulatedDeviceType& SimulatedDevices::add(DeviceLayer& layer, SimulatedTypeScript script) const {
    auto type = std::make_unique<SimulatedDeviceType>(std::move(script), clock, log);
    SimulatedDeviceType& added = *type;
    layer.registerType(std::move(type));
    return added;
}

}  // namespace cinevan::mci
