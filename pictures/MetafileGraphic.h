#pragma once

#include <QImage>
#include <QPicture>

#include "pictures/Graphic.h"

namespace cinevan {

// A vector picture (WMF or EMF): its records drawn once into a recording, replayed scaled.
// The last drawing is kept as pixels, so repainting at the same place and size only copies
// them.
class MetafileGraphic : public Graphic {
public:
    // recording was drawn at recordingSize(size).
    MetafileGraphic(QPicture recording, QSize size);

    // The size a picture of the given size is recorded at: the same, or shrunk to fit
    // kMaxRecordingSide keeping its proportions.
    static QSize recordingSize(QSize size);

    Kind kind() const override { return Kind::Metafile; }
    QSize size() const override { return size_; }
    void draw(QPainter& painter, const QRect& target) const override;
    std::unique_ptr<Graphic> clone() const override;
    // A metafile draws only its records: the background always shows through.
    bool transparent() const override { return true; }

private:
    MetafileGraphic(const MetafileGraphic& other) = default;
    void render(QSize target, const QRect& part, qreal ratio) const;

    QPicture recording_;
    QSize size_;
    QSize recordedAt_;
    // The part `part_` of the picture drawn at the size `targetSize_`, as pixels.
    mutable QImage pixels_;
    mutable QSize targetSize_;
    mutable QRect part_;
};

}  // namespace cinevan
