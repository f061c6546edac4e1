#pragma once

#include <QPointer>
#include <QRect>

#include "playback/mci/MediaDevice.h"
#include "playback/mci/gst/GstPlayer.h"

namespace cinevan::mci {

namespace gst {
class GstVideoSurface;
}  // namespace gst

// A device of the type "MPEGVideo": a movie played by a GStreamer player and drawn into a
// widget of ours, so that the video works without OpenGL and off screen. The window command
// places that widget inside a host widget.
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

private:
    gst::GstPlayer player_;
    QPointer<gst::GstVideoSurface> surface_;
    QWidget* host_ = nullptr;
    QRect destination_;
};

}  // namespace cinevan::mci
