#pragma once

#include <QObject>
#include <memory>

#include "pictures/Graphic.h"

namespace cinevan {

// Holds at most one graphic: loads it from a file chosen by extension, copies it from
// another holder, clears it, and tells its owner about every change and about decoding
// progress. GUI thread only.
class Picture : public QObject {
    Q_OBJECT

public:
    explicit Picture(QObject* parent = nullptr);
    ~Picture() override;

    // Loads a picture file; the extension (any case) chooses the format. On failure raises
    // PictureError and keeps the previous graphic.
    void loadFromFile(const QString& path);
    // Copies other's graphic (nothing when other is null or empty-handed).
    void assign(const Picture* other);
    void clear();

    const Graphic* graphic() const { return graphic_.get(); }
    Graphic* graphic() { return graphic_.get(); }
    int width() const { return graphic_ ? graphic_->width() : 0; }
    int height() const { return graphic_ ? graphic_->height() : 0; }

signals:
    void changed();
    // The graphic being decoded (not yet the held one) made progress.
    void progress(const cinevan::Graphic& source, const cinevan::ProgressInfo& info);

private:
    void setGraphic(std::unique_ptr<Graphic> graphic);

    std::unique_ptr<Graphic> graphic_;
};

}  // namespace cinevan
