#pragma once

#include <gst/gst.h>

#include <QByteArray>

namespace cinevan::mci::gst {

// Finds where the movie's last picture ends, in the stream time of a playbin on the same
// file. MPEG program streams carry no length; the demuxer's estimate is the distance between
// the first and the last time stamp of any stream and misses the last picture's duration, so
// the tail of the file is decoded here, unsynchronised, in a pipeline of its own.
// Returns -1 when the end cannot be found within `timeoutMs`.
gint64 probeVideoEnd(const QByteArray& uri, gint64 searchFromNs, int timeoutMs);

// How many times probeVideoEnd() has run in this process.
int videoEndProbeCount();

}  // namespace cinevan::mci::gst
