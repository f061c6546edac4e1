#pragma once

#include <QWidget>

namespace cinevan::mci::gst {

class GstPlayer;

// The widget the GStreamer device shows its video in: a native child window that the video
// sink draws into, so no picture goes through Qt. The widget hands its window to the player
// while it is shown and takes it back before the window goes away (reparenting to another
// host window, destruction). Qt never paints it: the X server fills it black where no picture
// has been drawn yet, and the sink draws its last picture again when it is uncovered. Mouse
// input passes through to the widgets below and the keyboard stays with the application.
class GstVideoWindow : public QWidget {
    Q_OBJECT

public:
    explicit GstVideoWindow(GstPlayer& player, QWidget* parent = nullptr);
    ~GstVideoWindow() override;

    // The native window the sink draws into now; 0 when it draws nowhere.
    WId attachedWindow() const { return attached_; }

    QPaintEngine* paintEngine() const override { return nullptr; }

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void attach();
    void release();

    GstPlayer& player_;
    WId attached_ = 0;
};

}  // namespace cinevan::mci::gst
