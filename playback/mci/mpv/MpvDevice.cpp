#include "playback/mci/mpv/MpvDevice.h"

#include "playback/mci/mpv/MpvConfigDialog.h"
#include "playback/mci/mpv/MpvPlayer.h"
#include "playback/mci/mpv/MpvSurface.h"

namespace cinevan::mci {

MpvDevice::MpvDevice(MpvPlayer::Media media)
    : media_(media), player_(std::make_unique<MpvPlayer>(media)) {}

MpvDevice::~MpvDevice() {
    // The surface's renderer belongs to the player: it goes first, whoever its parent is.
    delete surface_.data();
}

void MpvDevice::beginOpen(const QString& element, QDeadlineTimer deadline, OpenDone done) {
    player_->beginOpen(element, deadline, std::move(done));
}

MciError MpvDevice::whereSource(QSize& size) {
    return player_->sourceSize(size);
}

MciError MpvDevice::setTimeFormatMilliseconds() {
    return Error::None;
}

MciError MpvDevice::statusLength(quint32& ms) {
    if (!player_->hasFile()) {
        return Error::DeviceNotReady;
    }
    ms = player_->lengthMs();
    return Error::None;
}

MciError MpvDevice::statusPosition(quint32& ms) {
    if (!player_->hasFile()) {
        return Error::DeviceNotReady;
    }
    ms = player_->positionMs();
    return Error::None;
}

MciError MpvDevice::play(quint32 fromMs, quint32 toMs) {
    return player_->playRange(fromMs, toMs);
}

MciError MpvDevice::pause() {
    return player_->pause();
}

MciError MpvDevice::resume() {
    return player_->resume();
}

MciError MpvDevice::seek(quint32 toMs) {
    return player_->seek(toMs);
}

MciError MpvDevice::window(QWidget* host) {
    if (!hasVideo()) {
        return Error::UnsupportedFunction;
    }
    if (!host) {
        if (surface_) {
            surface_->release();
            surface_->hide();
            surface_->setParent(nullptr);
        }
        return Error::None;
    }
    if (!surface_) {
        surface_ = new MpvSurface(*player_);
    }
    if (surface_->parentWidget() != host) {
        surface_->setParent(host);
    }
    surface_->setGeometry(destination_);
    surface_->show();
    return Error::None;
}

MciError MpvDevice::putDestination(const QRect& rect) {
    if (!hasVideo()) {
        return Error::UnsupportedFunction;
    }
    destination_ = rect;
    if (surface_) {
        surface_->setGeometry(rect);
    }
    return Error::None;
}

MciError MpvDevice::getDevCaps(DevCapsItem item, quint32& answer) {
    return fileDeviceCaps(item, hasVideo(), answer);
}

MciError MpvDevice::infoProduct(QString& text) {
    const QString kind = hasVideo() ? QStringLiteral("movie") : QStringLiteral("sound");
    text = QStringLiteral("libmpv %1 player, %2").arg(kind, player_->engineVersion());
    return Error::None;
}

MciError MpvDevice::configure(QWidget* parent) {
    MpvConfigDialog dialog(player_->engineVersion(), parent);
    dialog.exec();
    return Error::None;
}

}  // namespace cinevan::mci
