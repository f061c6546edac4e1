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
    : m_painter(painter),
      m_deviceToOutput(deviceToOutput),
      m_pixelsPerMm(pixelsPerMm),
      m_bounds(outputBounds),
      m_imagePixelsLeft(kMaxMetafileImagePixels),
      m_paintLeft(kMaxOverdraw * outputBounds.width() * outputBounds.height()) {
    const double dx = outputBounds.width() * kLimitFactor,
                 dy = outputBounds.height() * kLimitFactor;
    m_limit = outputBounds.adjusted(-dx, -dy, dx, dy);
}

void GdiPlayer::setWindowExt(QSizeF extent) {
    if (extent.width() != 0 && extent.height() != 0) {
        m_dc.windowExt = extent;
    }
}

void GdiPlayer::setViewportExt(QSizeF extent) {
    if (extent.width() != 0 && extent.height() != 0) {
        m_dc.viewportExt = extent;
    }
}

QTransform GdiPlayer::pageToDevice() const {
    double sx = 1, sy = 1;
    switch (m_dc.mapMode) {
        case Isotropic:
        case Anisotropic: {
            sx = m_dc.viewportExt.width() / m_dc.windowExt.width();
            sy = m_dc.viewportExt.height() / m_dc.windowExt.height();
            if (m_dc.mapMode == Isotropic) {
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
            sx = mmPerUnit[m_dc.mapMode - LoMetric] * m_pixelsPerMm;
            sy = -sx;
            break;
        }
        default:
            break;
    }
    return QTransform::fromTranslate(-m_dc.windowOrg.x(), -m_dc.windowOrg.y()) *
           QTransform::fromScale(sx, sy) *
           QTransform::fromTranslate(m_dc.viewportOrg.x(), m_dc.viewportOrg.y());
}

QTransform GdiPlayer::logicalToOutput() const {
    return m_dc.world * pageToDevice() * m_deviceToOutput;
}

double GdiPlayer::outputScale() const {
    const QTransform t = logicalToOutput();
    return std::sqrt(std::abs(t.determinant()));
}

QPen GdiPlayer::outputPen() const {
    const Qt::PenStyle style = penStyle(m_dc.pen.style);
    if (style == Qt::NoPen) {
        return Qt::NoPen;
    }
    QPen pen(m_dc.pen.color);
    pen.setStyle(style);
    const double width = std::min(kMaxPenPixels, m_dc.pen.width * outputScale());
    pen.setWidthF(width >= 1 && std::isfinite(width) ? width : 1.0);
    // Geometric pens carry end caps (bits 8-11) and joins (bits 12-15); round is the default.
    static constexpr Qt::PenCapStyle caps[] = {Qt::RoundCap, Qt::SquareCap, Qt::FlatCap};
    static constexpr Qt::PenJoinStyle joins[] = {Qt::RoundJoin, Qt::BevelJoin, Qt::MiterJoin};
    pen.setCapStyle(caps[std::min<std::uint32_t>((m_dc.pen.style >> 8) & 0xf, 2)]);
    pen.setJoinStyle(joins[std::min<std::uint32_t>((m_dc.pen.style >> 12) & 0xf, 2)]);
    return pen;
}

QBrush GdiPlayer::outputBrush() const {
    switch (m_dc.brush.style) {
        case GdiBrush::Null:
            return Qt::NoBrush;
        case GdiBrush::Hatched:
            return QBrush(m_dc.brush.color, hatchStyle(m_dc.brush.hatch));
        case GdiBrush::Pattern:
            return m_dc.brush.pattern.isNull() ? QBrush(m_dc.brush.color)
                                               : QBrush(m_dc.brush.pattern);
        default:
            return QBrush(m_dc.brush.color);
    }
}

bool GdiPlayer::isReasonable(const QRectF& outputBox) const {
    // Corner by corner: a line's box has no area, and QRectF::contains(QRectF) rejects those.
    return isFinite(outputBox.topLeft()) && isFinite(outputBox.bottomRight()) &&
           m_limit.contains(outputBox.topLeft()) && m_limit.contains(outputBox.bottomRight());
}

void GdiPlayer::applyClip() {
    if (m_dc.clip) {
        m_painter.setClipPath(*m_dc.clip);
    } else {
        m_painter.setClipping(false);
    }
}

void GdiPlayer::draw(const QPainterPath& logical, bool stroke, bool fill) {
    const QPainterPath output = logicalToOutput().map(logical);
    if (m_path) {
        m_path->addPath(output);
        return;
    }
    drawOutput(output, stroke, fill);
}

void GdiPlayer::drawOutput(const QPainterPath& output, bool stroke, bool fill) {
    if (!isReasonable(output.controlPointRect()) || !spend(output.controlPointRect())) {
        return;
    }
    QPainterPath shape = output;
    shape.setFillRule(m_dc.windingFill ? Qt::WindingFill : Qt::OddEvenFill);
    applyClip();
    if (fill) {
        if (m_dc.brush.style == GdiBrush::Hatched && m_dc.bkMode == OpaqueBk) {
            m_painter.fillPath(shape, m_dc.bkColor);
        }
        m_painter.fillPath(shape, outputBrush());
    }
    if (stroke) {
        m_painter.strokePath(shape, outputPen());
    }
}

void GdiPlayer::save() {
    if (m_saved.size() < kMaxSavedStates) {
        m_saved.push_back(m_dc);
    }
}

void GdiPlayer::restore(int which) {
    // Negative: that many states back; positive: the state saved as number "which" (1-based).
    const int count = int(m_saved.size());
    const int index = which < 0 ? count + which : which - 1;
    if (index < 0 || index >= count) {
        return;
    }
    m_dc = m_saved[std::size_t(index)];
    m_saved.resize(std::size_t(index));
}

void GdiPlayer::intersectClipRect(const QRectF& logical) {
    QPainterPath box;
    box.addRect(logical.normalized());
    const QPainterPath output = logicalToOutput().map(box);
    m_dc.clip = m_dc.clip ? m_dc.clip->intersected(output) : output;
}

void GdiPlayer::moveTo(QPointF point) {
    m_dc.position = point;
    if (m_path) {
        m_path->moveTo(logicalToOutput().map(point));
    }
}

void GdiPlayer::extendPath(QPointF point) {
    if (m_path->elementCount() == 0) {
        m_path->moveTo(logicalToOutput().map(m_dc.position));
    }
    m_path->lineTo(logicalToOutput().map(point));
}

void GdiPlayer::lineTo(QPointF point) {
    if (m_path) {
        extendPath(point);
        m_dc.position = point;
        return;
    }
    QPainterPath path(m_dc.position);
    path.lineTo(point);
    m_dc.position = point;
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
    if (m_path) {
        const QTransform t = logicalToOutput();
        if (m_path->elementCount() == 0) {
            m_path->moveTo(t.map(m_dc.position));
        }
        for (qsizetype i = 0; i + 2 < points.size(); i += 3) {
            m_path->cubicTo(t.map(points[i]), t.map(points[i + 1]), t.map(points[i + 2]));
            m_dc.position = points[i + 2];
        }
        return;
    }
    QPainterPath path(m_dc.position);
    for (qsizetype i = 0; i + 2 < points.size(); i += 3) {
        path.cubicTo(points[i], points[i + 1], points[i + 2]);
        m_dc.position = points[i + 2];
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
    if (!m_dc.font.face.isEmpty()) {
        font.setFamily(m_dc.font.face);
    }
    // A positive height includes the internal leading, about a fifth of the cell.
    const double logical = m_dc.font.height < 0 ? -m_dc.font.height : m_dc.font.height * 0.8;
    double pixels = logical * outputScale();
    if (!(pixels >= 1) || m_dc.font.height == 0) {
        pixels = m_dc.font.height == 0 ? 12 : 1;
    }
    pixels = std::min(pixels, kMaxFontPixels);
    font.setPixelSize(std::max(1, qRound(pixels)));
    font.setWeight(QFont::Weight(std::clamp(m_dc.font.weight, 1, 1000)));
    font.setItalic(m_dc.font.italic);
    font.setUnderline(m_dc.font.underline);
    font.setStrikeOut(m_dc.font.strikeOut);
    *pixelHeight = pixels;
    return font;
}

void GdiPlayer::text(QPointF reference, const QString& text, const QRectF& opaqueBox) {
    if (!opaqueBox.isEmpty() && !m_path) {
        fillRect(opaqueBox, m_dc.bkColor);
    }
    if (text.isEmpty() || m_path) {
        return;
    }
    const bool updateCp = (m_dc.textAlign & kUpdateCp) != 0;
    const QPointF anchor = logicalToOutput().map(updateCp ? m_dc.position : reference);
    double pixelHeight = 0;
    const QFont font = outputFont(&pixelHeight);
    const QFontMetricsF metrics(font);
    const double width = metrics.horizontalAdvance(text);
    double x = 0;
    if ((m_dc.textAlign & kCenter) == kCenter) {
        x = -width / 2;
    } else if (m_dc.textAlign & kRight) {
        x = -width;
    }
    double y = metrics.ascent();
    if ((m_dc.textAlign & kBaseline) == kBaseline) {
        y = 0;
    } else if (m_dc.textAlign & kBottom) {
        y = -metrics.descent();
    }
    const QRectF box(anchor.x() + x, anchor.y() + y - metrics.ascent(), width, metrics.height());
    if (!isReasonable(box.adjusted(-box.height(), -box.height(), box.height(), box.height())) ||
        !spend(box)) {
        return;
    }
    applyClip();
    m_painter.save();
    m_painter.translate(anchor);
    m_painter.rotate(-m_dc.font.escapement / 10.0);
    if (m_dc.bkMode == OpaqueBk && opaqueBox.isEmpty()) {
        m_painter.fillRect(QRectF(x, y - metrics.ascent(), width, metrics.height()), m_dc.bkColor);
    }
    m_painter.setFont(font);
    m_painter.setPen(m_dc.textColor);
    m_painter.drawText(QPointF(x, y), text);
    m_painter.restore();
    if (updateCp) {
        const QTransform back = logicalToOutput().inverted();
        m_dc.position = back.map(anchor + QPointF(width, 0));
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
    m_painter.fillPath(output, color);
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
            m_painter.fillPath(output, outputBrush());
        }
    }
}

void GdiPlayer::drawImage(const QRectF& target, const Dib& dib, const QRectF& source,
                          std::uint32_t rop) {
    const QTransform transform = logicalToOutput();
    const QRectF wanted = source.normalized();
    if (m_path || wanted.isEmpty() || !isReasonable(transform.mapRect(target))) {
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
    m_painter.save();
    m_painter.setTransform(transform);
    m_painter.setCompositionMode(compositionFor(rop));
    m_painter.setRenderHint(QPainter::SmoothPixmapTransform);
    m_painter.drawImage(shown, image);
    m_painter.restore();
}

bool GdiPlayer::spend(const QRectF& outputBox) {
    const QRectF inside = outputBox.normalized().intersected(m_bounds);
    m_paintLeft -= std::max(1.0, inside.width() * inside.height());
    return m_paintLeft >= 0;
}

// How many pixels of a bitmap part to decode for an output box: no more than the box has
// within the picture, and within the budget left.
QSize GdiPlayer::sampleSize(const QRectF& output, QSize part) {
    if (!output.intersects(m_bounds)) {
        return {};
    }
    const auto side = [](double outputSide, double boundsSide, int partSide) {
        return std::clamp(int(std::ceil(std::min(outputSide, boundsSide))), 1, partSide);
    };
    QSize size(side(output.width(), m_bounds.width(), part.width()),
               side(output.height(), m_bounds.height(), part.height()));
    const std::int64_t pixels = std::int64_t(size.width()) * size.height();
    if (pixels > m_imagePixelsLeft) {
        const double f = std::sqrt(double(m_imagePixelsLeft) / double(pixels));
        size = QSize(int(size.width() * f), int(size.height() * f));
    }
    if (size.isEmpty()) {
        return {};
    }
    m_imagePixelsLeft -= std::int64_t(size.width()) * size.height();
    return size;
}

void GdiPlayer::closeFigure() {
    if (m_path) {
        m_path->closeSubpath();
    }
}

void GdiPlayer::finishPath(bool stroke, bool fill) {
    if (!m_path) {
        return;
    }
    QPainterPath output = *m_path;
    m_path.reset();
    drawOutput(output, stroke, fill);
}

}  // namespace cinevan::pictures
