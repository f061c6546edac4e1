#pragma once

#include <gst/gst.h>

#include <QtGlobal>

#include <memory>

namespace cinevan::mci::gst {

// Owning handles for the GStreamer objects the driver keeps; each releases its reference
// when it goes out of scope.
struct ObjectUnref {
    void operator()(gpointer object) const { gst_object_unref(object); }
};
struct MessageUnref {
    void operator()(GstMessage* message) const { gst_message_unref(message); }
};
struct SampleUnref {
    void operator()(GstSample* sample) const { gst_sample_unref(sample); }
};
struct CapsUnref {
    void operator()(GstCaps* caps) const { gst_caps_unref(caps); }
};
struct GFree {
    void operator()(gpointer memory) const { g_free(memory); }
};

using ElementPtr = std::unique_ptr<GstElement, ObjectUnref>;
using BusPtr = std::unique_ptr<GstBus, ObjectUnref>;
using PadPtr = std::unique_ptr<GstPad, ObjectUnref>;
using MessagePtr = std::unique_ptr<GstMessage, MessageUnref>;
using SamplePtr = std::unique_ptr<GstSample, SampleUnref>;
using CapsPtr = std::unique_ptr<GstCaps, CapsUnref>;
using CharPtr = std::unique_ptr<gchar, GFree>;

// Nanoseconds of GStreamer time from milliseconds and back.
constexpr gint64 fromMs(qint64 ms) {
    return ms * GST_MSECOND;
}
constexpr qint64 toMs(gint64 ns) {
    return ns / GST_MSECOND;
}

}  // namespace cinevan::mci::gst
