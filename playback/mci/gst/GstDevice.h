#pragma once

#include <QPointer>
#include <QRect>

#include "playback/mci/MediaDevice.h"
#include "playback/mci/gst/GstPlayer.h"
#include "playback/mci/gst/GstVideoWindow.h"

namespace cinevan::mci {

// A device of the type "MPEGVideo": a movie played by a GStreamer player whose sink draws into
// a native window of ours, without OpenGL. The window command places that window inside a host
// widget; without X11 the movie plays unseen.
class GstDevice : public MediaDevice {
public:
    GstDevice() = default;
    ~GstDevice() override;
    GstDevice(const GstDevice&) = delete;
    GstDevice& operator=(const GstDevice&) = delete;

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

    // The widget the pictures are drawn into; null before the first window command.
    gst::GstVideoWindow* surface() const { return surface_.data(); }

private:
    gst::GstPlayer player_;
    QPointer<gst::GstVideoWindow> surface_;
    QWidget* host_ = nullptr;
    QRect destination_;
};

}  // namespace cinevan::mci
