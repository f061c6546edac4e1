#include "playback/mci/gst/GstSegmentClipper.h"

#include <algorithm>

namespace cinevan::mci::gst {

namespace {

// The position in `segment` of the stream time `streamNs`; -1 when it lies before the segment.
gint64 positionOf(const GstSegment& segment, gint64 streamNs) {
    const guint64 position = gst_segment_position_from_stream_time(&segment, GST_FORMAT_TIME,
                                                                   static_cast<guint64>(streamNs));
    return GST_CLOCK_TIME_IS_VALID(position) ? static_cast<gint64>(position) : -1;
}

}  // namespace

void GstSegmentClipper::attach(GstElement* playbin) {
    g_signal_connect(playbin, "element-setup", G_CALLBACK(&GstSegmentClipper::onElementSetup),
                     this);
}

void GstSegmentClipper::onElementSetup(GstElement* /*playbin*/, GstElement* element,
                                       gpointer self) {
    GstElementFactory* factory = gst_element_get_factory(element);
    if (factory != nullptr &&
        gst_element_factory_list_is_type(factory, GST_ELEMENT_FACTORY_TYPE_DEMUXER)) {
        g_signal_connect(element, "pad-added", G_CALLBACK(&GstSegmentClipper::onPadAdded), self);
    }
}

void GstSegmentClipper::onPadAdded(GstElement* /*demuxer*/, GstPad* pad, gpointer self) {
    if (GST_PAD_IS_SRC(pad)) {
        gst_pad_add_probe(pad, GST_PAD_PROBE_TYPE_EVENT_DOWNSTREAM, &GstSegmentClipper::onEvent,
                          self, nullptr);
    }
}

GstPadProbeReturn GstSegmentClipper::onEvent(GstPad* /*pad*/, GstPadProbeInfo* info,
                                             gpointer self) {
    GstEvent* event = GST_PAD_PROBE_INFO_EVENT(info);
    if (GST_EVENT_TYPE(event) != GST_EVENT_SEGMENT) {
        return GST_PAD_PROBE_OK;
    }
    const auto* clipper = static_cast<GstSegmentClipper*>(self);
    const gint64 start = clipper->start_.load();
    const gint64 stop = clipper->stop_.load();
    const GstSegment* announced = nullptr;
    gst_event_parse_segment(event, &announced);
    if (announced->format != GST_FORMAT_TIME || announced->rate <= 0.0) {
        return GST_PAD_PROBE_OK;
    }
    // The range is given in stream time; a segment counts in its buffers' time stamps, which
    // differ from stream time where a stream's time stamps do not start near zero.
    const gint64 startAt = start >= 0 ? positionOf(*announced, start) : -1;
    const gint64 stopAt = stop >= 0 ? positionOf(*announced, stop) : -1;
    const bool later = startAt >= 0 && static_cast<gint64>(announced->start) < startAt;
    const bool earlier = stop >= 0 && (!GST_CLOCK_TIME_IS_VALID(announced->stop) ||
                                       static_cast<gint64>(announced->stop) > stopAt);
    if (!later && !earlier) {
        return GST_PAD_PROBE_OK;
    }
    GstSegment segment;
    gst_segment_copy_into(announced, &segment);
    if (later) {
        // Same mapping to stream time, later start.
        const guint64 skipped = static_cast<guint64>(startAt) - segment.start;
        if (GST_CLOCK_TIME_IS_VALID(segment.time)) {
            segment.time += skipped;
        }
        segment.start = static_cast<guint64>(startAt);
        segment.position = segment.start;
    }
    if (earlier) {
        segment.stop = static_cast<guint64>(std::max(stopAt, static_cast<gint64>(segment.start)));
    }
    GstEvent* clipped = gst_event_new_segment(&segment);
    gst_event_set_seqnum(clipped, gst_event_get_seqnum(event));
    gst_event_unref(event);
    GST_PAD_PROBE_INFO_DATA(info) = clipped;
    return GST_PAD_PROBE_OK;
}

}  // namespace cinevan::mci::gst
