#pragma once

#include <QColor>
#include <QList>
#include <QPoint>
#include <QRect>
#include <QWidget>

#include "pictures/Graphic.h"

namespace cinevan {

class Picture;

// Where a picture of size picture goes in a view of size view (see TImageEx::PictureRect).
QRect imageExPictureRect(QSize view, QSize picture, bool stretch, bool center, bool maintainAspect);

// Top-left corners of the tiles of size tile that touch clip, aligned to the origin.
QList<QPoint> imageExTilePositions(const QRect& clip, QSize tile);

// Shows one picture inside its bounds: at natural size, centred, stretched, tiled, or
// stretched as large as it goes without distortion with the two margins painted in
// AspectColor (MaintainAspect).
class TImageEx : public QWidget {
    Q_OBJECT
    Q_PROPERTY(bool AutoSize READ autoSize WRITE setAutoSize)
    Q_PROPERTY(bool Stretch READ stretch WRITE setStretch)
    Q_PROPERTY(bool Center READ center WRITE setCenter)
    Q_PROPERTY(bool Tiled READ tiled WRITE setTiled)
    Q_PROPERTY(bool IncrementalDisplay READ incrementalDisplay WRITE setIncrementalDisplay)
    Q_PROPERTY(bool Transparent READ transparent WRITE setTransparent)
    Q_PROPERTY(bool MaintainAspect READ maintainAspect WRITE setMaintainAspect)
    Q_PROPERTY(QColor AspectColor READ aspectColor WRITE setAspectColor)
    Q_PROPERTY(QString Hint READ hint WRITE setHint)
    Q_CLASSINFO("LocalizableProperties", "Hint")

public:
    explicit TImageEx(QWidget* parent = nullptr);

    // The owned picture holder: owners load a file into it or clear it.
    Picture* picture() const { return FPicture; }
    // Copies picture into the owned holder; null empties it.
    void setPicture(const Picture* picture);

    bool autoSize() const { return FAutoSize; }
    void setAutoSize(bool value);
    bool stretch() const { return FStretch; }
    void setStretch(bool value) { setFlag(FStretch, value); }
    bool center() const { return FCenter; }
    void setCenter(bool value) { setFlag(FCenter, value); }
    bool tiled() const { return FTiled; }
    void setTiled(bool value) { setFlag(FTiled, value); }
    bool incrementalDisplay() const { return FIncrementalDisplay; }
    void setIncrementalDisplay(bool value) { FIncrementalDisplay = value; }
    bool transparent() const { return FTransparent; }
    void setTransparent(bool value) { setFlag(FTransparent, value); }
    bool maintainAspect() const { return FMaintainAspect; }
    void setMaintainAspect(bool value) { setFlag(FMaintainAspect, value); }
    QColor aspectColor() const { return FAspectColor; }
    void setAspectColor(const QColor& value);
    QString hint() const { return toolTip(); }
    void setHint(const QString& value) { setToolTip(value); }

    // Where the picture is drawn, in widget coordinates (may reach outside the widget).
    QRect PictureRect() const;

signals:
    void OnProgress(const cinevan::Graphic& graphic, const cinevan::ProgressInfo& info);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void setFlag(bool& field, bool value);
    void DisplayChanged();
    void Progress(const Graphic& graphic, const ProgressInfo& info);
    // The graphic to paint: the one being decoded during incremental display, else the held one.
    const Graphic* shownGraphic() const;
    void paintTiles(QPainter& painter, const Graphic& graphic, const QRect& clip) const;
    void paintWithMargins(QPainter& painter, const Graphic& graphic) const;

    Picture* FPicture;
    bool FAutoSize = false;
    bool FStretch = false;
    bool FCenter = false;
    bool FTiled = false;
    bool FIncrementalDisplay = false;
    bool FTransparent = false;
    bool FPainting = false;
    bool FMaintainAspect = false;
    QColor FAspectColor = Qt::black;
    const Graphic* FDecoding = nullptr;
};

}  // namespace cinevan
