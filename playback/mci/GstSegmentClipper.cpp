#include "playback/mci/GstSegmentClipper.h"

#include <algorithm>

namespace cinevan::mci::gst {

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
    const bool later = start >= 0 && static_cast<gint64>(announced->start) < start;
    const bool earlier = stop >= 0 && (!GST_CLOCK_TIME_IS_VALID(announced->stop) ||
                                       static_cast<gint64>(announced->stop) > stop);
    if (!later && !earlier) {
        return GST_PAD_PROBE_OK;
    }
    GstSegment segment;
    gst_segment_copy_into(announced, &segment);
    if (later) {
        // Same mapping to stream time, later start.
        const guint64 skipped = static_cast<guint64>(start) - segment.start;
        if (GST_CLOCK_TIME_IS_VALID(segment.time)) {
            segment.time += skipped;
        }
        segment.start = static_cast<guint64>(start);
        segment.position = segment.start;
    }
    if (earlier) {
        segment.stop = static_cast<guint64>(std::max(stop, static_cast<gint64>(segment.start)));
    }
    GstEvent* clipped = gst_event_new_segment(&segment);
    gst_event_set_seqnum(clipped, gst_event_get_seqnum(event));
    gst_event_unref(event);
    GST_PAD_PROBE_INFO_DATA(info) = clipped;
    return GST_PAD_PROBE_OK;
}

}  // namespace cinevan::mci::gst
