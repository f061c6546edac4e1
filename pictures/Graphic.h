#pragma once

#include <QRect>
#include <QString>
#include <functional>
#include <memory>

class QPainter;

namespace cinevan {

class Graphic;

enum class ProgressStage { Starting, Running, Ending };

// One decoding-progress notification: how far the decoder is, whether the part decoded so
// far should be shown at once, and which part of the picture changed.
struct ProgressInfo {
    ProgressStage stage = ProgressStage::Starting;
    int percent = 0;
    bool redrawNow = false;
    QRect rect;
    QString message;
};

using ProgressHandler = std::function<void(const Graphic&, const ProgressInfo&)>;

// A decoded picture of one format: what the picture view needs to size and draw it.
class Graphic {
public:
    enum class Kind { Bitmap, Jpeg, Gif, Icon, Metafile, Png, WebP };

    virtual ~Graphic() = default;

    virtual Kind kind() const = 0;
    virtual QSize size() const = 0;
    // Draws the picture scaled into target (which may lie partly outside the device).
    virtual void draw(QPainter& painter, const QRect& target) const = 0;
    virtual std::unique_ptr<Graphic> clone() const = 0;

    int width() const { return size().width(); }
    int height() const { return size().height(); }
    bool isEmpty() const { return size().isEmpty(); }
    void drawAt(QPainter& painter, QPoint topLeft) const { draw(painter, QRect(topLeft, size())); }

    // True when parts of the picture let the background show through.
    virtual bool transparent() const { return transparent_; }
    virtual void setTransparent(bool transparent) { transparent_ = transparent; }

    void setProgressHandler(ProgressHandler handler) { progress_ = std::move(handler); }
    void reportProgress(const ProgressInfo& info) const;

protected:
    Graphic() = default;
    Graphic(const Graphic& other) : transparent_(other.transparent_) {}
    Graphic& operator=(const Graphic&) = delete;

private:
    bool transparent_ = false;
    ProgressHandler progress_;
};

}  // namespace cinevan
