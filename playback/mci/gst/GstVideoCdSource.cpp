#include "playback/mci/gst/GstVideoCdSource.h"

#include <gst/base/gstbasesrc.h>
#include <gst/gst.h>

#include <QString>
#include <memory>
#include <mutex>
#include <new>

#include "playback/mci/vcd/VideoCdTrack.h"

namespace cinevan::mci::gst {

namespace {

constexpr guint kBlockSize = 16 * VideoCdTrack::kPayloadBytes;

// The element's instance: a GstBaseSrc in pull and push mode over the track's bytes.
struct VideoCdSource {
    GstBaseSrc parent;
    gchar* uri;                           // guarded by the object lock
    std::unique_ptr<VideoCdTrack> track;  // open between start and stop
};

struct VideoCdSourceClass {
    GstBaseSrcClass parent;
};

gpointer parentClass = nullptr;

GstStaticPadTemplate sourceTemplate =
    GST_STATIC_PAD_TEMPLATE("src", GST_PAD_SRC, GST_PAD_ALWAYS, GST_STATIC_CAPS_ANY);

VideoCdSource* self(gpointer object) {
    return static_cast<VideoCdSource*>(object);
}

QString trackPath(VideoCdSource* source) {
    GST_OBJECT_LOCK(source);
    const QString path = source->uri != nullptr ? VideoCdTrack::pathOfUri(source->uri) : QString();
    GST_OBJECT_UNLOCK(source);
    return path;
}

gboolean start(GstBaseSrc* base) {
    VideoCdSource* source = self(base);
    // Runs inside GStreamer: nothing may be thrown from here.
    try {
        source->track = VideoCdTrack::open(trackPath(source));
    } catch (...) {
        source->track.reset();
    }
    if (!source->track) {
        GST_ELEMENT_ERROR(base, RESOURCE, OPEN_READ, (nullptr),
                          ("cannot read the Video CD track from the disc"));
        return FALSE;
    }
    return TRUE;
}

gboolean stop(GstBaseSrc* base) {
    self(base)->track.reset();
    return TRUE;
}

gboolean isSeekable(GstBaseSrc*) {
    return TRUE;
}

gboolean getSize(GstBaseSrc* base, guint64* size) {
    const VideoCdSource* source = self(base);
    if (!source->track) {
        return FALSE;
    }
    *size = static_cast<guint64>(source->track->size());
    return TRUE;
}

GstFlowReturn fill(GstBaseSrc* base, guint64 offset, guint length, GstBuffer* buffer) {
    VideoCdSource* source = self(base);
    if (!source->track) {
        return GST_FLOW_FLUSHING;
    }
    GstMapInfo map;
    if (!gst_buffer_map(buffer, &map, GST_MAP_WRITE)) {
        return GST_FLOW_ERROR;
    }
    const qint64 wanted = std::min<qint64>(length, static_cast<qint64>(map.size));
    const qint64 got =
        source->track->read(static_cast<qint64>(offset), reinterpret_cast<char*>(map.data), wanted);
    gst_buffer_unmap(buffer, &map);
    if (got < 0) {
        GST_ELEMENT_ERROR(base, RESOURCE, READ, (nullptr),
                          ("cannot read the Video CD track at byte %" G_GUINT64_FORMAT, offset));
        return GST_FLOW_ERROR;
    }
    if (got == 0) {
        return GST_FLOW_EOS;
    }
    gst_buffer_set_size(buffer, got);
    GST_BUFFER_OFFSET(buffer) = offset;
    GST_BUFFER_OFFSET_END(buffer) = offset + static_cast<guint64>(got);
    return GST_FLOW_OK;
}

void finalize(GObject* object) {
    VideoCdSource* source = self(object);
    source->track.~unique_ptr();
    g_free(source->uri);
    G_OBJECT_CLASS(parentClass)->finalize(object);
}

void classInit(gpointer klass, gpointer) {
    parentClass = g_type_class_peek_parent(klass);
    G_OBJECT_CLASS(klass)->finalize = finalize;
    GstElementClass* element = GST_ELEMENT_CLASS(klass);
    gst_element_class_set_static_metadata(element, "Video CD track source", "Source/File",
                                          "Reads a Video CD track from the disc's raw sectors",
                                          "Cinevan");
    gst_element_class_add_static_pad_template(element, &sourceTemplate);
    GstBaseSrcClass* base = GST_BASE_SRC_CLASS(klass);
    base->start = start;
    base->stop = stop;
    base->is_seekable = isSeekable;
    base->get_size = getSize;
    base->fill = fill;
}

void instanceInit(GTypeInstance* instance, gpointer) {
    VideoCdSource* source = self(instance);
    new (&source->track) std::unique_ptr<VideoCdTrack>();
    source->uri = nullptr;
    gst_base_src_set_blocksize(GST_BASE_SRC(instance), kBlockSize);
}

GstURIType uriType(GType) {
    return GST_URI_SRC;
}

const gchar* const* uriProtocols(GType) {
    static const gchar* const protocols[] = {VideoCdTrack::scheme(), nullptr};
    return protocols;
}

gchar* getUri(GstURIHandler* handler) {
    VideoCdSource* source = self(handler);
    GST_OBJECT_LOCK(source);
    gchar* uri = g_strdup(source->uri);
    GST_OBJECT_UNLOCK(source);
    return uri;
}

gboolean setUri(GstURIHandler* handler, const gchar* uri, GError** error) {
    VideoCdSource* source = self(handler);
    if (GST_STATE(source) != GST_STATE_NULL && GST_STATE(source) != GST_STATE_READY) {
        g_set_error(error, GST_URI_ERROR, GST_URI_ERROR_BAD_STATE,
                    "the track can only be changed while the source is stopped");
        return FALSE;
    }
    if (uri == nullptr || VideoCdTrack::pathOfUri(uri).isEmpty()) {
        g_set_error(error, GST_URI_ERROR, GST_URI_ERROR_BAD_URI, "not a Video CD track URI");
        return FALSE;
    }
    GST_OBJECT_LOCK(source);
    g_free(source->uri);
    source->uri = g_strdup(uri);
    GST_OBJECT_UNLOCK(source);
    return TRUE;
}

void uriHandlerInit(gpointer iface, gpointer) {
    auto* handler = static_cast<GstURIHandlerInterface*>(iface);
    handler->get_type = uriType;
    handler->get_protocols = uriProtocols;
    handler->get_uri = getUri;
    handler->set_uri = setUri;
}

GType sourceType() {
    GTypeInfo info{};
    info.class_size = sizeof(VideoCdSourceClass);
    info.class_init = classInit;
    info.instance_size = sizeof(VideoCdSource);
    info.instance_init = instanceInit;
    const GType type =
        g_type_register_static(GST_TYPE_BASE_SRC, "CinevanVideoCdSource", &info, GTypeFlags(0));
    GInterfaceInfo uriHandler{};
    uriHandler.interface_init = uriHandlerInit;
    g_type_add_interface_static(type, GST_TYPE_URI_HANDLER, &uriHandler);
    return type;
}

}  // namespace

bool registerVideoCdSource() {
    static std::once_flag once;
    static bool registered = false;
    std::call_once(once, [] {
        registered = gst_element_register(nullptr, "cinevanvcdsrc", GST_RANK_PRIMARY, sourceType());
    });
    return registered;
}

}  // namespace cinevan::mci::gst
