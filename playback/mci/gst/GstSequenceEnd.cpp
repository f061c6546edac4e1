#include "playback/mci/gst/GstSequenceEnd.h"

#include <array>

namespace cinevan::mci::gst {

namespace {

constexpr std::array<guint8, 4> kSequenceEndCode = {0x00, 0x00, 0x01, 0xb7};

// What one decoder's input has shown so far. Touched by its streaming thread only.
struct SequenceState {
    bool ended = false;  // the last buffer closed the sequence
};

bool endsSequence(GstBuffer* buffer) {
    const gsize size = gst_buffer_get_size(buffer);
    std::array<guint8, 4> tail{};
    return size >= tail.size() &&
           gst_buffer_extract(buffer, size - tail.size(), tail.data(), tail.size()) ==
               tail.size() &&
           tail == kSequenceEndCode;
}

GstBuffer* sequenceEndBuffer() {
    GstBuffer* buffer = gst_buffer_new_allocate(nullptr, kSequenceEndCode.size(), nullptr);
    if (buffer != nullptr) {
        gst_buffer_fill(buffer, 0, kSequenceEndCode.data(), kSequenceEndCode.size());
    }
    return buffer;
}

GstPadProbeReturn onInput(GstPad* pad, GstPadProbeInfo* info, gpointer data) {
    auto* state = static_cast<SequenceState*>(data);
    if ((GST_PAD_PROBE_INFO_TYPE(info) & GST_PAD_PROBE_TYPE_BUFFER) != 0) {
        state->ended = endsSequence(GST_PAD_PROBE_INFO_BUFFER(info));
        return GST_PAD_PROBE_OK;
    }
    GstEvent* event = GST_PAD_PROBE_INFO_EVENT(info);
    if (GST_EVENT_TYPE(event) == GST_EVENT_EOS && !state->ended) {
        // Serialized events arrive holding the pad's (recursive) stream lock: the buffer goes
        // through the decoder before the end of stream does.
        if (GstBuffer* end = sequenceEndBuffer()) {
            gst_pad_chain(pad, end);
        }
        state->ended = true;
    }
    return GST_PAD_PROBE_OK;
}

void onElementSetup(GstElement* /*playbin*/, GstElement* element, gpointer /*unused*/) {
    GstElementFactory* factory = gst_element_get_factory(element);
    if (factory == nullptr ||
        g_strcmp0(gst_plugin_feature_get_name(GST_PLUGIN_FEATURE(factory)), "mpeg2dec") != 0) {
        return;
    }
    GstPad* input = gst_element_get_static_pad(element, "sink");
    if (input == nullptr) {
        return;
    }
    gst_pad_add_probe(
        input, GstPadProbeType(GST_PAD_PROBE_TYPE_BUFFER | GST_PAD_PROBE_TYPE_EVENT_DOWNSTREAM),
        &onInput, new SequenceState,
        [](gpointer state) { delete static_cast<SequenceState*>(state); });
    gst_object_unref(input);
}

}  // namespace

void completeMpegVideoSequences(GstElement* playbin) {
    g_signal_connect(playbin, "element-setup", G_CALLBACK(&onElementSetup), nullptr);
}

}  // namespace cinevan::mci::gst
