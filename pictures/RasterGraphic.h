#pragma once

#include <QImage>

#include "pictures/Graphic.h"

namespace cinevan {

// A pixel picture (bitmap, JPEG, GIF, icon). With the transparency flag set, a picture
// without an alpha channel treats the colour of its bottom-left pixel as transparent.
class RasterGraphic : public Graphic {
public:
    RasterGraphic(Kind kind, QImage image);

    Kind kind() const override { return kind_; }
    QSize size() const override { return image_.size(); }
    void draw(QPainter& painter, const QRect& target) const override;
    std::unique_ptr<Graphic> clone() const override;
    bool transparent() const override;
    void setTransparent(bool transparent) override;

    const QImage& image() const { return image_; }
    // Decoders write into the image while they report progress.
    QImage& mutableImage() { return image_; }
    // Call after writing into mutableImage().
    void imageChanged();

private:
    RasterGraphic(const RasterGraphic& other) = default;
    const QImage& imageToDraw() const;

    Kind kind_;
    QImage image_;
    bool seeThrough_ = false;  // some pixel is not fully opaque
    mutable QImage keyed_;     // the image with its key colour made transparent, made on demand
};

}  // namespace cinevan
