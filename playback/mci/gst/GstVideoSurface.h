#pragma once

#include <QPointer>
#include <QWidget>

namespace cinevan::mci::gst {

class GstFrameSink;

// The widget the GStreamer driver draws its video into: the latest picture of the frame sink,
// stretched over the whole widget (the aspect ratio is the host's business), black until the
// first picture arrives.
class GstVideoSurface : public QWidget {
    Q_OBJECT
public:
    explicit GstVideoSurface(GstFrameSink* frames, QWidget* parent = nullptr);

    void setSmoothScaling(bool smooth) { smooth_ = smooth; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QPointer<GstFrameSink> frames_;
    bool smooth_ = true;
};

}  // namespace cinevan::mci::gst
