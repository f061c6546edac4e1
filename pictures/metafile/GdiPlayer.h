#pragma once

#include <QPainter>
#include <QPainterPath>
#include <QTransform>
#include <optional>
#include <vector>

#include "pictures/DibSampler.h"
#include "pictures/metafile/GdiObjects.h"

namespace cinevan::pictures {

// Draws metafile operations through QPainter with the device-context state of the
// Windows drawing layer: mapping mode, window and viewport, world transform, selected
// pen, brush and font, text and background settings, clipping, paths and a save stack.
// Coordinates given to the drawing operations are logical units.
class GdiPlayer {
public:
    enum MapMode {
        Text = 1,
        LoMetric,
        HiMetric,
        LoEnglish,
        HiEnglish,
        Twips,
        Isotropic,
        Anisotropic
    };
    enum BkMode { TransparentBk = 1, OpaqueBk = 2 };

    // painter draws in output pixels; deviceToOutput maps the reference device's pixels
    // onto them; pixelsPerMm is the reference device's resolution for the metric modes;
    // outputBounds is the picture in output pixels.
    GdiPlayer(QPainter& painter, const QTransform& deviceToOutput, double pixelsPerMm,
              QRectF outputBounds);

    // Device-context settings.
    void setMapMode(int mode) { dc_.mapMode = mode; }
    void setWindowOrg(QPointF origin) { dc_.windowOrg = origin; }
    void setWindowExt(QSizeF extent);
    void setViewportOrg(QPointF origin) { dc_.viewportOrg = origin; }
    void setViewportExt(QSizeF extent);
    void setWorldTransform(const QTransform& transform) { dc_.world = transform; }
    const QTransform& worldTransform() const { return dc_.world; }
    void setTextColor(QColor color) { dc_.textColor = color; }
    void setBkColor(QColor color) { dc_.bkColor = color; }
    void setBkMode(int mode) { dc_.bkMode = mode; }
    void setTextAlign(std::uint32_t align) { dc_.textAlign = align; }
    void setPolyFillMode(int mode) { dc_.windingFill = mode == 2; }
    void selectPen(const GdiPen& pen) { dc_.pen = pen; }
    void selectBrush(const GdiBrush& brush) { dc_.brush = brush; }
    void selectFont(const GdiFont& font) { dc_.font = font; }
    void save();
    void restore(int which);
    void intersectClipRect(const QRectF& logical);
    void resetClip() { dc_.clip.reset(); }

    // Drawing.
    void moveTo(QPointF point);
    void lineTo(QPointF point);
    void polyline(const QPolygonF& points);
    void polylineTo(const QPolygonF& points);
    void polygon(const QPolygonF& points);
    void polyPolygon(const std::vector<QPolygonF>& polygons);
    void polyPolyline(const std::vector<QPolygonF>& polylines);
    void polyBezier(const QPolygonF& points);
    void polyBezierTo(const QPolygonF& points);
    void rectangle(const QRectF& box);
    void roundRect(const QRectF& box, QSizeF corner);
    void ellipse(const QRectF& box);
    enum class ArcKind { Arc, Chord, Pie };
    void arc(ArcKind kind, const QRectF& box, QPointF start, QPointF end);
    // opaqueBox (logical, may be empty) is filled with the background colour first.
    void text(QPointF reference, const QString& text, const QRectF& opaqueBox = {});
    void fillRect(const QRectF& box, QColor color);
    void patBlt(const QRectF& box, std::uint32_t rop);
    // Draws the part source of the bitmap into target. The bitmap is decoded only at the
    // resolution the target has in the picture, within what is left of the picture's budget
    // of bitmap pixels.
    void drawImage(const QRectF& target, const Dib& dib, const QRectF& source, std::uint32_t rop);

    // Paths.
    void beginPath() { path_.emplace(); }
    void endPath() {}
    void closeFigure();
    void fillPath() { finishPath(false, true); }
    void strokePath() { finishPath(true, false); }
    void strokeAndFillPath() { finishPath(true, true); }
    void abortPath() { path_.reset(); }

private:
    struct DcState {
        int mapMode = Text;
        QPointF windowOrg{0, 0};
        QSizeF windowExt{1, 1};
        QPointF viewportOrg{0, 0};
        QSizeF viewportExt{1, 1};
        QTransform world;
        GdiPen pen;
        GdiBrush brush;
        GdiFont font;
        QColor textColor = Qt::black;
        QColor bkColor = Qt::white;
        int bkMode = OpaqueBk;
        std::uint32_t textAlign = 0;
        bool windingFill = false;
        QPointF position{0, 0};
        std::optional<QPainterPath> clip;  // output pixels
    };

    QTransform pageToDevice() const;
    QTransform logicalToOutput() const;
    double outputScale() const;
    QPen outputPen() const;
    QBrush outputBrush() const;
    bool isReasonable(const QRectF& outputBox) const;
    void draw(const QPainterPath& logical, bool stroke, bool fill);
    void drawOutput(const QPainterPath& output, bool stroke, bool fill);
    void finishPath(bool stroke, bool fill);
    void applyClip();
    // Continues the recorded path from the current position to point (output pixels).
    void extendPath(QPointF point);
    QFont outputFont(double* pixelHeight) const;
    QSize sampleSize(const QRectF& output, QSize part);
    // Takes the part of the box inside the picture from what drawing may still cover; false
    // once that is used up, and the drawing is then left out.
    bool spend(const QRectF& outputBox);

    QPainter& painter_;
    QTransform deviceToOutput_;
    double pixelsPerMm_;
    QRectF bounds_;  // the picture
    QRectF limit_;   // output area beyond which shapes are dropped as absurd
    std::int64_t imagePixelsLeft_;
    double paintLeft_;  // picture area that drawing may still cover
    DcState dc_;
    std::vector<DcState> saved_;
    std::optional<QPainterPath> path_;  // output pixels, while a path is being recorded
};

}  // namespace cinevan::pictures
