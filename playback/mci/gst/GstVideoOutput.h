#pragma once

#include <gst/gst.h>

#include <QSize>
#include <QtGlobal>
#include <memory>

namespace cinevan::mci::gst {

// Where a pipeline's pictures go. On an X11 display GStreamer's X image sink draws them straight
// into a native window of ours, behind a converter that turns them into the window's pixel
// format and stretches them to the size it is given (the X image sink itself does not scale).
// Until a window is given, and after it is taken back, the sink draws into a hidden window the
// output owns: left without a window it would open a top-level window of its own. Without X11
// (the offscreen platform, a Wayland session) pictures are decoded in time and not shown.
//
// The output is shared with pipelines that may still stream on another thread after the player
// has gone, so that their sinks always have a window that exists.
class GstVideoOutput {
public:
    // True when pictures can be shown on this platform (an X11 display); never waits for
    // GStreamer to initialise.
    static bool available();

    // Creates the hidden window; call on the GUI thread when available().
    GstVideoOutput();
    ~GstVideoOutput();
    GstVideoOutput(const GstVideoOutput&) = delete;
    GstVideoOutput& operator=(const GstVideoOutput&) = delete;

    // A new video sink for a pipeline (any thread, once GStreamer is initialised); without the
    // X image sink or the converter installed, one that shows nothing (makeHiddenVideoSink()).
    // nullptr when no sink can be made.
    GstElement* makeSink(bool smoothScaling) const;

    // Draws the pictures of `sink` (made by makeSink()) into `window`, 0 for none.
    void showIn(GstElement* sink, quintptr window) const;

    quintptr hiddenWindow() const { return hidden_; }

private:
    quint32 hidden_ = 0;
};

// A sink that decodes pictures in time and shows none: the video sink without a display.
GstElement* makeHiddenVideoSink();

// The element of `sink` (a bin made by makeSink(), or a plain sink) that renders the pictures,
// where the last one shown can be read ("last-sample"). Not a new reference.
GstElement* renderingSink(GstElement* sink);

// Stretches the pictures of `sink` to `size` from the next one on; an empty size keeps the
// movie's own size.
void setPictureSize(GstElement* sink, QSize size);

// Filters the stretched picture (bilinear) or repeats pixels (nearest neighbour).
void setSmoothScaling(GstElement* sink, bool smooth);

// Draws the last picture again, after the window was uncovered or resized.
void exposeLastPicture(GstElement* sink);

}  // namespace cinevan::mci::gst
