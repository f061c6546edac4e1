#include "ui/ButtonGlyphs.h"

#include <QIconEngine>
#include <QPainter>
#include <QPainterPath>

namespace cinevan {

namespace {

constexpr QSizeF kGlyphSize(16, 15);

QPainterPath triangleRight(qreal left, qreal top, qreal width, qreal height) {
    QPainterPath path;
    path.moveTo(left, top);
    path.lineTo(left + width, top + height / 2);
    path.lineTo(left, top + height);
    path.closeSubpath();
    return path;
}

QPainterPath triangleLeft(qreal left, qreal top, qreal width, qreal height) {
    QPainterPath path;
    path.moveTo(left + width, top);
    path.lineTo(left, top + height / 2);
    path.lineTo(left + width, top + height);
    path.closeSubpath();
    return path;
}

QPainterPath box(qreal left, qreal top, qreal width, qreal height) {
    QPainterPath path;
    path.addRect(left, top, width, height);
    return path;
}

// The shapes in the 16 x 15 design grid.
QPainterPath shapeOf(Glyph glyph) {
    switch (glyph) {
        case Glyph::Play:
            return triangleRight(5, 3, 6, 9);
        case Glyph::Pause:
            return box(4, 3, 3, 9).united(box(9, 3, 3, 9));
        case Glyph::Stop:
            return box(4, 4, 8, 7);
        case Glyph::Prior:
            return box(2, 3, 2, 9)
                .united(triangleLeft(4, 3, 5, 9))
                .united(triangleLeft(9, 3, 5, 9));
        case Glyph::Next:
            return triangleRight(2, 3, 5, 9)
                .united(triangleRight(7, 3, 5, 9))
                .united(box(12, 3, 2, 9));
        case Glyph::Eject: {
            QPainterPath up;
            up.moveTo(8, 2);
            up.lineTo(14, 8);
            up.lineTo(2, 8);
            up.closeSubpath();
            return up.united(box(2, 10, 12, 2));
        }
        case Glyph::Disc: {
            QPainterPath disc;
            disc.addEllipse(QPointF(8, 7.5), 6.5, 6.5);
            QPainterPath hole;
            hole.addEllipse(QPointF(8, 7.5), 1.6, 1.6);
            return disc.subtracted(hole);
        }
    }
    return {};
}

class GlyphEngine : public QIconEngine {
public:
    explicit GlyphEngine(Glyph glyph) : glyph_(glyph) {}

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State) override {
        painter->save();
        painter->setRenderHint(QPainter::Antialiasing);
        painter->translate(rect.topLeft());
        painter->scale(rect.width() / kGlyphSize.width(), rect.height() / kGlyphSize.height());
        painter->setPen(Qt::NoPen);
        painter->setBrush(mode == QIcon::Disabled ? QColor(128, 128, 128) : QColor(Qt::black));
        painter->drawPath(shapeOf(glyph_));
        painter->restore();
    }

    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
        QPixmap pixmap(size);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        paint(&painter, QRect(QPoint(0, 0), size), mode, state);
        return pixmap;
    }

    QIconEngine* clone() const override { return new GlyphEngine(glyph_); }

private:
    Glyph glyph_;
};

}  // namespace

QIcon glyphIcon(Glyph glyph) {
    return QIcon(new GlyphEngine(glyph));
}

}  // namespace cinevan
