#include "playback/mci/mpv/MpvSurface.h"

#include <mpv/client.h>
#include <mpv/render_gl.h>

#include <QOpenGLContext>
#include <QWindow>

#include "playback/mci/mpv/MpvPlayer.h"

namespace cinevan::mci {

namespace {

void* glProcAddress(void*, const char* name) {
    QOpenGLContext* context = QOpenGLContext::currentContext();
    return context ? reinterpret_cast<void*>(context->getProcAddress(name)) : nullptr;
}

}  // namespace

bool MpvSurface::available() {
    static const bool canMakeContexts = [] {
        QOpenGLContext probe;
        return probe.create();
    }();
    return canMakeContexts;
}

MpvSurface::MpvSurface(MpvPlayer& player, QWidget* parent)
    : QOpenGLWidget(parent), player_(player) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

MpvSurface::~MpvSurface() {
    // QOpenGLWidget destroys its context after this body; this object is gone by then.
    if (QOpenGLContext* own = context()) {
        disconnect(own, nullptr, this, nullptr);
    }
    if (renderer_) {
        makeCurrent();
        releaseRenderer();
        doneCurrent();
    }
}

void MpvSurface::initializeGL() {
    if (renderer_ || !player_.handle()) {
        return;
    }
    mpv_opengl_init_params glInit{&glProcAddress, nullptr};
    int noAdvancedControl = 0;
    mpv_render_param params[] = {
        {MPV_RENDER_PARAM_API_TYPE, const_cast<char*>(MPV_RENDER_API_TYPE_OPENGL)},
        {MPV_RENDER_PARAM_OPENGL_INIT_PARAMS, &glInit},
        {MPV_RENDER_PARAM_ADVANCED_CONTROL, &noAdvancedControl},
        {MPV_RENDER_PARAM_INVALID, nullptr},
    };
    if (mpv_render_context_create(&renderer_, player_.handle(), params) < 0) {
        renderer_ = nullptr;
        return;
    }
    // The context goes away when the widget moves to another window; its renderer with it.
    connect(context(), &QOpenGLContext::aboutToBeDestroyed, this, &MpvSurface::releaseRenderer,
            Qt::DirectConnection);
    mpv_render_context_set_update_callback(renderer_, &MpvSurface::onUpdate, this);
    player_.setRenderedOutput(true);
}

void MpvSurface::releaseRenderer() {
    if (!renderer_) {
        return;
    }
    const QByteArray track = player_.videoTrack();
    player_.setRenderedOutput(false);
    if (QOpenGLContext::currentContext() != context()) {
        makeCurrent();
    }
    mpv_render_context_set_update_callback(renderer_, nullptr, nullptr);
    mpv_render_context_free(renderer_);
    renderer_ = nullptr;
    player_.restoreVideoTrack(track);
}

void MpvSurface::onUpdate(void* self) {
    // Runs on an engine thread: only hand the work to the GUI thread.
    auto* surface = static_cast<MpvSurface*>(self);
    if (!surface->updatePending_.exchange(true)) {
        QMetaObject::invokeMethod(surface, &MpvSurface::frameReady, Qt::QueuedConnection);
    }
}

void MpvSurface::frameReady() {
    updatePending_ = false;
    if (!renderer_ || !(mpv_render_context_update(renderer_) & MPV_RENDER_UPDATE_FRAME)) {
        return;
    }
    const QWindow* shown = window()->windowHandle();
    if (isVisible() && shown && shown->isExposed()) {
        update();
        return;
    }
    // Nobody will paint a hidden widget, but the player waits for each frame to be taken.
    makeCurrent();
    renderFrame();
    doneCurrent();
}

void MpvSurface::paintGL() {
    if (renderer_) {
        renderFrame();
    }
}

void MpvSurface::renderFrame() {
    const qreal ratio = devicePixelRatioF();
    mpv_opengl_fbo target{int(defaultFramebufferObject()), int(width() * ratio),
                          int(height() * ratio), 0};
    int flipY = 1;
    mpv_render_param params[] = {
        {MPV_RENDER_PARAM_OPENGL_FBO, &target},
        {MPV_RENDER_PARAM_FLIP_Y, &flipY},
        {MPV_RENDER_PARAM_INVALID, nullptr},
    };
    mpv_render_context_render(renderer_, params);
    ++framesRendered_;
}

}  // namespace cinevan::mci
