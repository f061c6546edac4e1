#pragma once

#include <QOpenGLWidget>
#include <atomic>

struct mpv_render_context;

namespace cinevan::mci {

class MpvPlayer;

// The widget a libmpv device draws its video into, through libmpv's OpenGL render API. The
// render context lives as long as the widget's GL context: moving the widget into another
// top-level window destroys that context, so the renderer is released then and created again
// when the widget initialises its new context. Without a GL context the player decodes
// without showing anything.
class MpvSurface : public QOpenGLWidget {
    Q_OBJECT

public:
    explicit MpvSurface(MpvPlayer& player, QWidget* parent = nullptr);
    ~MpvSurface() override;

    // True when OpenGL contexts can be made here. Without them the widget draws nothing, and a
    // window made ready for it before it was shown would fail to draw at all.
    static bool available();

    // Frames drawn since the widget was made.
    quint64 framesRendered() const { return framesRendered_; }

protected:
    void initializeGL() override;
    void paintGL() override;

private:
    void releaseRenderer();
    void frameReady();
    void renderFrame();
    static void onUpdate(void* self);

    MpvPlayer& player_;
    mpv_render_context* renderer_ = nullptr;
    quint64 framesRendered_ = 0;
    std::atomic<bool> updatePending_{false};
};

}  // namespace cinevan::mci
