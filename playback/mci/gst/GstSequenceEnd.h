#pragma once

#include <gst/gst.h>

namespace cinevan::mci::gst {

// libmpeg2 holds a stream's last pictures back until a sequence end code says that nothing
// follows, and mpeg2dec does not let them out at the end of the stream: a movie without that
// code at its end (ffmpeg writes none) would lose its last picture or two. For every mpeg2dec
// that `playbin` builds, this hands the decoder the missing code just before the end of the
// stream. Streams that end with the code themselves (mplex writes it) pass unchanged.
void completeMpegVideoSequences(GstElement* playbin);

}  // namespace cinevan::mci::gst
