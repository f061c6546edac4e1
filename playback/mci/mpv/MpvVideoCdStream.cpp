#include "playback/mci/mpv/MpvVideoCdStream.h"

#include <mpv/stream_cb.h>

#include <atomic>
#include <limits>
#include <memory>

#include "playback/mci/vcd/VideoCdTrack.h"

namespace cinevan::mci {

namespace {

// One open stream: the track and the engine's read position in it. The engine's demuxer
// thread reads; cancelling comes from another of its threads.
struct TrackStream {
    std::unique_ptr<VideoCdTrack> track;
    int64_t position = 0;
    std::atomic<bool> cancelled{false};
};

TrackStream& streamOf(void* cookie) {
    return *static_cast<TrackStream*>(cookie);
}

int64_t readStream(void* cookie, char* buffer, uint64_t bytes) {
    TrackStream& stream = streamOf(cookie);
    if (stream.cancelled) {
        return -1;
    }
    const auto wanted =
        static_cast<qint64>(std::min<uint64_t>(bytes, std::numeric_limits<qint32>::max()));
    const qint64 got = stream.track->read(stream.position, buffer, wanted);
    if (got > 0) {
        stream.position += got;
    }
    return got;
}

int64_t seekStream(void* cookie, int64_t offset) {
    if (offset < 0) {
        return MPV_ERROR_GENERIC;
    }
    streamOf(cookie).position = offset;
    return offset;
}

int64_t streamSize(void* cookie) {
    return streamOf(cookie).track->size();
}

void closeStream(void* cookie) {
    delete static_cast<TrackStream*>(cookie);
}

void cancelStream(void* cookie) {
    streamOf(cookie).cancelled = true;
}

int openStream(void*, char* uri, mpv_stream_cb_info* info) {
    // Runs on an engine thread inside libmpv: nothing may be thrown from here.
    try {
        std::unique_ptr<VideoCdTrack> track = VideoCdTrack::open(VideoCdTrack::pathOfUri(uri));
        if (!track) {
            return MPV_ERROR_LOADING_FAILED;
        }
        info->cookie = new TrackStream{std::move(track)};
    } catch (...) {
        return MPV_ERROR_LOADING_FAILED;
    }
    info->read_fn = readStream;
    info->seek_fn = seekStream;
    info->size_fn = streamSize;
    info->close_fn = closeStream;
    info->cancel_fn = cancelStream;
    return 0;
}

}  // namespace

int addVideoCdProtocol(mpv_handle* handle) {
    return mpv_stream_cb_add_ro(handle, VideoCdTrack::scheme(), nullptr, openStream);
}

}  // namespace cinevan::mci
