#pragma once

#include <gst/gst.h>

#include <atomic>

namespace cinevan::mci::gst {

// Makes time seeks on MPEG program streams land on the picture asked for.
//
// The program-stream demuxer finds a time by the system clock reference, which runs ahead of
// the pictures' presentation times by the multiplexer's delay; the decoder then waits for the
// next key picture. Seeking the demuxer straight to a time therefore shows a picture up to a
// second later. Instead the driver seeks the demuxer somewhat earlier, and this clipper moves
// the start of every time segment the demuxer announces up to the time really wanted, so that
// the decoders and sinks drop the pictures and sound before it and preroll exactly there.
//
// The demuxer also clamps a seek's stop to its own estimate of the duration, which ends
// before the last pictures; a stop beyond that estimate is therefore set here as well.
class GstSegmentClipper {
public:
    // Watches the demuxers that `playbin` creates from now on.
    void attach(GstElement* playbin);

    // Start and stop (stream time, ns) forced on the next segments; -1 leaves either alone.
    void setRange(gint64 startNs, gint64 stopNs) {
        start_.store(startNs);
        stop_.store(stopNs);
    }

private:
    static void onElementSetup(GstElement* playbin, GstElement* element, gpointer self);
    static void onPadAdded(GstElement* demuxer, GstPad* pad, gpointer self);
    static GstPadProbeReturn onEvent(GstPad* pad, GstPadProbeInfo* info, gpointer self);

    std::atomic<gint64> start_{-1};
    std::atomic<gint64> stop_{-1};
};

}  // namespace cinevan::mci::gst
