#pragma once

struct mpv_handle;

namespace cinevan::mci {

// Lets a libmpv player read Video CD tracks from the disc's raw sectors: registers the
// protocol of VideoCdTrack::uriFor() on `handle`, each stream of which reads one track.
// Returns the libmpv error code (0 = done).
int addVideoCdProtocol(mpv_handle* handle);

}  // namespace cinevan::mci
