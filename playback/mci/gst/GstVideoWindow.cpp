#include "playback/mci/gst/GstVideoWindow.h"

#include <QtGui/qguiapplication_platform.h>
#include <xcb/xcb.h>

#include <QGuiApplication>
#include <QWindow>
#include <cstdlib>
#include <memory>

#include "playback/mci/EngineWindow.h"
#include "playback/mci/gst/GstPlayer.h"

namespace cinevan::mci::gst {

namespace {

xcb_connection_t* qtConnection() {
    const auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    return x11 != nullptr ? x11->connection() : nullptr;
}

// The server itself fills the window black where it is uncovered, before the sink redraws.
void paintBlackBackground(xcb_connection_t* connection, WId window) {
    const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(connection)).data;
    const uint32_t black = screen->black_pixel;
    xcb_change_window_attributes(connection, static_cast<xcb_window_t>(window), XCB_CW_BACK_PIXEL,
                                 &black);
    xcb_clear_area(connection, 0, static_cast<xcb_window_t>(window), 0, 0, 0, 0);
}

// Waits until the server has carried out every request Qt sent so far (a new size, a new
// window): the sink asks the server on a connection of its own.
void waitForServer(xcb_connection_t* connection) {
    const std::unique_ptr<xcb_get_input_focus_reply_t, decltype(&std::free)> reply(
        xcb_get_input_focus_reply(connection, xcb_get_input_focus(connection), nullptr),
        &std::free);
}

}  // namespace

GstVideoWindow::GstVideoWindow(GstPlayer& player, QWidget* parent)
    : QWidget(parent), player_(player) {
    setObjectName(QStringLiteral("GstVideoWindow"));
    makeEngineWindow(*this);
    setAttribute(Qt::WA_PaintOnScreen);
    setAttribute(Qt::WA_NoSystemBackground);
}

GstVideoWindow::~GstVideoWindow() {
    // The sink must let go of the window before Qt destroys it.
    release();
}

bool GstVideoWindow::event(QEvent* event) {
    if (event->type() == QEvent::ParentAboutToChange) {
        // Qt may replace the native window on the way into another host window.
        release();
    }
    const bool handled = QWidget::event(event);
    switch (event->type()) {
        case QEvent::Show:
        case QEvent::WinIdChange:
        case QEvent::ParentChange:
            // Qt settles the native window's attributes while it shows it, after this event.
            QMetaObject::invokeMethod(this, &GstVideoWindow::attach, Qt::QueuedConnection);
            break;
        default:
            break;
    }
    return handled;
}

void GstVideoWindow::paintEvent(QPaintEvent* /*event*/) {
    player_.redrawPicture();
}

void GstVideoWindow::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    if (attached_ != 0) {
        waitForServer(qtConnection());
    }
    player_.setPictureSize(size());
    // After whatever else the caller changes now: a move pauses the movie for a moment only.
    QMetaObject::invokeMethod(
        this, [this] { player_.showNewSizeWhilePaused(); }, Qt::QueuedConnection);
}

void GstVideoWindow::attach() {
    xcb_connection_t* connection = qtConnection();
    if (connection == nullptr || !isVisible() || internalWinId() == 0) {
        return;
    }
    const WId window = winId();
    if (window == attached_) {
        return;
    }
    release();
    // Clicks go through the window to the widgets below.
    if (QWindow* handle = windowHandle()) {
        handle->setFlag(Qt::WindowTransparentForInput);
    }
    paintBlackBackground(connection, window);
    waitForServer(connection);
    player_.setVideoWindow(window);
    attached_ = window;
}

void GstVideoWindow::release() {
    if (attached_ == 0) {
        return;
    }
    player_.setVideoWindow(0);
    attached_ = 0;
}

}  // namespace cinevan::mci::gst
