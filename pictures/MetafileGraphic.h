#pragma once

#include <QPicture>

#include "pictures/Graphic.h"

namespace cinevan {

// A vector picture (WMF or EMF): its records drawn once into a recording, replayed scaled.
class MetafileGraphic : public Graphic {
public:
    MetafileGraphic(QPicture recording, QSize size);

    Kind kind() const override { return Kind::Metafile; }
    QSize size() const override { return m_size; }
    void draw(QPainter& painter, const QRect& target) const override;
    std::unique_ptr<Graphic> clone() const override;
    // A metafile draws only its records: the background always shows through.
    bool transparent() const override { return true; }

private:
    MetafileGraphic(const MetafileGraphic& other) = default;

    QPicture m_recording;
    QSize m_size;
};

}  // namespace cinevan
