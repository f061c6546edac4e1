#include "pictures/MetafileGraphic.h"

#include <QPaintDevice>
#include <QPainter>

#include "pictures/metafile/MetafileLimits.h"

namespace cinevan {

namespace {

// The part of target that can show on the painter's device (in the painter's coordinates).
QRect visiblePart(const QPainter& painter, const QRect& target) {
    QRect visible = target;
    const QPaintDevice* device = painter.device();
    bool invertible = false;
    const QTransform toLogical = painter.transform().inverted(&invertible);
    if (device != nullptr && invertible) {
        visible &= toLogical.mapRect(QRect(0, 0, device->width(), device->height()));
    }
    if (painter.hasClipping()) {
        visible &= painter.clipBoundingRect().toAlignedRect();
    }
    return visible;
}

}  // namespace

MetafileGraphic::MetafileGraphic(QPicture recording, QSize size)
    : recording_(std::move(recording)), size_(size), recordedAt_(recordingSize(size)) {}

QSize MetafileGraphic::recordingSize(QSize size) {
    const int side = pictures::kMaxRecordingSide;
    if (size.width() <= side && size.height() <= side) {
        return size;
    }
    return size.scaled(side, side, Qt::KeepAspectRatio).expandedTo(QSize(1, 1));
}

std::unique_ptr<Graphic> MetafileGraphic::clone() const {
    return std::unique_ptr<Graphic>(new MetafileGraphic(*this));
}

void MetafileGraphic::draw(QPainter& painter, const QRect& target) const {
    if (size_.isEmpty() || target.isEmpty()) {
        return;
    }
    const QRect visible = visiblePart(painter, target);
    if (visible.isEmpty()) {
        return;
    }
    // Kept by size and visible part only, so that tiles at other places reuse the pixels.
    const QRect part = visible.translated(-target.topLeft());
    const qreal ratio = painter.device() ? painter.device()->devicePixelRatioF() : 1.0;
    if (target.size() != targetSize_ || part != part_ || ratio != pixels_.devicePixelRatio()) {
        render(target.size(), part, ratio);
    }
    painter.drawImage(visible.topLeft(), pixels_);
}

void MetafileGraphic::render(QSize target, const QRect& part, qreal ratio) const {
    // On a high-resolution screen the pixels are the device's, drawn at the logical size.
    pixels_ = QImage((QSizeF(part.size()) * ratio).toSize(), QImage::Format_ARGB32_Premultiplied);
    pixels_.setDevicePixelRatio(ratio);
    pixels_.fill(Qt::transparent);
    targetSize_ = target;
    part_ = part;
    QPainter painter(&pixels_);
    painter.translate(-part.topLeft());
    painter.scale(double(target.width()) / recordedAt_.width(),
                  double(target.height()) / recordedAt_.height());
    painter.setRenderHint(QPainter::Antialiasing);
    painter.drawPicture(0, 0, recording_);
}

}  // namespace cinevan
