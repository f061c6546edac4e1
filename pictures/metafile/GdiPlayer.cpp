#include "pictures/metafile/GdiPlayer.h"

#include <QFontMetricsF>
#include <QtMath>
#include <algorithm>
#include <cmath>

#include "pictures/metafile/MetafileLimits.h"

namespace cinevan::pictures {

namespace {

// Shapes may reach this many picture sizes beyond the picture before they are dropped.
constexpr double kLimitFactor = 16;
constexpr double kMaxPenPixels = 4096;
constexpr double kMaxFontPixels = 4096;
constexpr int kMaxSavedStates = 4096;

enum TextAlign : std::uint32_t {
    kUpdateCp = 1,
    kRight = 2,
    kCenter = 6,
    kBottom = 8,
    kBaseline = 24,
};

enum Rop : std::uint32_t {
    kSrcCopy = 0x00CC0020,
    kSrcPaint = 0x00EE0086,
    kSrcAnd = 0x008800C6,
    kSrcInvert = 0x00660046,
    kPatCopy = 0x00F00021,
    kBlackness = 0x00000042,
    kWhiteness = 0x00FF0062,
};

Qt::PenStyle penStyle(std::uint32_t style) {
    switch (style & 0xff) {
        case GdiPen::Dash:
            return Qt::DashLine;
        case GdiPen::Dot:
            return Qt::DotLine;
        case GdiPen::DashDot:
            return Qt::DashDotLine;
        case GdiPen::DashDotDot:
            return Qt::DashDotDotLine;
        case GdiPen::Null:
            return Qt::NoPen;
        default:
            return Qt::SolidLine;
    }
}

Qt::BrushStyle hatchStyle(std::uint32_t hatch) {
    static constexpr Qt::BrushStyle styles[] = {Qt::HorPattern,   Qt::VerPattern,
                                                Qt::FDiagPattern, Qt::BDiagPattern,
                                                Qt::CrossPattern, Qt::DiagCrossPattern};
    return hatch < std::size(styles) ? styles[hatch] : Qt::SolidPattern;
}

QPainter::CompositionMode compositionFor(std::uint32_t rop) {
    switch (rop) {
        case kSrcPaint:
            return QPainter::RasterOp_SourceOrDestination;
        case kSrcAnd:
            return QPainter::RasterOp_SourceAndDestination;
        case kSrcInvert:
            return QPainter::RasterOp_SourceXorDestination;
        default:
            return QPainter::CompositionMode_SourceOver;
    }
}

// Parametric angle of a point on the ellipse in box, in degrees counter-clockwise.
double angleOf(const QRectF& box, QPointF point) {
    const QPointF c = box.center();
    const double rx = std::max(box.width() / 2, 1e-9), ry = std::max(box.height() / 2, 1e-9);
    return qRadiansToDegrees(std::atan2(-(point.y() - c.y()) / ry, (point.x() - c.x()) / rx));
}

bool isFinite(QPointF p) {
    return std::isfinite(p.x()) && std::isfinite(p.y());
}

}  // namespace

GdiPlayer::GdiPlayer(QPainter& painter, const QTransform& deviceToOutput, double pixelsPerMm,
                     QRectF outputBounds)
    : painter_(painter),
      deviceToOutput_(deviceToOutput),
      pixelsPerMm_(pixelsPerMm),
      bounds_(outputBounds),
      imagePixelsLeft_(kMaxMetafileImagePixels),
      paintLeft_(kMaxOverdraw * outputBounds.width() * outputBounds.height()) {
    const double dx = outputBounds.width() * kLimitFactor,
                 dy = outputBounds.height() * kLimitFactor;
    limit_ = outputBounds.adjusted(-dx, -dy, dx, dy);
}

void GdiPlayer::setWindowExt(QSizeF extent) {
    if (extent.width() != 0 && extent.height() != 0) {
        dc_.windowExt = extent;
    }
}

void GdiPlayer::setViewportExt(QSizeF extent) {
    if (extent.width() != 0 && extent.height() != 0) {
        dc_.viewportExt = extent;
    }
}

QTransform GdiPlayer::pageToDevice() const {
    double sx = 1, sy = 1;
    switch (dc_.mapMode) {
        case Isotropic:
        case Anisotropic: {
            sx = dc_.viewportExt.width() / dc_.windowExt.width();
            sy = dc_.viewportExt.height() / dc_.windowExt.height();
            if (dc_.mapMode == Isotropic) {
                const double s = std::min(std::abs(sx), std::abs(sy));
                sx = std::copysign(s, sx);
                sy = std::copysign(s, sy);
            }
            break;
        }
        case LoMetric:
        case HiMetric:
        case LoEnglish:
        case HiEnglish:
        case Twips: {
            static constexpr double mmPerUnit[] = {0.1, 0.01, 0.254, 0.0254, 25.4 / 1440};
            sx = mmPerUnit[dc_.mapMode - LoMetric] * pixelsPerMm_;
            sy = -sx;
            break;
        }
        default:
            break;
    }
    return QTransform::fromTranslate(-dc_.windowOrg.x(), -dc_.windowOrg.y()) *
           QTransform::fromScale(sx, sy) *
           QTransform::fromTranslate(dc_.viewportOrg.x(), dc_.viewportOrg.y());
}

QTransform GdiPlayer::logicalToOutput() const {
    return dc_.world * pageToDevice() * deviceToOutput_;
}

double GdiPlayer::outputScale() const {
    const QTransform t = logicalToOutput();
    return std::sqrt(std::abs(t.determinant()));
}

QPen GdiPlayer::outputPen() const {
    const Qt::PenStyle style = penStyle(dc_.pen.style);
    if (style == Qt::NoPen) {
        return Qt::NoPen;
    }
    QPen pen(dc_.pen.color);
    pen.setStyle(style);
    const double width = std::min(kMaxPenPixels, dc_.pen.width * outputScale());
    pen.setWidthF(width >= 1 && std::isfinite(width) ? width : 1.0);
    // Geometric pens carry end caps (bits 8-11) and joins (bits 12-15); round is the default.
    static constexpr Qt::PenCapStyle caps[] = {Qt::RoundCap, Qt::SquareCap, Qt::FlatCap};
    static constexpr Qt::PenJoinStyle joins[] = {Qt::RoundJoin, Qt::BevelJoin, Qt::MiterJoin};
    pen.setCapStyle(caps[std::min<std::uint32_t>((dc_.pen.style >> 8) & 0xf, 2)]);
    pen.setJoinStyle(joins[std::min<std::uint32_t>((dc_.pen.style >> 12) & 0xf, 2)]);
    return pen;
}

QBrush GdiPlayer::outputBrush() const {
    switch (dc_.brush.style) {
        case GdiBrush::Null:
            return Qt::NoBrush;
        case GdiBrush::Hatched:
            return QBrush(dc_.brush.color, hatchStyle(dc_.brush.hatch));
        case GdiBrush::Pattern:
            return dc_.brush.pattern.isNull() ? QBrush(dc_.brush.color) : QBrush(dc_.brush.pattern);
        default:
            return QBrush(dc_.brush.color);
    }
}

bool GdiPlayer::isReasonable(const QRectF& outputBox) const {
    // Corner by corner: a line's box has no area, and QRectF::contains(QRectF) rejects those.
    return isFinite(outputBox.topLeft()) && isFinite(outputBox.bottomRight()) &&
           limit_.contains(outputBox.topLeft()) && limit_.contains(outputBox.bottomRight());
}

void GdiPlayer::applyClip() {
    if (dc_.clip) {
        painter_.setClipPath(*dc_.clip);
    } else {
        painter_.setClipping(false);
    }
}

void GdiPlayer::draw(const QPainterPath& logical, bool stroke, bool fill) {
    const QPainterPath output = logicalToOutput().map(logical);
    if (path_) {
        path_->addPath(output);
        return;
    }
    drawOutput(output, stroke, fill);
}

void GdiPlayer::drawOutput(const QPainterPath& output, bool stroke, bool fill) {
    if (!isReasonable(output.controlPointRect()) || !spend(output.controlPointRect())) {
        return;
    }
    QPainterPath shape = output;
    shape.setFillRule(dc_.windingFill ? Qt::WindingFill : Qt::OddEvenFill);
    applyClip();
    if (fill) {
        if (dc_.brush.style == GdiBrush::Hatched && dc_.bkMode == OpaqueBk) {
            painter_.fillPath(shape, dc_.bkColor);
        }
        painter_.fillPath(shape, outputBrush());
    }
    if (stroke) {
        painter_.strokePath(shape, outputPen());
    }
}

void GdiPlayer::save() {
    if (saved_.size() < kMaxSavedStates) {
        saved_.push_back(dc_);
    }
}

void GdiPlayer::restore(int which) {
    // Negative: that many states back; positive: the state saved as number "which" (1-based).
    const int count = int(saved_.size());
    const int index = which < 0 ? count + which : which - 1;
    if (index < 0 || index >= count) {
        return;
    }
    dc_ = saved_[std::size_t(index)];
    saved_.resize(std::size_t(index));
}

void GdiPlayer::intersectClipRect(const QRectF& logical) {
    QPainterPath box;
    box.addRect(logical.normalized());
    const QPainterPath output = logicalToOutput().map(box);
    dc_.clip = dc_.clip ? dc_.clip->intersected(output) : output;
}

void GdiPlayer::moveTo(QPointF point) {
    dc_.position = point;
    if (path_) {
        path_->moveTo(logicalToOutput().map(point));
    }
}

void GdiPlayer::extendPath(QPointF point) {
    if (path_->elementCount() == 0) {
        path_->moveTo(logicalToOutput().map(dc_.position));
    }
    path_->lineTo(logicalToOutput().map(point));
}

void GdiPlayer::lineTo(QPointF point) {
    if (path_) {
        extendPath(point);
        dc_.position = point;
        return;
    }
    QPainterPath path(dc_.position);
    path.lineTo(point);
    dc_.position = point;
    draw(path, true, false);
}

void GdiPlayer::polyline(const QPolygonF& points) {
    if (points.size() < 2) {
        return;
    }
    QPainterPath path;
    path.addPolygon(points);
    draw(path, true, false);
}

void GdiPlayer::polylineTo(const QPolygonF& points) {
    for (const QPointF& point : points) {
        lineTo(point);
    }
}

void GdiPlayer::polygon(const QPolygonF& points) {
    polyPolygon({points});
}

void GdiPlayer::polyPolygon(const std::vector<QPolygonF>& polygons) {
    QPainterPath path;
    for (const QPolygonF& points : polygons) {
        if (points.size() >= 2) {
            path.addPolygon(points);
            path.closeSubpath();
        }
    }
    draw(path, true, true);
}

void GdiPlayer::polyPolyline(const std::vector<QPolygonF>& polylines) {
    for (const QPolygonF& points : polylines) {
        polyline(points);
    }
}

void GdiPlayer::polyBezier(const QPolygonF& points) {
    if (points.isEmpty()) {
        return;
    }
    moveTo(points.front());
    polyBezierTo(points.mid(1));
}

void GdiPlayer::polyBezierTo(const QPolygonF& points) {
    if (path_) {
        const QTransform t = logicalToOutput();
        if (path_->elementCount() == 0) {
            path_->moveTo(t.map(dc_.position));
        }
        for (qsizetype i = 0; i + 2 < points.size(); i += 3) {
            path_->cubicTo(t.map(points[i]), t.map(points[i + 1]), t.map(points[i + 2]));
            dc_.position = points[i + 2];
        }
        return;
    }
    QPainterPath path(dc_.position);
    for (qsizetype i = 0; i + 2 < points.size(); i += 3) {
        path.cubicTo(points[i], points[i + 1], points[i + 2]);
        dc_.position = points[i + 2];
    }
    draw(path, true, false);
}

void GdiPlayer::rectangle(const QRectF& box) {
    QPainterPath path;
    path.addRect(box.normalized());
    draw(path, true, true);
}

void GdiPlayer::roundRect(const QRectF& box, QSizeF corner) {
    QPainterPath path;
    path.addRoundedRect(box.normalized(), std::abs(corner.width()) / 2,
                        std::abs(corner.height()) / 2);
    draw(path, true, true);
}

void GdiPlayer::ellipse(const QRectF& box) {
    QPainterPath path;
    path.addEllipse(box.normalized());
    draw(path, true, true);
}

void GdiPlayer::arc(ArcKind kind, const QRectF& box, QPointF start, QPointF end) {
    const QRectF r = box.normalized();
    const double from = angleOf(r, start);
    double span = angleOf(r, end) - from;
    if (span <= 0) {
        span += 360;
    }
    QPainterPath path;
    if (kind == ArcKind::Pie) {
        path.moveTo(r.center());
    } else {
        path.arcMoveTo(r, from);
    }
    path.arcTo(r, from, span);
    if (kind != ArcKind::Arc) {
        path.closeSubpath();
    }
    draw(path, true, kind != ArcKind::Arc);
}

QFont GdiPlayer::outputFont(double* pixelHeight) const {
    QFont font;
    if (!dc_.font.face.isEmpty()) {
        font.setFamily(dc_.font.face);
    }
    // A positive height includes the internal leading, about a fifth of the cell.
    const double logical = dc_.font.height < 0 ? -dc_.font.height : dc_.font.height * 0.8;
    double pixels = logical * outputScale();
    if (!(pixels >= 1) || dc_.font.height == 0) {
        pixels = dc_.font.height == 0 ? 12 : 1;
    }
    pixels = std::min(pixels, kMaxFontPixels);
    font.setPixelSize(std::max(1, qRound(pixels)));
    font.setWeight(QFont::Weight(std::clamp(dc_.font.weight, 1, 1000)));
    font.setItalic(dc_.font.italic);
    font.setUnderline(dc_.font.underline);
    font.setStrikeOut(dc_.font.strikeOut);
    *pixelHeight = pixels;
    return font;
}

void GdiPlayer::text(QPointF reference, const QString& text, const QRectF& opaqueBox) {
    if (!opaqueBox.isEmpty() && !path_) {
        fillRect(opaqueBox, dc_.bkColor);
    }
    if (text.isEmpty() || path_) {
        return;
    }
    const bool updateCp = (dc_.textAlign & kUpdateCp) != 0;
    const QPointF anchor = logicalToOutput().map(updateCp ? dc_.position : reference);
    double pixelHeight = 0;
    const QFont font = outputFont(&pixelHeight);
    const QFontMetricsF metrics(font);
    const double width = metrics.horizontalAdvance(text);
    double x = 0;
    if ((dc_.textAlign & kCenter) == kCenter) {
        x = -width / 2;
    } else if (dc_.textAlign & kRight) {
        x = -width;
    }
    double y = metrics.ascent();
    if ((dc_.textAlign & kBaseline) == kBaseline) {
        y = 0;
    } else if (dc_.textAlign & kBottom) {
        y = -metrics.descent();
    }
    const QRectF box(anchor.x() + x, anchor.y() + y - metrics.ascent(), width, metrics.height());
    if (!isReasonable(box.adjusted(-box.height(), -box.height(), box.height(), box.height())) ||
        !spend(box)) {
        return;
    }
    applyClip();
    painter_.save();
    painter_.translate(anchor);
    painter_.rotate(-dc_.font.escapement / 10.0);
    if (dc_.bkMode == OpaqueBk && opaqueBox.isEmpty()) {
        painter_.fillRect(QRectF(x, y - metrics.ascent(), width, metrics.height()), dc_.bkColor);
    }
    painter_.setFont(font);
    painter_.setPen(dc_.textColor);
    painter_.drawText(QPointF(x, y), text);
    painter_.restore();
    if (updateCp) {
        const QTransform back = logicalToOutput().inverted();
        dc_.position = back.map(anchor + QPointF(width, 0));
    }
}

void GdiPlayer::fillRect(const QRectF& box, QColor color) {
    QPainterPath path;
    path.addRect(box.normalized());
    const QPainterPath output = logicalToOutput().map(path);
    if (!isReasonable(output.controlPointRect()) || !spend(output.controlPointRect())) {
        return;
    }
    applyClip();
    painter_.fillPath(output, color);
}

void GdiPlayer::patBlt(const QRectF& box, std::uint32_t rop) {
    if (rop == kBlackness) {
        fillRect(box, Qt::black);
    } else if (rop == kWhiteness) {
        fillRect(box, Qt::white);
    } else if (rop == kPatCopy) {
        QPainterPath path;
        path.addRect(box.normalized());
        const QPainterPath output = logicalToOutput().map(path);
        if (isReasonable(output.controlPointRect()) && spend(output.controlPointRect())) {
            applyClip();
            painter_.fillPath(output, outputBrush());
        }
    }
}

void GdiPlayer::drawImage(const QRectF& target, const Dib& dib, const QRectF& source,
                          std::uint32_t rop) {
    const QTransform transform = logicalToOutput();
    const QRectF wanted = source.normalized();
    if (path_ || wanted.isEmpty() || !isReasonable(transform.mapRect(target))) {
        return;
    }
    // The part of the source inside the bitmap, and the part of the target it covers.
    const QRect part = wanted.toAlignedRect().intersected(QRect(QPoint(0, 0), dibSize(dib.info)));
    if (part.isEmpty()) {
        return;
    }
    const double sx = target.width() / wanted.width(), sy = target.height() / wanted.height();
    const QRectF shown(target.x() + (part.x() - wanted.x()) * sx,
                       target.y() + (part.y() - wanted.y()) * sy, part.width() * sx,
                       part.height() * sy);
    const QRectF output = transform.mapRect(shown);
    const QSize samples = spend(output) ? sampleSize(output, part.size()) : QSize();
    const QImage image = samples.isEmpty() ? QImage() : sampleDib(dib, part, samples);
    if (image.isNull()) {
        return;
    }
    applyClip();
    painter_.save();
    painter_.setTransform(transform);
    painter_.setCompositionMode(compositionFor(rop));
    painter_.setRenderHint(QPainter::SmoothPixmapTransform);
    painter_.drawImage(shown, image);
    painter_.restore();
}

bool GdiPlayer::spend(const QRectF& outputBox) {
    const QRectF inside = outputBox.normalized().intersected(bounds_);
    paintLeft_ -= std::max(1.0, inside.width() * inside.height());
    return paintLeft_ >= 0;
}

// How many pixels of a bitmap part to decode for an output box: no more than the box has
// within the picture, and within the budget left.
QSize GdiPlayer::sampleSize(const QRectF& output, QSize part) {
    if (!output.intersects(bounds_)) {
        return {};
    }
    const auto side = [](double outputSide, double boundsSide, int partSide) {
        return std::clamp(int(std::ceil(std::min(outputSide, boundsSide))), 1, partSide);
    };
    QSize size(side(output.width(), bounds_.width(), part.width()),
               side(output.height(), bounds_.height(), part.height()));
    const std::int64_t pixels = std::int64_t(size.width()) * size.height();
    if (pixels > imagePixelsLeft_) {
        const double f = std::sqrt(double(imagePixelsLeft_) / double(pixels));
        size = QSize(int(size.width() * f), int(size.height() * f));
    }
    if (size.isEmpty()) {
        return {};
    }
    imagePixelsLeft_ -= std::int64_t(size.width()) * size.height();
    return size;
}

void GdiPlayer::closeFigure() {
    if (path_) {
        path_->closeSubpath();
    }
}

void GdiPlayer::finishPath(bool stroke, bool fill) {
    if (!path_) {
        return;
    }
    QPainterPath output = *path_;
    path_.reset();
    drawOutput(output, stroke, fill);
}

}  // namespace cinevan::pictures
