#include "playback/mci/mpv/MpvSoundDevice.h"

#include "playback/mci/mpv/MpvConfigDialog.h"
#include "playback/mci/mpv/MpvDevice.h"
#include "playback/mci/mpv/MpvPlayer.h"

namespace cinevan::mci {

MpvSoundDevice::MpvSoundDevice()
    : player_(std::make_unique<MpvPlayer>(MpvPlayer::Media::SoundOnly)) {}

MpvSoundDevice::~MpvSoundDevice() = default;

MciError MpvSoundDevice::openElement(const QString& element, QDeadlineTimer deadline) {
    return player_->open(element, deadline);
}

MciError MpvSoundDevice::whereSource(QSize& size) {
    return player_->sourceSize(size);
}

MciError MpvSoundDevice::setTimeFormatMilliseconds() {
    return Error::None;
}

MciError MpvSoundDevice::statusLength(quint32& ms) {
    if (!player_->hasFile()) {
        return Error::DeviceNotReady;
    }
    ms = player_->lengthMs();
    return Error::None;
}

MciError MpvSoundDevice::statusPosition(quint32& ms) {
    if (!player_->hasFile()) {
        return Error::DeviceNotReady;
    }
    ms = player_->positionMs();
    return Error::None;
}

MciError MpvSoundDevice::play(quint32 fromMs, quint32 toMs) {
    return player_->playRange(fromMs, toMs);
}

MciError MpvSoundDevice::pause() {
    return player_->pause();
}

MciError MpvSoundDevice::resume() {
    return player_->resume();
}

MciError MpvSoundDevice::seek(quint32 toMs) {
    return player_->seek(toMs);
}

MciError MpvSoundDevice::window(QWidget*) {
    return Error::UnsupportedFunction;
}

MciError MpvSoundDevice::putDestination(const QRect&) {
    return Error::UnsupportedFunction;
}

MciError MpvSoundDevice::getDevCaps(DevCapsItem item, quint32& answer) {
    switch (item) {
        case DevCapsItem::HasVideo:
            answer = 0;
            return Error::None;
        case DevCapsItem::UsesFiles:
            answer = 1;
            return Error::None;
    }
    return Error::UnsupportedFunction;
}

MciError MpvSoundDevice::infoProduct(QString& text) {
    text = QStringLiteral("libmpv sound player, %1").arg(player_->engineVersion());
    return Error::None;
}

MciError MpvSoundDevice::configure(QWidget* parent) {
    MpvConfigDialog dialog(player_->engineVersion(), parent);
    dialog.exec();
    return Error::None;
}

}  // namespace cinevan::mci
