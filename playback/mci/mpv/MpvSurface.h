#pragma once

#include <QWidget>

namespace cinevan::mci {

class MpvPlayer;

// The widget a libmpv device shows its video in: a native child window that the engine's own
// video output draws into, as the mpv player draws into its window, so no picture is copied
// through Qt. The engine follows the window's size by itself; the widget only hands it the
// window while it is shown and takes it back before the window goes away. Mouse input passes
// through to the widgets below and the keyboard stays with the application. On a platform
// without X11 windows the engine decodes without showing anything.
class MpvSurface : public QWidget {
    Q_OBJECT

public:
    explicit MpvSurface(MpvPlayer& player, QWidget* parent = nullptr);
    ~MpvSurface() override;

    // True when the engine can draw into native windows of this platform.
    static bool available();

    // The native window the engine draws into now; 0 when it draws nowhere.
    WId attachedWindow() const { return attached_; }

    // Stops the engine's output, until the widget is shown again.
    void release();

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void attach();

    MpvPlayer& player_;
    WId attached_ = 0;
};

}  // namespace cinevan::mci
