#pragma once

#include <gst/gst.h>

#include <QByteArray>
#include <QPointer>
#include <QRect>
#include <memory>

#include "playback/mci/gst/GstHandles.h"
#include "playback/mci/MediaDevice.h"

namespace cinevan::mci {

namespace gst {
class GstBusWatch;
class GstFrameSink;
class GstOpening;
class GstSegmentClipper;
class GstVideoSurface;
}  // namespace gst

// A device of the type "MPEGVideo": one GStreamer playbin on one movie file.
//
// Times given to and reported by the device count from the movie's first picture, which in
// an MPEG program stream carries a time stamp of about half a second; the device keeps that
// origin and translates. Pictures go to an appsink and from there to a widget of ours, so the
// video works without OpenGL and off screen. Bus messages are handled on the GUI thread; the
// open and the stop of a pipeline, which wait on the source, run on threads of their own and
// keep the GUI thread waiting for a bounded time only.
class GstDevice : public MediaDevice {
public:
    GstDevice();
    ~GstDevice() override;
    GstDevice(const GstDevice&) = delete;
    GstDevice& operator=(const GstDevice&) = delete;

    using MediaDevice::openElement;
    MciError openElement(const QString& element, QDeadlineTimer deadline) override;
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
    // Takes over the pipeline and the facts of a successful opening.
    void adopt(gst::GstOpening& opening);
    void teardown();

    // Shared precondition of the commands that need a movie.
    MciError movieState() const;
    MciError seekTo(qint64 fromMs, qint64 stopMs);
    void checkSeekLanded();
    void handleMessage(GstMessage* message);
    gint64 streamTime(qint64 ms) const { return originNs_ + gst::fromMs(ms); }

    // Shared with the pipeline's threads, which may outlive the device (see BoundedCall.h).
    std::shared_ptr<gst::GstSegmentClipper> clipper_;
    std::shared_ptr<gst::GstFrameSink> frames_;
    QPointer<gst::GstVideoSurface> surface_;
    gst::ElementPtr pipeline_;
    GstElement* videoSink_ = nullptr;  // owned by the pipeline
    GstElement* audioSink_ = nullptr;  // owned by the pipeline
    std::unique_ptr<gst::GstBusWatch> bus_;

    bool opened_ = false;
    QSize source_;
    gint64 originNs_ = 0;
    qint64 lengthMs_ = 0;
    gint64 demuxerDurationNs_ = -1;  // the demuxer's own estimate, in stream time
    qint64 lastPositionMs_ = 0;
    // How far before a wanted time the demuxer is sent; grows if a seek landed late.
    qint64 leadMs_ = 1500;
    // A seek is under way: positions are those of its target until it has prerolled.
    bool settling_ = false;
    qint64 restingTargetMs_ = -1;  // target of a seek that rests paused, to check its picture
    // Where the last play command stops (-1: the end of the movie), and whether the pipeline
    // has got there. At the end the sinks' clock can stand well short of the last picture
    // (some multiplexers put sound and pictures far apart), so the stop is reported instead.
    qint64 rangeStopMs_ = -1;
    bool atEnd_ = false;
    MciError streamError_ = 0;
    QWidget* host_ = nullptr;
    QRect destination_;
};

}  // namespace cinevan::mci
