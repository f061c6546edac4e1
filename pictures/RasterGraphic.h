#pragma once

#include <QImage>

#include "pictures/Graphic.h"

namespace cinevan {

// A pixel picture (bitmap, JPEG, GIF, icon). With the transparency flag set, a picture
// without an alpha channel treats the colour of its bottom-left pixel as transparent.
class RasterGraphic : public Graphic {
public:
    RasterGraphic(Kind kind, QImage image);

    Kind kind() const override { return m_kind; }
    QSize size() const override { return m_image.size(); }
    void draw(QPainter& painter, const QRect& target) const override;
    std::unique_ptr<Graphic> clone() const override;
    bool transparent() const override;
    void setTransparent(bool transparent) override;

    const QImage& image() const { return m_image; }
    // Decoders write into the image while they report progress.
    QImage& mutableImage() { return m_image; }
    // Call after writing into mutableImage().
    void imageChanged();

private:
    RasterGraphic(const RasterGraphic& other) = default;
    const QImage& imageToDraw() const;

    Kind m_kind;
    QImage m_image;
    bool m_seeThrough = false;  // some pixel is not fully opaque
    mutable QImage m_keyed;     // the image with its key colour made transparent, made on demand
};

}  // namespace cinevan
