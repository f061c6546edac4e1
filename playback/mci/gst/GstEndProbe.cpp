#include "playback/mci/gst/GstEndProbe.h"

#include <gst/app/gstappsink.h>

#include <algorithm>
#include <atomic>

#include "playback/mci/gst/GstHandles.h"
#include "playback/mci/gst/GstSequenceEnd.h"

namespace cinevan::mci::gst {

namespace {

// playbin's "flags": pictures only (GST_PLAY_FLAG_VIDEO), handed to the sink as decoded
// (GST_PLAY_FLAG_NATIVE_VIDEO) without converters in between.
constexpr guint kPlayVideoOnly = 0x1 | 0x40;

gint64 frameEnd(GstSample* sample) {
    GstBuffer* buffer = gst_sample_get_buffer(sample);
    const GstSegment* segment = gst_sample_get_segment(sample);
    if (buffer == nullptr || segment == nullptr || !GST_BUFFER_PTS_IS_VALID(buffer)) {
        return -1;
    }
    const guint64 start =
        gst_segment_to_stream_time(segment, GST_FORMAT_TIME, GST_BUFFER_PTS(buffer));
    if (!GST_CLOCK_TIME_IS_VALID(start)) {
        return -1;
    }
    const guint64 duration = GST_BUFFER_DURATION_IS_VALID(buffer) ? GST_BUFFER_DURATION(buffer) : 0;
    return static_cast<gint64>(start + duration);
}

std::atomic<int> probesRun{0};

class ProbePipeline {
public:
    explicit ProbePipeline(const QByteArray& uri)
        : playbin_(gst_element_factory_make("playbin", nullptr)) {
        if (!playbin_) {
            return;
        }
        gst_object_ref_sink(playbin_.get());
        sink_ = gst_element_factory_make("appsink", nullptr);
        // Without a sink of its own for the sound, playbin would try every sound output there
        // is (PulseAudio, JACK, OSS, OpenAL) on the sound stream it does not play.
        GstElement* unheard = gst_element_factory_make("fakesink", nullptr);
        if (sink_ == nullptr || unheard == nullptr) {
            for (GstElement* orphan : {sink_, unheard}) {
                if (orphan != nullptr) {
                    gst_object_unref(gst_object_ref_sink(orphan));
                }
            }
            sink_ = nullptr;
            return;
        }
        g_object_set(sink_, "sync", FALSE, "max-buffers", 4u, "enable-last-sample", FALSE, nullptr);
        g_object_set(unheard, "sync", FALSE, nullptr);
        g_object_set(playbin_.get(), "uri", uri.constData(), "video-sink", sink_, "audio-sink",
                     unheard, "flags", kPlayVideoOnly, nullptr);
        completeMpegVideoSequences(playbin_.get());
    }
    ~ProbePipeline() {
        if (playbin_) {
            gst_element_set_state(playbin_.get(), GST_STATE_NULL);
        }
    }
    ProbePipeline(const ProbePipeline&) = delete;
    ProbePipeline& operator=(const ProbePipeline&) = delete;

    bool waitPrerolled(gint64 deadline) {
        const BusPtr bus(gst_element_get_bus(playbin_.get()));
        const gint64 left = std::max<gint64>(deadline - g_get_monotonic_time(), 0);
        const MessagePtr message(
            gst_bus_timed_pop_filtered(bus.get(), static_cast<GstClockTime>(left) * 1000,
                                       GstMessageType(GST_MESSAGE_ASYNC_DONE | GST_MESSAGE_ERROR)));
        return message && GST_MESSAGE_TYPE(message.get()) == GST_MESSAGE_ASYNC_DONE;
    }

    gint64 run(gint64 searchFromNs, gint64 deadline) {
        if (!playbin_ || sink_ == nullptr ||
            gst_element_set_state(playbin_.get(), GST_STATE_PAUSED) == GST_STATE_CHANGE_FAILURE ||
            !waitPrerolled(deadline)) {
            return -1;
        }
        if (searchFromNs > 0) {
            gst_element_seek_simple(playbin_.get(), GST_FORMAT_TIME, GST_SEEK_FLAG_FLUSH,
                                    searchFromNs);
            if (!waitPrerolled(deadline)) {
                return -1;
            }
        }
        gst_element_set_state(playbin_.get(), GST_STATE_PLAYING);
        gint64 end = -1;
        auto* appsink = GST_APP_SINK(sink_);
        while (g_get_monotonic_time() < deadline) {
            const SamplePtr sample(gst_app_sink_try_pull_sample(appsink, 50 * GST_MSECOND));
            if (sample) {
                end = std::max(end, frameEnd(sample.get()));
            } else if (gst_app_sink_is_eos(appsink)) {
                return end;
            }
        }
        return -1;
    }

private:
    ElementPtr playbin_;
    GstElement* sink_ = nullptr;  // owned by the playbin
};

}  // namespace

gint64 probeVideoEnd(const QByteArray& uri, gint64 searchFromNs, int timeoutMs) {
    ++probesRun;
    const gint64 deadline = g_get_monotonic_time() + static_cast<gint64>(timeoutMs) * 1000;
    ProbePipeline probe(uri);
    return probe.run(searchFromNs, deadline);
}

int videoEndProbeCount() {
    return probesRun;
}

}  // namespace cinevan::mci::gst
