#include "playback/mci/gst/GstVideoSurface.h"

#include <QPainter>

#include "playback/mci/gst/GstFrameSink.h"

namespace cinevan::mci::gst {

GstVideoSurface::GstVideoSurface(GstFrameSink* frames, QWidget* parent)
    : QWidget(parent), frames_(frames) {
    setObjectName(QStringLiteral("GstVideoSurface"));
    setAttribute(Qt::WA_OpaquePaintEvent);
    connect(frames, &GstFrameSink::frameArrived, this, qOverload<>(&QWidget::update));
}

void GstVideoSurface::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);
    const QImage frame = frames_ ? frames_->frame() : QImage();
    if (frame.isNull()) {
        painter.fillRect(rect(), Qt::black);
        return;
    }
    painter.setRenderHint(QPainter::SmoothPixmapTransform, smooth_);
    painter.drawImage(rect(), frame);
}

}  // namespace cinevan::mci::gst
