#include "ui/ProgramIcon.h"

#include <QPainter>
#include <QPainterPath>
#include <QtMath>

namespace cinevan {
namespace {

constexpr int kWindows = 5;  // openings around the hub

// The reel on a 32-unit grid: a dark metal disc with five round openings, a hub, and a strip
// of film running off it to the lower right.
void DrawReel(QPainter& painter) {
    const QPointF centre(15, 15);
    QPainterPath disc;
    disc.addEllipse(centre, 13.5, 13.5);
    for (int i = 0; i < kWindows; ++i) {
        const qreal angle = qDegreesToRadians(-90.0 + i * 360.0 / kWindows);
        disc.addEllipse(centre + QPointF(std::cos(angle), std::sin(angle)) * 7.5, 3.6, 3.6);
    }
    disc.addEllipse(centre, 1.6, 1.6);
    disc.setFillRule(Qt::OddEvenFill);

    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(30, 60, 110));
    painter.drawRect(QRectF(22, 25, 10, 5));  // the film strip
    painter.setBrush(QColor(245, 245, 245));
    for (qreal x = 23; x < 32; x += 3) {
        painter.drawRect(QRectF(x, 26, 1.5, 1));
        painter.drawRect(QRectF(x, 28, 1.5, 1));
    }

    QRadialGradient metal(centre - QPointF(4, 4), 18);
    metal.setColorAt(0, QColor(150, 185, 230));
    metal.setColorAt(1, QColor(30, 60, 110));
    painter.setBrush(metal);
    painter.setPen(QPen(QColor(15, 30, 60), 1));
    painter.drawPath(disc);
}

}  // namespace

QPixmap ProgramIconPixmap(int size) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(size / 32.0, size / 32.0);
    DrawReel(painter);
    return pixmap;
}

QIcon ProgramIcon() {
    QIcon icon;
    for (const int size : {16, 24, 32, 48, 64}) {
        icon.addPixmap(ProgramIconPixmap(size));
    }
    return icon;
}

}  // namespace cinevan
