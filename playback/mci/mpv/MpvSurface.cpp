#include "playback/mci/mpv/MpvSurface.h"

#include <QtGui/qguiapplication_platform.h>
#include <xcb/xcb.h>
#include <QGuiApplication>
#include <QPainter>
#include <QWindow>
#include <cstdlib>
#include <memory>

#include "playback/mci/EngineWindow.h"
#include "playback/mci/mpv/MpvPlayer.h"

namespace cinevan::mci {

namespace {

// Qt asks to be handed the mapping of any window put inside its own, and then never maps
// them: the engine's window would stay hidden. Drop that request for this one window.
void letChildWindowsMap(WId window) {
    const auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    if (!x11) {
        return;
    }
    xcb_connection_t* connection = x11->connection();
    const auto id = static_cast<xcb_window_t>(window);
    const std::unique_ptr<xcb_get_window_attributes_reply_t, decltype(&std::free)> reply(
        xcb_get_window_attributes_reply(connection, xcb_get_window_attributes(connection, id),
                                        nullptr),
        &std::free);
    if (!reply) {
        return;
    }
    const uint32_t mask = reply->your_event_mask & ~XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT;
    xcb_change_window_attributes(connection, id, XCB_CW_EVENT_MASK, &mask);
    xcb_flush(connection);
}

}  // namespace

bool MpvSurface::available() {
    return QGuiApplication::platformName() == QLatin1String("xcb");
}

MpvSurface::MpvSurface(MpvPlayer& player, QWidget* parent) : QWidget(parent), player_(player) {
    setObjectName(QStringLiteral("MpvSurface"));
    makeEngineWindow(*this);
}

MpvSurface::~MpvSurface() {
    // The engine must let go of the window before Qt destroys it.
    release();
}

bool MpvSurface::event(QEvent* event) {
    const bool handled = QWidget::event(event);
    switch (event->type()) {
        case QEvent::Show:
        case QEvent::WinIdChange:
            // Qt settles the native window's attributes while it shows it, after this event.
            QMetaObject::invokeMethod(this, &MpvSurface::attach, Qt::QueuedConnection);
            break;
        default:
            break;
    }
    return handled;
}

void MpvSurface::paintEvent(QPaintEvent* /*event*/) {
    // Seen only until the engine's window covers this one, and where it leaves a margin.
    QPainter(this).fillRect(rect(), Qt::black);
}

void MpvSurface::attach() {
    if (!available() || !isVisible()) {
        return;
    }
    const WId window = winId();
    if (window == attached_) {
        return;
    }
    // Clicks go through the window (and the engine's window inside it) to the widgets below.
    if (QWindow* handle = windowHandle()) {
        handle->setFlag(Qt::WindowTransparentForInput);
    }
    letChildWindowsMap(window);
    player_.setVideoWindow(window);
    attached_ = window;
}

void MpvSurface::release() {
    if (attached_ == 0) {
        return;
    }
    player_.setVideoWindow(0);
    attached_ = 0;
}

}  // namespace cinevan::mci
