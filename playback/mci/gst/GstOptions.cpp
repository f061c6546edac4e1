#include "playback/mci/gst/GstOptions.h"

#include <QByteArray>

namespace cinevan::mci::gst {

namespace {

GstElement* makeSilentSink() {
    GstElement* sink = gst_element_factory_make("fakesink", "silent-audio");
    if (sink != nullptr) {
        // Synchronised, so that the pipeline clock and the pictures keep real time.
        g_object_set(sink, "sync", TRUE, nullptr);
    }
    return sink;
}

GstElement* makeNamedSink(const QByteArray& name) {
    GstElement* sink = gst_element_factory_make(name.constData(), nullptr);
    if (sink == nullptr && !name.endsWith("sink")) {
        sink = gst_element_factory_make((name + "sink").constData(), nullptr);
    }
    return sink;
}

}  // namespace

bool silentAudioOutput(bool sound) {
    const QByteArray chosen = qgetenv("CINEVAN_AUDIO_OUTPUT").trimmed().toLower();
    return chosen == "null" || chosen == "none" || (chosen.isEmpty() && !sound);
}

GstElement* makeAudioSink(bool sound) {
    if (silentAudioOutput(sound)) {
        return makeSilentSink();
    }
    const QByteArray chosen = qgetenv("CINEVAN_AUDIO_OUTPUT").trimmed().toLower();
    GstElement* sink = nullptr;
    if (!chosen.isEmpty() && chosen != "auto") {
        sink = makeNamedSink(chosen);
    }
    if (sink == nullptr) {
        sink = gst_element_factory_make("autoaudiosink", nullptr);
    }
    return sink != nullptr ? sink : makeSilentSink();
}

}  // namespace cinevan::mci::gst
