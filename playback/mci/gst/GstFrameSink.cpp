#include "playback/mci/gst/GstFrameSink.h"

#include <gst/video/video.h>

#include <QMutexLocker>
#include <cstring>

#include "playback/mci/gst/GstHandles.h"

namespace cinevan::mci::gst {

namespace {

// One copy of a mapped BGRx frame into a new image; QImage::Format_RGB32 has the same
// byte order on little-endian machines.
QImage copyFrame(GstSample* sample) {
    GstVideoInfo info;
    if (!gst_video_info_from_caps(&info, gst_sample_get_caps(sample))) {
        return {};
    }
    GstVideoFrame frame;
    if (!gst_video_frame_map(&frame, &info, gst_sample_get_buffer(sample), GST_MAP_READ)) {
        return {};
    }
    const int width = GST_VIDEO_FRAME_WIDTH(&frame);
    const int height = GST_VIDEO_FRAME_HEIGHT(&frame);
    const int stride = GST_VIDEO_FRAME_PLANE_STRIDE(&frame, 0);
    const auto* source = static_cast<const uchar*>(GST_VIDEO_FRAME_PLANE_DATA(&frame, 0));
    QImage image(width, height, QImage::Format_RGB32);
    if (!image.isNull()) {
        const std::size_t rowBytes = static_cast<std::size_t>(width) * 4;
        for (int y = 0; y < height; ++y) {
            std::memcpy(image.scanLine(y), source + static_cast<qsizetype>(y) * stride, rowBytes);
        }
    }
    gst_video_frame_unmap(&frame);
    return image;
}

}  // namespace

GstFrameSink::GstFrameSink(QObject* parent) : QObject(parent) {}

void GstFrameSink::attach(GstAppSink* appsink) {
    GstAppSinkCallbacks callbacks{};
    callbacks.new_sample = &GstFrameSink::onNewSample;
    callbacks.new_preroll = &GstFrameSink::onNewPreroll;
    gst_app_sink_set_callbacks(appsink, &callbacks, this, nullptr);
}

GstFlowReturn GstFrameSink::onNewSample(GstAppSink* appsink, gpointer self) {
    const SamplePtr sample(gst_app_sink_pull_sample(appsink));
    if (sample) {
        static_cast<GstFrameSink*>(self)->store(sample.get());
    }
    return GST_FLOW_OK;
}

GstFlowReturn GstFrameSink::onNewPreroll(GstAppSink* appsink, gpointer self) {
    const SamplePtr sample(gst_app_sink_pull_preroll(appsink));
    if (sample) {
        static_cast<GstFrameSink*>(self)->store(sample.get());
    }
    return GST_FLOW_OK;
}

void GstFrameSink::takeLastSample(GstElement* appsink) {
    GstSample* last = nullptr;
    g_object_get(appsink, "last-sample", &last, nullptr);
    const SamplePtr sample(last);
    if (sample) {
        store(sample.get());
    }
}

void GstFrameSink::store(GstSample* sample) {
    if (!wanted_.load()) {
        return;
    }
    QImage image = copyFrame(sample);
    if (image.isNull()) {
        return;
    }
    {
        const QMutexLocker lock(&mutex_);
        frame_.swap(image);
    }
    // One pending notification is enough: the surface paints the newest picture anyway.
    if (!notifyPending_.exchange(true)) {
        QMetaObject::invokeMethod(
            this,
            [this] {
                notifyPending_.store(false);
                emit frameArrived();
            },
            Qt::QueuedConnection);
    }
}

QImage GstFrameSink::frame() const {
    const QMutexLocker lock(&mutex_);
    return frame_;
}

}  // namespace cinevan::mci::gst
