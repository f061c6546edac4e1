#include "playback/mci/GstDevice.h"

#include <fcntl.h>
#include <gst/app/gstappsink.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
#include <QWidget>
#include <algorithm>

#include "playback/mci/GstBusWatch.h"
#include "playback/mci/GstConfigureDialog.h"
#include "playback/mci/GstEndProbe.h"
#include "playback/mci/GstFrameSink.h"
#include "playback/mci/GstOptions.h"
#include "playback/mci/GstRuntime.h"
#include "playback/mci/GstSegmentClipper.h"
#include "playback/mci/GstVideoCdSource.h"
#include "playback/mci/GstVideoSurface.h"
#include "playback/mci/VideoCdTrack.h"

namespace cinevan::mci {

namespace {

constexpr GstClockTime kOpenTimeout = 5 * GST_SECOND;
constexpr int kEndProbeTimeoutMs = 3000;
constexpr qint64 kEndProbeSpanMs = 2500;  // decoded before the demuxer's idea of the end
constexpr qint64 kMaxLeadMs = 12000;
constexpr gint64 kHalfFrameNs = 20 * GST_MSECOND;

// playbin "flags": pictures and sound with a software volume, no subtitles.
constexpr guint kPlayFlags = 0x1 | 0x2 | 0x10;

// Only regular files that can be opened are handed to the engine: a FIFO or a device would
// block its source in open() or read() without any time limit.
MciError checkElement(const QString& path) {
    const QByteArray name = QFile::encodeName(path);
    struct stat info {};
    if (::stat(name.constData(), &info) != 0) {
        return Error::FileNotFound;
    }
    if (!S_ISREG(info.st_mode) || info.st_size == 0) {
        return Error::InvalidFile;
    }
    const int fd = ::open(name.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        return Error::FileRead;
    }
    ::close(fd);
    return Error::None;
}

// The URI playbin reads `path` from: a Video CD track on a disc is read from its raw sectors
// by our own source element, anything else as a file. Empty when there is no such URI.
QByteArray mediaUri(const QString& path, bool rawTrack) {
    if (rawTrack && gst::registerVideoCdSource()) {
        return VideoCdTrack::uriFor(path);
    }
    const gst::CharPtr uri(gst_filename_to_uri(QFile::encodeName(path).constData(), nullptr));
    return uri ? QByteArray(uri.get()) : QByteArray();
}

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

// Stream time of the picture a sink shows now, -1 when unknown.
gint64 shownPictureTime(GstElement* sink) {
    GstSample* last = nullptr;
    g_object_get(sink, "last-sample", &last, nullptr);
    const gst::SamplePtr sample(last);
    if (!sample || gst_sample_get_buffer(sample.get()) == nullptr) {
        return -1;
    }
    const GstBuffer* buffer = gst_sample_get_buffer(sample.get());
    if (!GST_BUFFER_PTS_IS_VALID(buffer)) {
        return -1;
    }
    const guint64 time = gst_segment_to_stream_time(gst_sample_get_segment(sample.get()),
                                                    GST_FORMAT_TIME, GST_BUFFER_PTS(buffer));
    return GST_CLOCK_TIME_IS_VALID(time) ? static_cast<gint64>(time) : -1;
}

}  // namespace

GstDevice::GstDevice()
    : clipper_(std::make_unique<gst::GstSegmentClipper>()),
      frames_(std::make_unique<gst::GstFrameSink>()) {}

GstDevice::~GstDevice() {
    teardown();
    delete surface_.data();
}

void GstDevice::teardown() {
    if (pipeline_) {
        // Stops every streaming thread; no callback runs after this returns.
        gst_element_set_state(pipeline_.get(), GST_STATE_NULL);
    }
    bus_.reset();
    pipeline_.reset();
    videoSink_ = nullptr;
    audioSink_ = nullptr;
}

MciError GstDevice::openElement(const QString& element) {
    if (opened_) {
        return Error::Internal;
    }
    if (element.isEmpty()) {
        opened_ = true;
        return Error::None;
    }
    const bool rawTrack = VideoCdTrack::open(element) != nullptr;
    if (!rawTrack) {
        if (const MciError error = checkElement(element); error != Error::None) {
            return error;
        }
    }
    if (!gst::ensureInitialized()) {
        return Error::CannotLoadDriver;
    }
    const QByteArray uri = mediaUri(element, rawTrack);
    if (uri.isEmpty()) {
        return Error::FileNotFound;
    }
    MciError error = openUri(uri, false);
    if (error != Error::None && audioFailed_) {
        // The sound output cannot be used (no device, busy): play without sound.
        error = openUri(uri, true);
    }
    opened_ = error == Error::None;
    return error;
}

MciError GstDevice::openUri(const QByteArray& uri, bool silent) {
    teardown();
    streamError_ = Error::None;
    audioFailed_ = false;
    uri_ = uri;
    MciError error = buildPipeline(silent);
    if (error == Error::None) {
        error = preroll();
    }
    if (error == Error::None) {
        error = readStreamFacts();
    }
    if (error != Error::None) {
        teardown();
        return error;
    }
    measureLength();
    return Error::None;
}

MciError GstDevice::buildPipeline(bool silent) {
    pipeline_.reset(gst_element_factory_make("playbin", nullptr));
    videoSink_ = gst_element_factory_make("appsink", "video-frames");
    audioSink_ = silent ? gst::makeAudioSink(false) : gst::makeAudioSink(gst::gstOptions().sound);
    if (!pipeline_ || videoSink_ == nullptr || audioSink_ == nullptr) {
        for (GstElement* orphan : {videoSink_, audioSink_}) {
            if (orphan != nullptr) {
                gst_object_unref(gst_object_ref_sink(orphan));
            }
        }
        teardown();
        return Error::CannotLoadDriver;
    }
    gst_object_ref_sink(pipeline_.get());
    const gst::CapsPtr caps(gst_caps_from_string("video/x-raw,format=BGRx"));
    g_object_set(videoSink_, "caps", caps.get(), "sync", TRUE, "max-buffers", 2u, "drop", TRUE,
                 "enable-last-sample", TRUE, nullptr);
    frames_->attach(GST_APP_SINK(videoSink_));
    g_object_set(pipeline_.get(), "uri", uri_.constData(), "video-sink", videoSink_, "audio-sink",
                 audioSink_, "flags", kPlayFlags, nullptr);
    clipper_->attach(pipeline_.get());
    const gst::BusPtr bus(gst_element_get_bus(pipeline_.get()));
    bus_ =
        std::make_unique<gst::GstBusWatch>(bus.get(), [this](GstMessage* m) { handleMessage(m); });
    return Error::None;
}

MciError GstDevice::preroll() {
    if (gst_element_set_state(pipeline_.get(), GST_STATE_PAUSED) == GST_STATE_CHANGE_FAILURE) {
        bus_->drain();
        return streamError_ != Error::None ? streamError_ : Error::Driver;
    }
    const GstMessageType ended =
        bus_->waitFor(GstMessageType(GST_MESSAGE_ASYNC_DONE | GST_MESSAGE_ERROR), kOpenTimeout);
    if (ended == GST_MESSAGE_ASYNC_DONE && streamError_ == Error::None) {
        return Error::None;
    }
    // No answer in time: a source that stalls, or a stream nothing can make sense of.
    return streamError_ != Error::None ? streamError_ : Error::FileRead;
}

MciError GstDevice::readStreamFacts() {
    gint videoStreams = 0;
    g_object_get(pipeline_.get(), "n-video", &videoStreams, nullptr);
    const gst::PadPtr pad(gst_element_get_static_pad(videoSink_, "sink"));
    const gst::CapsPtr caps(pad ? gst_pad_get_current_caps(pad.get()) : nullptr);
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
    source_ = QSize(width, height);
    gint64 first = 0;
    originNs_ = gst_element_query_position(pipeline_.get(), GST_FORMAT_TIME, &first) && first > 0
                    ? first
                    : 0;
    leadMs_ = std::max<qint64>(leadMs_, gst::toMs(originNs_) + 1000);
    lastPositionMs_ = 0;
    return Error::None;
}

void GstDevice::measureLength() {
    gint64 duration = -1;
    for (int attempt = 0; attempt < 10; ++attempt) {
        if (gst_element_query_duration(pipeline_.get(), GST_FORMAT_TIME, &duration) &&
            duration > 0) {
            break;
        }
        g_usleep(20000);
    }
    demuxerDurationNs_ = duration;
    const gint64 searchFrom =
        duration > 0 ? std::max<gint64>(0, originNs_ + duration - gst::fromMs(kEndProbeSpanMs)) : 0;
    const gint64 end = gst::probeVideoEnd(uri_, searchFrom, kEndProbeTimeoutMs);
    if (end > originNs_) {
        lengthMs_ = gst::toMs(end - originNs_ + GST_MSECOND / 2);
    } else {
        lengthMs_ = duration > 0 ? gst::toMs(duration) : 0;
    }
}

MciError GstDevice::movieState() const {
    if (!opened_ || !pipeline_) {
        return Error::UnsupportedFunction;
    }
    return streamError_;
}

MciError GstDevice::whereSource(QSize& size) {
    if (!opened_ || !pipeline_) {
        return Error::UnsupportedFunction;
    }
    size = source_;
    return Error::None;
}

MciError GstDevice::setTimeFormatMilliseconds() {
    return opened_ ? Error::None : Error::UnsupportedFunction;
}

MciError GstDevice::statusLength(quint32& ms) {
    if (!opened_ || !pipeline_) {
        return Error::UnsupportedFunction;
    }
    ms = static_cast<quint32>(lengthMs_);
    return Error::None;
}

MciError GstDevice::statusPosition(quint32& ms) {
    if (!opened_ || !pipeline_) {
        return Error::UnsupportedFunction;
    }
    if (bus_) {
        bus_->drain();  // an end of stream waiting on the bus is part of the answer
    }
    if (atEnd_) {
        ms = static_cast<quint32>(rangeStopMs_ >= 0 ? rangeStopMs_ : lengthMs_);
        return streamError_;
    }
    gint64 position = -1;
    if (!settling_ && gst_element_query_position(pipeline_.get(), GST_FORMAT_TIME, &position) &&
        position >= 0) {
        // Before the first picture the clock may read a little less than the origin.
        lastPositionMs_ = std::clamp<qint64>(gst::toMs(position - originNs_), 0, lengthMs_);
    }
    ms = static_cast<quint32>(lastPositionMs_);
    return streamError_;
}

MciError GstDevice::play(quint32 fromMs, quint32 toMs) {
    if (const MciError error = movieState(); error != Error::None) {
        return error;
    }
    if (fromMs > lengthMs_) {
        return Error::OutOfRange;
    }
    const qint64 stop = std::clamp<qint64>(toMs, fromMs, lengthMs_);
    if (bus_) {
        bus_->drain();  // the end of an earlier range must not end this one
    }
    restingTargetMs_ = -1;
    rangeStopMs_ = stop;
    if (const MciError error = seekTo(fromMs, stop); error != Error::None) {
        return error;
    }
    if (gst_element_set_state(pipeline_.get(), GST_STATE_PLAYING) == GST_STATE_CHANGE_FAILURE) {
        return Error::Driver;
    }
    return Error::None;
}

MciError GstDevice::pause() {
    if (const MciError error = movieState(); error != Error::None) {
        return error;
    }
    return gst_element_set_state(pipeline_.get(), GST_STATE_PAUSED) == GST_STATE_CHANGE_FAILURE
               ? Error::Driver
               : Error::None;
}

MciError GstDevice::resume() {
    if (const MciError error = movieState(); error != Error::None) {
        return error;
    }
    return gst_element_set_state(pipeline_.get(), GST_STATE_PLAYING) == GST_STATE_CHANGE_FAILURE
               ? Error::Driver
               : Error::None;
}

MciError GstDevice::seek(quint32 toMs) {
    if (const MciError error = movieState(); error != Error::None) {
        return error;
    }
    if (toMs > lengthMs_) {
        return Error::OutOfRange;
    }
    if (bus_) {
        bus_->drain();
    }
    gst_element_set_state(pipeline_.get(), GST_STATE_PAUSED);
    restingTargetMs_ = toMs;
    rangeStopMs_ = -1;
    return seekTo(toMs, -1);
}

MciError GstDevice::seekTo(qint64 fromMs, qint64 stopMs) {
    const gint64 target = streamTime(fromMs);
    const gint64 demuxerStart = std::max<gint64>(0, target - gst::fromMs(leadMs_));
    const gint64 stop = stopMs >= 0 ? streamTime(stopMs) : -1;
    clipper_->setRange(target, stop);
    // A stop the demuxer would clamp to its short duration estimate is left to the clipper.
    const gint64 demuxerStop = stop >= 0 && stop < demuxerDurationNs_ ? stop : -1;
    const auto flags = GstSeekFlags(GST_SEEK_FLAG_FLUSH | GST_SEEK_FLAG_ACCURATE);
    if (!gst_element_seek(pipeline_.get(), 1.0, GST_FORMAT_TIME, flags, GST_SEEK_TYPE_SET,
                          demuxerStart, GST_SEEK_TYPE_SET, demuxerStop)) {
        return Error::Driver;
    }
    lastPositionMs_ = fromMs;
    settling_ = true;
    atEnd_ = false;
    return Error::None;
}

// A seek that rests paused shows its picture once prerolled. A picture later than the target
// means the demuxer was not sent early enough for this file: go further back and seek again.
void GstDevice::checkSeekLanded() {
    if (restingTargetMs_ < 0) {
        return;
    }
    const gint64 shown = shownPictureTime(videoSink_);
    const qint64 target = restingTargetMs_;
    if (shown > streamTime(target) + kHalfFrameNs && leadMs_ < kMaxLeadMs) {
        leadMs_ *= 2;
        seekTo(target, -1);
        return;
    }
    restingTargetMs_ = -1;
}

MciError GstDevice::window(QWidget* host) {
    host_ = host;
    if (host == nullptr) {
        frames_->setWanted(false);
        if (surface_) {
            surface_->hide();
            surface_->setParent(nullptr);
        }
        return Error::None;
    }
    if (!surface_) {
        surface_ = new gst::GstVideoSurface(frames_.get(), host);
    } else {
        surface_->setParent(host);
    }
    surface_->setSmoothScaling(gst::gstOptions().smoothScaling);
    surface_->setGeometry(destination_.isValid() ? destination_ : host->rect());
    surface_->show();
    frames_->setWanted(true);
    if (videoSink_ != nullptr) {
        frames_->takeLastSample(videoSink_);
    }
    return Error::None;
}

MciError GstDevice::putDestination(const QRect& rect) {
    destination_ = rect;
    if (surface_ && host_ != nullptr) {
        surface_->setGeometry(rect);
    }
    return Error::None;
}

MciError GstDevice::getDevCaps(DevCapsItem item, quint32& answer) {
    switch (item) {
        case DevCapsItem::HasVideo:
        case DevCapsItem::UsesFiles:
            answer = 1;
            return Error::None;
    }
    return Error::UnsupportedFunction;
}

MciError GstDevice::infoProduct(QString& text) {
    text = QStringLiteral("MPEG Video (%1)").arg(gst::versionText());
    return Error::None;
}

MciError GstDevice::configure(QWidget* parent) {
    gst::GstConfigureDialog dialog(gst::gstOptions(), parent);
    dialog.exec();
    if (surface_) {
        surface_->setSmoothScaling(gst::gstOptions().smoothScaling);
    }
    return Error::None;
}

void GstDevice::handleMessage(GstMessage* message) {
    if (!pipeline_) {
        return;
    }
    switch (GST_MESSAGE_TYPE(message)) {
        case GST_MESSAGE_ERROR: {
            GError* error = nullptr;
            gst_message_parse_error(message, &error, nullptr);
            streamError_ = errorFor(error);
            audioFailed_ =
                audioSink_ != nullptr &&
                gst_object_has_as_ancestor(GST_MESSAGE_SRC(message), GST_OBJECT(audioSink_));
            g_error_free(error);
            settling_ = false;
            break;
        }
        case GST_MESSAGE_EOS:
            // The end of the range: rest there, neither rewound nor unloaded.
            gst_element_set_state(pipeline_.get(), GST_STATE_PAUSED);
            atEnd_ = true;
            break;
        case GST_MESSAGE_ASYNC_DONE:
            settling_ = false;
            checkSeekLanded();
            break;
        default:
            break;
    }
}

}  // namespace cinevan::mci
