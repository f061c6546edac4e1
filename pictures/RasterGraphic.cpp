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

RasterGraphic::RasterGraphic(Kind kind, QImage image) : kind_(kind), image_(std::move(image)) {
    imageChanged();
}

void RasterGraphic::imageChanged() {
    seeThrough_ = hasSeeThroughPixels(image_);
    keyed_ = QImage();
}

std::unique_ptr<Graphic> RasterGraphic::clone() const {
    return std::unique_ptr<Graphic>(new RasterGraphic(*this));
}

bool RasterGraphic::transparent() const {
    return Graphic::transparent() || seeThrough_;
}

void RasterGraphic::setTransparent(bool transparent) {
    Graphic::setTransparent(transparent);
    keyed_ = QImage();
}

const QImage& RasterGraphic::imageToDraw() const {
    if (!Graphic::transparent() || image_.hasAlphaChannel() || image_.isNull()) {
        return image_;
    }
    if (keyed_.isNull()) {
        const QRgb key = image_.pixel(0, image_.height() - 1);
        keyed_ = image_.convertToFormat(QImage::Format_ARGB32);
        for (int y = 0; y < keyed_.height(); ++y) {
            auto* line = reinterpret_cast<QRgb*>(keyed_.scanLine(y));
            for (int x = 0; x < keyed_.width(); ++x) {
                if (line[x] == key) {
                    line[x] = 0;
                }
            }
        }
    }
    return keyed_;
}

void RasterGraphic::draw(QPainter& painter, const QRect& target) const {
    if (image_.isNull() || target.isEmpty()) {
        return;
    }
    painter.save();
    painter.setRenderHint(QPainter::SmoothPixmapTransform, target.size() != image_.size());
    painter.drawImage(target, imageToDraw());
    painter.restore();
}

}  // namespace cinevan
