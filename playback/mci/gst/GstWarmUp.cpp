#include "playback/mci/gst/GstWarmUp.h"

#include <gst/gst.h>

#include "playback/mci/gst/GstDecoderChoice.h"
#include "playback/mci/gst/GstOptions.h"
#include "playback/mci/gst/GstRuntime.h"

namespace cinevan::mci::gst {

namespace {

// One element of every plug-in a playbin pipeline for an MPEG program stream loads while it
// prerolls: the type finder, demuxer, parsers, converters and sinks. Elements that are not
// installed are passed over. The decoders are the ones decodebin will choose, the sound output
// is loaded only when the sound goes somewhere.
constexpr const char* kMpegPipelineElements[] = {
    "playbin",           "typefind",   "mpegpsdemux",  "mpegvideoparse", "mpegaudioparse",
    "videoconvertscale", "ximagesink", "audioconvert", "audioresample",  "volume",
    "fakesink",          "appsink",
};

// What mpegvideoparse and mpegaudioparse hand to the decoders of a Video CD or MPEG-1 movie.
constexpr const char* kMpegStreamCaps[] = {
    "video/mpeg, mpegversion=(int)1, systemstream=(boolean)false, parsed=(boolean)true",
    "audio/mpeg, mpegversion=(int)1, layer=(int)2, rate=(int)44100, channels=(int)2, "
    "parsed=(boolean)true",
};

// The type finder that recognises MPEG program streams lives in a plug-in of its own.
constexpr const char* kMpegTypeFinder = "video/mpeg-sys";

bool loadFeature(GstPluginFeature* feature) {
    if (feature == nullptr) {
        return false;
    }
    GstPluginFeature* loaded = gst_plugin_feature_load(feature);
    gst_object_unref(feature);
    if (loaded == nullptr) {
        return false;
    }
    gst_object_unref(loaded);
    return true;
}

}  // namespace

int loadMpegPlugins() {
    if (!ensureInitialized()) {
        return 0;
    }
    // Type finding is the first thing a pipeline does.
    loadFeature(gst_registry_lookup_feature(gst_registry_get(), kMpegTypeFinder));
    int loaded = 0;
    for (const char* name : kMpegPipelineElements) {
        loaded += loadFeature(GST_PLUGIN_FEATURE_CAST(gst_element_factory_find(name))) ? 1 : 0;
    }
    for (const char* caps : kMpegStreamCaps) {
        const QByteArray decoder = decoderFor(caps);
        if (!decoder.isEmpty()) {
            loaded +=
                loadFeature(GST_PLUGIN_FEATURE_CAST(gst_element_factory_find(decoder))) ? 1 : 0;
        }
    }
    if (!silentAudioOutput(GstOptions::current().sound)) {
        loaded +=
            loadFeature(GST_PLUGIN_FEATURE_CAST(gst_element_factory_find("autoaudiosink"))) ? 1 : 0;
    }
    return loaded;
}

GstWarmUp::~GstWarmUp() {
    wait();
}

void GstWarmUp::start() {
    if (started_) {
        return;
    }
    started_ = true;
    thread_ = std::thread([] { loadMpegPlugins(); });
}

void GstWarmUp::wait() {
    if (thread_.joinable()) {
        thread_.join();
    }
}

}  // namespace cinevan::mci::gst
