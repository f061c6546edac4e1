#include "playback/mci/gst/GstOpening.h"

#include <QFile>
#include <algorithm>

#include "playback/mci/ReadableFile.h"
#include "playback/mci/gst/GstEndProbe.h"
#include "playback/mci/gst/GstLengthCache.h"
#include "playback/mci/gst/GstOptions.h"
#include "playback/mci/gst/GstSegmentClipper.h"
#include "playback/mci/gst/GstSequenceEnd.h"
#include "playback/mci/gst/GstVideoCdSource.h"
#include "playback/mci/gst/GstVideoOutput.h"
#include "playback/mci/vcd/VideoCdTrack.h"

namespace cinevan::mci::gst {

namespace {

constexpr int kEndProbeTimeoutMs = 3000;
constexpr qint64 kEndProbeSpanMs = 2500;  // decoded before the demuxer's idea of the end
// Left at the end of the open's time for the device to take the pipeline over.
constexpr qint64 kHandOverMs = 50;

// playbin "flags": pictures and sound with a software volume, no subtitles; the pictures go
// to the video sink as decoded (it converts and scales them itself in one pass).
constexpr guint kPlayFlags = 0x1 | 0x2 | 0x10 | 0x40;

// The URI playbin reads `path` from: a Video CD track on a disc is read from its raw sectors
// by our own source element, anything else as a file. Empty when there is no such URI.
QByteArray mediaUri(const QString& path, bool rawTrack) {
    if (rawTrack && registerVideoCdSource()) {
        return VideoCdTrack::uriFor(path);
    }
    const CharPtr uri(gst_filename_to_uri(QFile::encodeName(path).constData(), nullptr));
    return uri ? QByteArray(uri.get()) : QByteArray();
}

GstClockTime remainingNs(QDeadlineTimer deadline) {
    if (deadline.isForever()) {
        return GST_CLOCK_TIME_NONE;
    }
    return static_cast<GstClockTime>(std::max<qint64>(deadline.remainingTimeNSecs(), 0));
}

}  // namespace

MciError errorFor(const GError* error) {
    if (error->domain == GST_RESOURCE_ERROR) {
        switch (error->code) {
            case GST_RESOURCE_ERROR_NOT_FOUND:
                return Error::FileNotFound;
            case GST_RESOURCE_ERROR_OPEN_READ:
            case GST_RESOURCE_ERROR_READ:
            case GST_RESOURCE_ERROR_SEEK:
                return Error::FileRead;
            default:
                return Error::Hardware;
        }
    }
    if (error->domain == GST_STREAM_ERROR) {
        return Error::InvalidFile;
    }
    if (error->domain == GST_CORE_ERROR && error->code == GST_CORE_ERROR_MISSING_PLUGIN) {
        return Error::CannotLoadDriver;
    }
    return Error::Driver;
}

GstOpening::GstOpening(QString element, std::shared_ptr<GstSegmentClipper> clipper,
                       std::shared_ptr<GstVideoOutput> output)
    : element_(std::move(element)), clipper_(std::move(clipper)), output_(std::move(output)) {}

GstOpening::~GstOpening() {
    stop();
}

void GstOpening::stop() {
    if (pipeline_) {
        gst_element_set_state(pipeline_.get(), GST_STATE_NULL);
        pipeline_.reset();
    }
    videoSink_ = nullptr;
    audioSink_ = nullptr;
}

MciError GstOpening::run(QDeadlineTimer deadline) {
    const std::unique_ptr<VideoCdTrack> track = VideoCdTrack::open(element_);
    const bool rawTrack = track != nullptr;
    identity_ = GstMovieIdentity::of(element_, rawTrack ? track->size() : -1);
    if (!rawTrack) {
        if (const MciError error = checkReadableFile(element_); error != Error::None) {
            return error;
        }
    }
    facts_.uri = mediaUri(element_, rawTrack);
    if (facts_.uri.isEmpty()) {
        return Error::FileNotFound;
    }
    MciError error = openUri(false, deadline);
    if (error != Error::None && audioFailed_) {
        // The sound output cannot be used (no device, busy): play without sound.
        error = openUri(true, deadline);
    }
    return error;
}

MciError GstOpening::openUri(bool silent, QDeadlineTimer deadline) {
    stop();
    audioFailed_ = false;
    MciError error = build(silent);
    if (error == Error::None) {
        error = preroll(deadline);
    }
    if (error == Error::None) {
        error = readFacts();
    }
    if (error != Error::None) {
        stop();
        return error;
    }
    measureLength(deadline);
    return Error::None;
}

MciError GstOpening::build(bool silent) {
    pipeline_.reset(gst_element_factory_make("playbin", nullptr));
    videoSink_ =
        output_ ? output_->makeSink(GstOptions::current().smoothScaling) : makeHiddenVideoSink();
    audioSink_ = silent ? makeAudioSink(false) : makeAudioSink(GstOptions::current().sound);
    if (!pipeline_ || videoSink_ == nullptr || audioSink_ == nullptr) {
        for (GstElement* orphan : {videoSink_, audioSink_}) {
            if (orphan != nullptr) {
                gst_object_unref(gst_object_ref_sink(orphan));
            }
        }
        stop();
        return Error::CannotLoadDriver;
    }
    gst_object_ref_sink(pipeline_.get());
    g_object_set(pipeline_.get(), "uri", facts_.uri.constData(), "video-sink", videoSink_,
                 "audio-sink", audioSink_, "flags", kPlayFlags, nullptr);
    clipper_->attach(pipeline_.get());
    completeMpegVideoSequences(pipeline_.get());
    return Error::None;
}

MciError GstOpening::preroll(QDeadlineTimer deadline) {
    const BusPtr bus(gst_element_get_bus(pipeline_.get()));
    const bool failed =
        gst_element_set_state(pipeline_.get(), GST_STATE_PAUSED) == GST_STATE_CHANGE_FAILURE;
    const auto wanted = GstMessageType(GST_MESSAGE_ASYNC_DONE | GST_MESSAGE_ERROR);
    const MessagePtr message(
        gst_bus_timed_pop_filtered(bus.get(), failed ? 0 : remainingNs(deadline), wanted));
    if (message && GST_MESSAGE_TYPE(message.get()) == GST_MESSAGE_ASYNC_DONE) {
        return Error::None;
    }
    if (message) {
        GError* error = nullptr;
        gst_message_parse_error(message.get(), &error, nullptr);
        const MciError code = errorFor(error);
        g_error_free(error);
        audioFailed_ =
            gst_object_has_as_ancestor(GST_MESSAGE_SRC(message.get()), GST_OBJECT(audioSink_));
        return code;
    }
    // No answer in time: a source that stalls, or a stream nothing can make sense of.
    return failed ? Error::Driver : Error::DeviceNotReady;
}

MciError GstOpening::readFacts() {
    gint videoStreams = 0;
    g_object_get(pipeline_.get(), "n-video", &videoStreams, nullptr);
    const PadPtr pad(gst_element_get_static_pad(videoSink_, "sink"));
    const CapsPtr caps(pad ? gst_pad_get_current_caps(pad.get()) : nullptr);
    gint width = 0;
    gint height = 0;
    if (caps && gst_caps_get_size(caps.get()) > 0) {
        const GstStructure* format = gst_caps_get_structure(caps.get(), 0);
        gst_structure_get_int(format, "width", &width);
        gst_structure_get_int(format, "height", &height);
    }
    // A stream that announces video but never yields a picture (a cut-off file) is no movie.
    if (videoStreams <= 0 || width <= 0 || height <= 0) {
        return Error::InvalidFile;
    }
    facts_.source = QSize(width, height);
    gint64 first = 0;
    facts_.originNs =
        gst_element_query_position(pipeline_.get(), GST_FORMAT_TIME, &first) && first > 0 ? first
                                                                                          : 0;
    return Error::None;
}

// MPEG program streams carry no length: the tail is decoded to find where the last picture
// ends, once per movie and process. Without time left for that, the demuxer's estimate stands.
void GstOpening::measureLength(QDeadlineTimer deadline) {
    GstLengthCache& cache = GstLengthCache::shared();
    if (const auto known = cache.find(identity_, facts_.source, facts_.originNs)) {
        facts_.demuxerDurationNs = known->demuxerDurationNs;
        facts_.lengthMs = known->lengthMs;
        return;
    }
    gint64 duration = -1;
    for (int attempt = 0; attempt < 10 && !deadline.hasExpired(); ++attempt) {
        if (gst_element_query_duration(pipeline_.get(), GST_FORMAT_TIME, &duration) &&
            duration > 0) {
            break;
        }
        g_usleep(20000);
    }
    facts_.demuxerDurationNs = duration;
    const gint64 searchFrom =
        duration > 0 ? std::max<gint64>(0, facts_.originNs + duration - fromMs(kEndProbeSpanMs))
                     : 0;
    const qint64 probeMs =
        deadline.isForever()
            ? kEndProbeTimeoutMs
            : std::min<qint64>(kEndProbeTimeoutMs, deadline.remainingTime() - kHandOverMs);
    const gint64 end = probeMs > 0 ? probeVideoEnd(facts_.uri, searchFrom, int(probeMs)) : -1;
    if (end > facts_.originNs) {
        facts_.lengthMs = toMs(end - facts_.originNs + GST_MSECOND / 2);
        cache.remember(identity_, {facts_.source, facts_.originNs, duration, facts_.lengthMs});
    } else {
        facts_.lengthMs = duration > 0 ? toMs(duration) : 0;
    }
}

}  // namespace cinevan::mci::gst
