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
    : m_recording(std::move(recording)), m_size(size), m_recordedAt(recordingSize(size)) {}

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
    if (m_size.isEmpty() || target.isEmpty()) {
        return;
    }
    const QRect visible = visiblePart(painter, target);
    if (visible.isEmpty()) {
        return;
    }
    // Kept by size and visible part only, so that tiles at other places reuse the pixels.
    const QRect part = visible.translated(-target.topLeft());
    const qreal ratio = painter.device() ? painter.device()->devicePixelRatioF() : 1.0;
    if (target.size() != m_targetSize || part != m_part || ratio != m_pixels.devicePixelRatio()) {
        render(target.size(), part, ratio);
    }
    painter.drawImage(visible.topLeft(), m_pixels);
}

void MetafileGraphic::render(QSize target, const QRect& part, qreal ratio) const {
    // On a high-resolution screen the pixels are the device's, drawn at the logical size.
    m_pixels = QImage((QSizeF(part.size()) * ratio).toSize(), QImage::Format_ARGB32_Premultiplied);
    m_pixels.setDevicePixelRatio(ratio);
    m_pixels.fill(Qt::transparent);
    m_targetSize = target;
    m_part = part;
    QPainter painter(&m_pixels);
    painter.translate(-part.topLeft());
    painter.scale(double(target.width()) / m_recordedAt.width(),
                  double(target.height()) / m_recordedAt.height());
    painter.setRenderHint(QPainter::Antialiasing);
    painter.drawPicture(0, 0, m_recording);
}

}  // namespace cinevan
