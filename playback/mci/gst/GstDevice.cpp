#include "playback/mci/gst/GstDevice.h"

#include <QWidget>

#include "playback/mci/gst/GstConfigDialog.h"
#include "playback/mci/gst/GstOptions.h"
#include "playback/mci/gst/GstRuntime.h"
#include "playback/mci/gst/GstVideoWindow.h"

namespace cinevan::mci {

GstDevice::~GstDevice() {
    // The surface hands its window back to the player as it goes, so it goes first.
    delete surface_.data();
    player_.close();
}

void GstDevice::beginOpen(const QString& element, QDeadlineTimer deadline, OpenDone done) {
    player_.beginOpen(element, deadline, std::move(done));
}

MciError GstDevice::whereSource(QSize& size) {
    return player_.sourceSize(size);
}

MciError GstDevice::setTimeFormatMilliseconds() {
    return player_.isOpen() ? Error::None : Error::UnsupportedFunction;
}

MciError GstDevice::statusLength(quint32& ms) {
    return player_.length(ms);
}

MciError GstDevice::statusPosition(quint32& ms) {
    return player_.position(ms);
}

MciError GstDevice::play(quint32 fromMs, quint32 toMs) {
    return player_.playRange(fromMs, toMs);
}

MciError GstDevice::pause() {
    return player_.pause();
}

MciError GstDevice::resume() {
    return player_.resume();
}

MciError GstDevice::seek(quint32 toMs) {
    return player_.seek(toMs);
}

MciError GstDevice::window(QWidget* host) {
    host_ = host;
    if (host == nullptr) {
        if (surface_) {
            surface_->hide();
            surface_->setParent(nullptr);
        }
        return Error::None;
    }
    if (!surface_) {
        surface_ = new gst::GstVideoWindow(player_, host);
    } else {
        surface_->setParent(host);
    }
    surface_->setGeometry(destination_.isValid() ? destination_ : host->rect());
    surface_->show();
    return Error::None;
}

MciError GstDevice::putDestination(const QRect& rect) {
    destination_ = rect;
    if (surface_ && host_ != nullptr) {
        surface_->setGeometry(rect);
    }
    return Error::None;
}

MciError GstDevice::getDevCaps(DevCapsItem item, quint32& answer) {
    return fileDeviceCaps(item, true, answer);
}

MciError GstDevice::infoProduct(QString& text) {
    text = QStringLiteral("MPEG Video (%1)").arg(gst::versionText());
    return Error::None;
}

MciError GstDevice::configure(QWidget* parent) {
    gst::GstConfigDialog dialog(gst::versionText(), parent);
    dialog.exec();
    player_.setSmoothScaling(gst::GstOptions::current().smoothScaling);
    return Error::None;
}

}  // namespace cinevan::mci
