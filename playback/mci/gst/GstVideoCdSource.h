#pragma once

namespace cinevan::mci::gst {

// Registers, once per process, the source element "cinevanvcdsrc": it reads the URIs of
// VideoCdTrack::uriFor(), so that playbin (and any other pipeline given such a URI) plays a
// Video CD track from the disc's raw sectors. Needs GStreamer initialised; false when the
// element cannot be registered.
bool registerVideoCdSource();

}  // namespace cinevan::mci::gst
