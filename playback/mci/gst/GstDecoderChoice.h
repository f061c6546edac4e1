#pragma once

#include <QByteArray>

namespace cinevan::mci::gst {

// Makes this process's playbin decode MPEG-1/2 video with libmpeg2 (mpeg2dec) and MPEG audio
// with libmpg123 (mpg123audiodec) where those decoders are installed. By their stock ranks
// decodebin takes gst-libav's decoders, and loading gst-libav registers a type for every FFmpeg
// codec, which costs more than decoding a short movie. gst-libav stays the choice for every
// other format, and for MPEG where the light decoders are missing. Only the registry in memory
// changes; a user's own GST_PLUGIN_FEATURE_RANK is left to rule. Call it once, right after
// GStreamer is initialised and before the first pipeline is built.
void preferLightMpegDecoders();

// The decoder element decodebin picks for `caps` (e.g. "video/mpeg, mpegversion=1,
// systemstream=false"): the highest ranked decoder that accepts them, ties broken by name.
// Empty when none does.
QByteArray decoderFor(const char* caps);

}  // namespace cinevan::mci::gst
