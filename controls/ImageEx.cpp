#include "controls/ImageEx.h"

#include <QPaintEvent>
#include <QPainter>
#include <cmath>

#include "pictures/Picture.h"
#include "platform/Numeric.h"

namespace cinevan {

namespace {

QRect fromEdges(int left, int top, int right, int bottom) {
    return QRect(left, top, right - left, bottom - top);
}

QRect aspectRect(QSize view, QSize picture) {
    const int w = view.width(), h = view.height();
    const int pw = picture.width(), ph = picture.height();
    // The ratios are kept in single precision on purpose: the rounding of the margins
    // depends on it.
    const float xr = float(pw) / float(w);
    const float yr = float(ph) / float(h);
    if (xr > yr) {
        const int half = roundHalfEven(double(ph) / double(xr) * 0.5);
        return fromEdges(0, h / 2 - half, w, h / 2 + half);
    }
    const int half = roundHalfEven(double(pw) / double(yr) * 0.5);
    return fromEdges(w / 2 - half, 0, w / 2 + half, h);
}

// Restores a flag to its earlier value when the scope ends, also on an exception.
class FlagGuard {
public:
    FlagGuard(bool& flag, bool value) : flag_(flag), saved_(flag) { flag_ = value; }
    ~FlagGuard() { flag_ = saved_; }
    FlagGuard(const FlagGuard&) = delete;
    FlagGuard& operator=(const FlagGuard&) = delete;

private:
    bool& flag_;
    bool saved_;
};

}  // namespace

QRect imageExPictureRect(QSize view, QSize picture, bool stretch, bool center,
                         bool maintainAspect) {
    const int w = view.width(), h = view.height();
    const int pw = picture.width(), ph = picture.height();
    if (stretch) {
        if (maintainAspect && pw != 0 && ph != 0 && w > 0 && h > 0) {
            return aspectRect(view, picture);
        }
        return QRect(0, 0, w, h);
    }
    if (center) {
        const int left = (w - pw) / 2, top = (h - ph) / 2;
        return QRect(left, top, pw, ph);
    }
    return QRect(0, 0, pw, ph);
}

QList<QPoint> imageExTilePositions(const QRect& clip, QSize tile) {
    QList<QPoint> positions;
    if (clip.isEmpty() || tile.isEmpty()) {
        return positions;
    }
    const int w = tile.width(), h = tile.height();
    const int cl = clip.left(), ct = clip.top();
    const int cr = clip.left() + clip.width(), cb = clip.top() + clip.height();
    const int x0 = int(std::floor(double(cl) / w)) * w, y0 = int(std::floor(double(ct) / h)) * h;
    const int x1 = int(std::ceil(double(cr) / w)) * w, y1 = int(std::ceil(double(cb) / h)) * h;
    for (int y = y0; y < y1 - 1; y += h) {
        for (int x = x0; x < x1 - 1; x += w) {
            positions.append(QPoint(x, y));
        }
    }
    return positions;
}

TImageEx::TImageEx(QWidget* parent) : QWidget(parent), FPicture(new Picture(this)) {
    resize(105, 105);
    connect(FPicture, &Picture::changed, this, &TImageEx::DisplayChanged);
    connect(FPicture, &Picture::progress, this, &TImageEx::Progress);
}

void TImageEx::setPicture(const Picture* picture) {
    FPicture->assign(picture);
}

void TImageEx::setAutoSize(bool value) {
    FAutoSize = value;
    DisplayChanged();
}

void TImageEx::setFlag(bool& field, bool value) {
    if (field != value) {
        field = value;
        DisplayChanged();
    }
}

void TImageEx::setAspectColor(const QColor& value) {
    if (FAspectColor != value) {
        FAspectColor = value;
        DisplayChanged();
    }
}

const Graphic* TImageEx::shownGraphic() const {
    return FDecoding ? FDecoding : FPicture->graphic();
}

QRect TImageEx::PictureRect() const {
    const Graphic* graphic = shownGraphic();
    return imageExPictureRect(size(), graphic ? graphic->size() : QSize(0, 0), FStretch, FCenter,
                              FMaintainAspect);
}

void TImageEx::DisplayChanged() {
    Graphic* graphic = FPicture->graphic();
    const int pw = graphic ? graphic->width() : 0, ph = graphic ? graphic->height() : 0;
    if (FAutoSize && pw > 0 && ph > 0) {
        resize(pw, ph);
    }
    bool opaque = false;
    if (graphic) {
        if (graphic->kind() != Graphic::Kind::Metafile && graphic->kind() != Graphic::Kind::Icon) {
            graphic->setTransparent(FTransparent);
        }
        opaque = !graphic->transparent() && (FStretch || (pw >= width() && ph >= height()));
    }
    setAttribute(Qt::WA_OpaquePaintEvent, opaque);
    if (!FPainting) {
        update();
    }
}

void TImageEx::Progress(const Graphic& graphic, const ProgressInfo& info) {
    if (FIncrementalDisplay && info.redrawNow) {
        const Graphic* previous = FDecoding;
        FDecoding = &graphic;
        repaint();
        FDecoding = previous;
    }
    emit OnProgress(graphic, info);
}

void TImageEx::paintEvent(QPaintEvent* event) {
    FlagGuard painting(FPainting, true);
    const Graphic* graphic = shownGraphic();
    if (!graphic) {
        return;
    }
    QPainter painter(this);
    if (FTiled) {
        paintTiles(painter, *graphic, event->rect());
    } else if (FMaintainAspect) {
        paintWithMargins(painter, *graphic);
    } else {
        graphic->draw(painter, PictureRect());
    }
}

void TImageEx::paintTiles(QPainter& painter, const Graphic& graphic, const QRect& clip) const {
    if (graphic.isEmpty()) {
        return;
    }
    for (const QPoint& at : imageExTilePositions(clip, graphic.size())) {
        graphic.drawAt(painter, at);
    }
}

void TImageEx::paintWithMargins(QPainter& painter, const Graphic& graphic) const {
    const QRect r = PictureRect();
    graphic.draw(painter, r);
    const int left = r.left(), top = r.top();
    const int right = r.left() + r.width(), bottom = r.top() + r.height();
    if (left > 0) {
        painter.fillRect(fromEdges(0, top, left, bottom), FAspectColor);
        painter.fillRect(fromEdges(right, top, width(), bottom), FAspectColor);
    }
    if (top > 0) {
        painter.fillRect(fromEdges(left, 0, right, top), FAspectColor);
        painter.fillRect(fromEdges(left, bottom, right, height()), FAspectColor);
    }
}

}  // namespace cinevan
