#include "pictures/MetafileGraphic.h"

#include <QPainter>

namespace cinevan {

MetafileGraphic::MetafileGraphic(QPicture recording, QSize size)
    : m_recording(std::move(recording)), m_size(size) {}

std::unique_ptr<Graphic> MetafileGraphic::clone() const {
    return std::unique_ptr<Graphic>(new MetafileGraphic(*this));
}

void MetafileGraphic::draw(QPainter& painter, const QRect& target) const {
    if (m_size.isEmpty() || target.isEmpty()) {
        return;
    }
    painter.save();
    painter.setClipRect(target, Qt::IntersectClip);
    painter.translate(target.topLeft());
    painter.scale(double(target.width()) / m_size.width(),
                  double(target.height()) / m_size.height());
    painter.setRenderHint(QPainter::Antialiasing);
    painter.drawPicture(0, 0, m_recording);
    painter.restore();
}

}  // namespace cinevan
