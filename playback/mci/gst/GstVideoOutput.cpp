#include "playback/mci/gst/GstVideoOutput.h"

#include <QtGui/qguiapplication_platform.h>
#include <gst/video/videooverlay.h>
#include <xcb/xcb.h>

#include <QGuiApplication>

#include "playback/mci/gst/GstHandles.h"

namespace cinevan::mci::gst {

namespace {

// Names of the elements inside the sink bin.
constexpr const char* kScalerName = "picture-scaler";
constexpr const char* kSizeName = "picture-size";
constexpr const char* kRendererName = "picture-renderer";

xcb_connection_t* qtConnection() {
    const auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    return x11 != nullptr ? x11->connection() : nullptr;
}

bool installed(const char* factory) {
    const std::unique_ptr<GstElementFactory, ObjectUnref> found(gst_element_factory_find(factory));
    return found != nullptr;
}

ElementPtr childOf(GstElement* sink, const char* name) {
    if (!GST_IS_BIN(sink)) {
        return nullptr;
    }
    return ElementPtr(gst_bin_get_by_name(GST_BIN(sink), name));
}

}  // namespace

bool GstVideoOutput::available() {
    return QGuiApplication::platformName() == QLatin1String("xcb") && qtConnection() != nullptr;
}

GstVideoOutput::GstVideoOutput() {
    xcb_connection_t* connection = qtConnection();
    if (connection == nullptr) {
        return;
    }
    const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(connection)).data;
    hidden_ = xcb_generate_id(connection);
    // Never mapped: whatever is drawn into it goes nowhere.
    xcb_create_window(connection, XCB_COPY_FROM_PARENT, hidden_, screen->root, 0, 0, 1, 1, 0,
                      XCB_WINDOW_CLASS_INPUT_OUTPUT, XCB_COPY_FROM_PARENT, 0, nullptr);
    xcb_flush(connection);
}

GstVideoOutput::~GstVideoOutput() {
    xcb_connection_t* connection = qGuiApp != nullptr ? qtConnection() : nullptr;
    if (connection != nullptr && hidden_ != 0) {
        xcb_destroy_window(connection, hidden_);
        xcb_flush(connection);
    }
}

GstElement* GstVideoOutput::makeSink(bool smoothScaling) const {
    if (!installed("ximagesink") || !installed("videoconvertscale")) {
        return makeHiddenVideoSink();
    }
    GstElement* scaler = gst_element_factory_make("videoconvertscale", kScalerName);
    GstElement* size = gst_element_factory_make("capsfilter", kSizeName);
    GstElement* renderer = gst_element_factory_make("ximagesink", kRendererName);
    if (scaler == nullptr || size == nullptr || renderer == nullptr || hidden_ == 0) {
        for (GstElement* orphan : {scaler, size, renderer}) {
            if (orphan != nullptr) {
                gst_object_unref(gst_object_ref_sink(orphan));
            }
        }
        return nullptr;
    }
    // The picture fills the window; its aspect ratio is the host's business.
    g_object_set(scaler, "add-borders", FALSE, nullptr);
    // A window resized again before the pictures of its last size arrive: the filter lets
    // those through until the new size comes, rather than failing the stream.
    gst_util_set_object_arg(G_OBJECT(size), "caps-change-mode", "delayed");
    g_object_set(renderer, "force-aspect-ratio", FALSE, "sync", TRUE, nullptr);
    // The sink would take the window's mouse and keyboard events away from the program.
    gst_video_overlay_handle_events(GST_VIDEO_OVERLAY(renderer), FALSE);
    gst_video_overlay_set_window_handle(GST_VIDEO_OVERLAY(renderer), hidden_);

    GstElement* bin = gst_bin_new(nullptr);
    gst_bin_add_many(GST_BIN(bin), scaler, size, renderer, nullptr);
    gst_element_link_many(scaler, size, renderer, nullptr);
    const PadPtr target(gst_element_get_static_pad(scaler, "sink"));
    gst_element_add_pad(bin, gst_ghost_pad_new("sink", target.get()));
    setSmoothScaling(bin, smoothScaling);
    return bin;
}

void GstVideoOutput::showIn(GstElement* sink, quintptr window) const {
    const ElementPtr renderer = childOf(sink, kRendererName);
    if (renderer) {
        gst_video_overlay_set_window_handle(GST_VIDEO_OVERLAY(renderer.get()),
                                            window != 0 ? window : hidden_);
    }
}

GstElement* makeHiddenVideoSink() {
    GstElement* sink = gst_element_factory_make("fakesink", "hidden-pictures");
    if (sink != nullptr) {
        g_object_set(sink, "sync", TRUE, "enable-last-sample", TRUE, nullptr);
    }
    return sink;
}

GstElement* renderingSink(GstElement* sink) {
    const ElementPtr renderer = childOf(sink, kRendererName);
    // The bin holds its own reference for as long as the sink lives.
    return renderer ? renderer.get() : sink;
}

void setPictureSize(GstElement* sink, QSize size) {
    const ElementPtr filter = childOf(sink, kSizeName);
    if (!filter) {
        return;
    }
    const CapsPtr caps(size.isEmpty()
                           ? gst_caps_new_any()
                           : gst_caps_new_simple("video/x-raw", "width", G_TYPE_INT, size.width(),
                                                 "height", G_TYPE_INT, size.height(), nullptr));
    g_object_set(filter.get(), "caps", caps.get(), nullptr);
}

void setSmoothScaling(GstElement* sink, bool smooth) {
    const ElementPtr scaler = childOf(sink, kScalerName);
    if (scaler) {
        gst_util_set_object_arg(G_OBJECT(scaler.get()), "method",
                                smooth ? "bilinear" : "nearest-neighbour");
    }
}

void exposeLastPicture(GstElement* sink) {
    const ElementPtr renderer = childOf(sink, kRendererName);
    if (renderer) {
        gst_video_overlay_expose(GST_VIDEO_OVERLAY(renderer.get()));
    }
}

}  // namespace cinevan::mci::gst
