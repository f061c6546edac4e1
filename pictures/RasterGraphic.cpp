#include "pictures/RasterGraphic.h"

#include <QPainter>

namespace cinevan {

namespace {

bool hasSeeThroughPixels(const QImage& image) {
    if (!image.hasAlphaChannel()) {
        return false;
    }
    const QImage argb = image.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < argb.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(argb.constScanLine(y));
        for (int x = 0; x < argb.width(); ++x) {
            if (qAlpha(line[x]) != 255) {
                return true;
            }
        }
    }
    return false;
}

}  // namespace

RasterGraphic::RasterGraphic(Kind kind, QImage image) : m_kind(kind), m_image(std::move(image)) {
    imageChanged();
}

void RasterGraphic::imageChanged() {
    m_seeThrough = hasSeeThroughPixels(m_image);
    m_keyed = QImage();
}

std::unique_ptr<Graphic> RasterGraphic::clone() const {
    return std::unique_ptr<Graphic>(new RasterGraphic(*this));
}

bool RasterGraphic::transparent() const {
    return Graphic::transparent() || m_seeThrough;
}

void RasterGraphic::setTransparent(bool transparent) {
    Graphic::setTransparent(transparent);
    m_keyed = QImage();
}

const QImage& RasterGraphic::imageToDraw() const {
    if (!Graphic::transparent() || m_image.hasAlphaChannel() || m_image.isNull()) {
        return m_image;
    }
    if (m_keyed.isNull()) {
        const QRgb key = m_image.pixel(0, m_image.height() - 1);
        m_keyed = m_image.convertToFormat(QImage::Format_ARGB32);
        for (int y = 0; y < m_keyed.height(); ++y) {
            auto* line = reinterpret_cast<QRgb*>(m_keyed.scanLine(y));
            for (int x = 0; x < m_keyed.width(); ++x) {
                if (line[x] == key) {
                    line[x] = 0;
                }
            }
        }
    }
    return m_keyed;
}

void RasterGraphic::draw(QPainter& painter, const QRect& target) const {
    if (m_image.isNull() || target.isEmpty()) {
        return;
    }
    painter.save();
    painter.setRenderHint(QPainter::SmoothPixmapTransform, target.size() != m_image.size());
    painter.drawImage(target, imageToDraw());
    painter.restore();
}

}  // namespace cinevan
