#include "playback/mci/gst/GstDecoderChoice.h"

#include <gst/gst.h>

#include "playback/mci/gst/GstHandles.h"

namespace cinevan::mci::gst {

namespace {

using FeaturePtr = std::unique_ptr<GstPluginFeature, ObjectUnref>;

struct FeatureListFree {
    void operator()(GList* list) const { gst_plugin_feature_list_free(list); }
};
using FeatureList = std::unique_ptr<GList, FeatureListFree>;

// Elementary MPEG-1 and MPEG-2 video, as the demuxers hand it on.
constexpr const char* kMpegVideo =
    "video/mpeg, mpegversion=(int)[1,2], systemstream=(boolean)false";

FeaturePtr feature(const char* name) {
    return FeaturePtr(gst_registry_lookup_feature(gst_registry_get(), name));
}

// Every decoder that takes `caps`, best first: decodebin's order, by rank and ties by name.
FeatureList decodersFor(const char* caps) {
    const CapsPtr wanted(gst_caps_from_string(caps));
    if (!wanted) {
        return nullptr;
    }
    const FeatureList decoders(
        gst_element_factory_list_get_elements(GST_ELEMENT_FACTORY_TYPE_DECODER, GST_RANK_MARGINAL));
    GList* accepting =
        gst_element_factory_list_filter(decoders.get(), wanted.get(), GST_PAD_SINK, FALSE);
    return FeatureList(g_list_sort(accepting, gst_plugin_feature_rank_compare_func));
}

// libmpg123 and gst-libav's MPEG audio decoders are all marginal, a tie decodebin breaks by name
// in favour of "avdec_". One step up, libmpg123 still stays below every parser.
void preferMpg123() {
    const FeaturePtr mpg123 = feature("mpg123audiodec");
    if (mpg123 && gst_plugin_feature_get_rank(mpg123.get()) == GST_RANK_MARGINAL) {
        gst_plugin_feature_set_rank(mpg123.get(), GST_RANK_MARGINAL + 1);
    }
}

// Raising libmpeg2 above gst-libav's primary rank would tie it with mpegvideoparse and skip
// the parser; gst-libav's MPEG-1 and MPEG-2 video decoders go just below libmpeg2 instead, as
// the fallback for the streams libmpeg2 refuses.
void preferLibMpeg2() {
    const FeaturePtr mpeg2 = feature("mpeg2dec");
    const guint rank = mpeg2 ? gst_plugin_feature_get_rank(mpeg2.get()) : guint(GST_RANK_NONE);
    if (rank <= GST_RANK_MARGINAL) {
        return;
    }
    const FeatureList rivals = decodersFor(kMpegVideo);
    for (GList* item = rivals.get(); item != nullptr; item = item->next) {
        auto* rival = GST_PLUGIN_FEATURE(item->data);
        if (g_strcmp0(gst_plugin_feature_get_plugin_name(rival), "libav") == 0 &&
            gst_plugin_feature_get_rank(rival) >= rank) {
            gst_plugin_feature_set_rank(rival, rank - 1);
        }
    }
}

}  // namespace

void preferLightMpegDecoders() {
    if (!qEnvironmentVariableIsEmpty("GST_PLUGIN_FEATURE_RANK")) {
        return;
    }
    preferMpg123();
    preferLibMpeg2();
}

QByteArray decoderFor(const char* caps) {
    const FeatureList sorted = decodersFor(caps);
    if (!sorted) {
        return {};
    }
    return QByteArray(gst_plugin_feature_get_name(GST_PLUGIN_FEATURE(sorted->data)));
}

}  // namespace cinevan::mci::gst
