#include "playback/mci/gst/GstPlayer.h"

#include <QCoreApplication>
#include <QThread>
#include <algorithm>

#include "platform/BackgroundCall.h"
#include "playback/mci/MediaDevice.h"
#include "playback/mci/gst/GstBusWatch.h"
#include "playback/mci/gst/GstOpening.h"
#include "playback/mci/gst/GstRuntime.h"
#include "playback/mci/gst/GstSegmentClipper.h"
#include "playback/mci/gst/GstVideoOutput.h"

namespace cinevan::mci::gst {

namespace {

constexpr qint64 kMaxLeadMs = 12000;
constexpr gint64 kHalfFrameNs = 20 * GST_MSECOND;
// How long a command on the pipeline may take before the source counts as stuck; a seek
// with its preroll normally takes a few milliseconds.
constexpr int kCommandTimeLimitMs = kOpenTimeLimitMs / 2;
// How long closing waits for a pipeline to stop when no command is under way.
constexpr int kStopWaitMs = 250;

GstClockTime remainingNs(QDeadlineTimer deadline) {
    return static_cast<GstClockTime>(std::max<qint64>(deadline.remainingTimeNSecs(), 0));
}

std::shared_ptr<GstVideoOutput> makeVideoOutput() {
    return GstVideoOutput::available() ? std::make_shared<GstVideoOutput>() : nullptr;
}

// Stream time of the picture a sink shows now, -1 when unknown.
gint64 shownPictureTime(GstElement* sink) {
    GstSample* last = nullptr;
    g_object_get(renderingSink(sink), "last-sample", &last, nullptr);
    const SamplePtr sample(last);
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

// An opening is shared by the thread that runs it and the player that waits for it. When the
// GUI thread lets it go last while it still holds a pipeline (one a stalled source keeps
// busy), the pipeline is stopped on a thread of its own.
std::shared_ptr<GstOpening> shareOpening(const QString& element,
                                         std::shared_ptr<GstSegmentClipper> clipper,
                                         std::shared_ptr<GstVideoOutput> output) {
    return {new GstOpening(element, std::move(clipper), std::move(output)),
            [](GstOpening* opening) {
                const QCoreApplication* app = QCoreApplication::instance();
                const bool guiThread = app && QThread::currentThread() == app->thread();
                if (guiThread && opening->holdsPipeline()) {
                    runWithin(QDeadlineTimer(0), [opening] { delete opening; });
                } else {
                    delete opening;
                }
            }};
}

}  // namespace

GstPlayer::GstPlayer()
    : clipper_(std::make_shared<GstSegmentClipper>()), output_(makeVideoOutput()) {}

GstPlayer::~GstPlayer() {
    openAnswers_.reset();
    close();
}

void GstPlayer::close() {
    bus_.reset();
    commandAnswers_ = std::make_unique<QObject>();
    pendingCommands_ = 0;
    if (videoSink_ != nullptr && output_) {
        // A pipeline that takes long to stop must not draw into a window that may go away.
        output_->showIn(videoSink_, 0);
    }
    videoSink_ = nullptr;
    if (!pipeline_) {
        return;
    }
    // The stop comes after the commands under way; it is waited for a moment only when none
    // is, since one that is has the source to wait for.
    const bool idle = commands_.idle();
    const std::shared_ptr<GstElement> pipeline(pipeline_.release(), ObjectUnref{});
    commands_.post([pipeline, clipper = clipper_, output = output_] {
        // Stops every streaming thread; none calls into the clipper or draws afterwards.
        gst_element_set_state(pipeline.get(), GST_STATE_NULL);
    });
    if (idle) {
        commands_.waitUntilIdle(QDeadlineTimer(kStopWaitMs));
    }
}

void GstPlayer::beginOpen(const QString& element, QDeadlineTimer deadline, OpenDone done) {
    if (opened_ || opening_) {
        done(Error::Internal);
        return;
    }
    if (element.isEmpty()) {
        opened_ = true;
        done(Error::None);
        return;
    }
    if (initializationFailed()) {
        done(Error::CannotLoadDriver);
        return;
    }
    // The opening runs on a thread of its own, which also initialises GStreamer when that has
    // not been done yet; one that does not finish in time keeps its pipeline and stops it
    // whenever the source lets it.
    const std::shared_ptr<GstOpening> opening = shareOpening(element, clipper_, output_);
    opening_ = true;
    callInBackground(
        openAnswers_.get(), deadline,
        [opening, deadline] {
            return ensureInitialized() ? opening->run(deadline) : MciError(Error::CannotLoadDriver);
        },
        [this, opening, done = std::move(done)](std::optional<MciError> result) {
            finishOpen(opening, result, done);
        });
}

void GstPlayer::finishOpen(const std::shared_ptr<GstOpening>& opening,
                           std::optional<MciError> result, const OpenDone& done) {
    opening_ = false;
    if (!result) {
        done(Error::DeviceNotReady);
        return;
    }
    if (*result != Error::None) {
        done(*result);
        return;
    }
    adopt(*opening);
    opened_ = true;
    done(Error::None);
}

void GstPlayer::adopt(GstOpening& opening) {
    const GstMovieFacts& facts = opening.facts();
    source_ = facts.source;
    originNs_ = facts.originNs;
    demuxerDurationNs_ = facts.demuxerDurationNs;
    lengthMs_ = facts.lengthMs;
    leadMs_ = std::max<qint64>(leadMs_, toMs(originNs_) + 1000);
    lastPositionMs_ = 0;
    streamError_ = Error::None;
    videoSink_ = opening.videoSink();
    pipeline_ = opening.takePipeline();
    const BusPtr bus(gst_element_get_bus(pipeline_.get()));
    bus_ = std::make_unique<GstBusWatch>(bus.get(), [this](GstMessage* m) { handleMessage(m); });
    showPictures();
}

MciError GstPlayer::movieState() const {
    if (!hasMovie()) {
        return Error::UnsupportedFunction;
    }
    return streamError_;
}

void GstPlayer::drainBus() {
    if (bus_) {
        bus_->drain();
    }
}

MciError GstPlayer::sourceSize(QSize& size) const {
    if (!hasMovie()) {
        return Error::UnsupportedFunction;
    }
    size = source_;
    return Error::None;
}

MciError GstPlayer::length(quint32& ms) const {
    if (!hasMovie()) {
        return Error::UnsupportedFunction;
    }
    ms = static_cast<quint32>(lengthMs_);
    return Error::None;
}

MciError GstPlayer::position(quint32& ms) {
    if (!hasMovie()) {
        return Error::UnsupportedFunction;
    }
    drainBus();  // an end of stream waiting on the bus is part of the answer
    if (streamError_ == Error::DeviceNotReady) {
        ms = static_cast<quint32>(lastPositionMs_);  // a pipeline stuck on its source
        return streamError_;
    }
    if (atEnd_) {
        ms = static_cast<quint32>(rangeStopMs_ >= 0 ? rangeStopMs_ : lengthMs_);
        return streamError_;
    }
    gint64 position = -1;
    if (!settling_ && pendingCommands_ == 0 &&
        gst_element_query_position(pipeline_.get(), GST_FORMAT_TIME, &position) && position >= 0) {
        // Before the first picture the clock may read a little less than the origin.
        lastPositionMs_ = std::clamp<qint64>(toMs(position - originNs_), 0, lengthMs_);
    }
    ms = static_cast<quint32>(lastPositionMs_);
    return streamError_;
}

MciError GstPlayer::playRange(quint32 fromMs, quint32 toMs) {
    if (const MciError error = movieState(); error != Error::None) {
        return error;
    }
    if (fromMs > lengthMs_) {
        return Error::OutOfRange;
    }
    const qint64 stop = std::clamp<qint64>(toMs, fromMs, lengthMs_);
    drainBus();  // the end of an earlier range must not end this one
    restingTargetMs_ = -1;
    rangeStopMs_ = stop;
    seekTo(fromMs, stop, GST_STATE_VOID_PENDING, GST_STATE_PLAYING);
    return Error::None;
}

MciError GstPlayer::pause() {
    if (const MciError error = movieState(); error != Error::None) {
        return error;
    }
    return setState(GST_STATE_PAUSED);
}

MciError GstPlayer::resume() {
    if (const MciError error = movieState(); error != Error::None) {
        return error;
    }
    return setState(GST_STATE_PLAYING);
}

MciError GstPlayer::setState(GstState state) {
    post([state](GstElement* pipeline) {
        return gst_element_set_state(pipeline, state) == GST_STATE_CHANGE_FAILURE ? Outcome::Refused
                                                                                  : Outcome::Done;
    });
    return Error::None;
}

MciError GstPlayer::seek(quint32 toMs) {
    if (const MciError error = movieState(); error != Error::None) {
        return error;
    }
    if (toMs > lengthMs_) {
        return Error::OutOfRange;
    }
    drainBus();
    restingTargetMs_ = toMs;
    rangeStopMs_ = -1;
    seekTo(toMs, -1, GST_STATE_PAUSED, GST_STATE_VOID_PENDING);
    return Error::None;
}

void GstPlayer::post(Command command, std::function<void()> done) {
    const std::shared_ptr<GstElement> pipeline(GST_ELEMENT(gst_object_ref(pipeline_.get())),
                                               ObjectUnref{});
    ++pendingCommands_;
    commands_.call(
        commandAnswers_.get(), QDeadlineTimer(kCommandTimeLimitMs),
        [pipeline, command = std::move(command)] { return command(pipeline.get()); },
        [this, done = std::move(done)](std::optional<Outcome> outcome) {
            commandEnded(outcome, done);
        });
}

void GstPlayer::commandEnded(std::optional<Outcome> outcome, const std::function<void()>& done) {
    --pendingCommands_;
    if (streamError_ != Error::None) {
        return;  // the movie is over already
    }
    if (!outcome || *outcome == Outcome::Unsettled) {
        // The source has stopped answering: the movie cannot go on.
        streamError_ = Error::DeviceNotReady;
        settling_ = false;
        return;
    }
    if (*outcome == Outcome::Refused) {
        // The command was reported as done to the caller; the movie reports it failed.
        streamError_ = Error::Driver;
        settling_ = false;
        return;
    }
    if (done) {
        done();
    }
}

void GstPlayer::seekTo(qint64 fromMs, qint64 stopMs, GstState before, GstState after) {
    const gint64 target = streamTime(fromMs);
    const gint64 demuxerStart = std::max<gint64>(0, target - gst::fromMs(leadMs_));
    const gint64 stop = stopMs >= 0 ? streamTime(stopMs) : -1;
    // A stop the demuxer would clamp to its short duration estimate is left to the clipper.
    const gint64 demuxerStop = stop >= 0 && stop < demuxerDurationNs_ ? stop : -1;
    const QDeadlineTimer settleBy(kCommandTimeLimitMs);
    // A flushing seek waits for the streaming threads, and one stuck on its source would hold
    // its caller for ever: it runs on the command thread, behind the commands before it.
    const Command command = [=, clipper = clipper_](GstElement* pipeline) {
        if (before != GST_STATE_VOID_PENDING &&
            gst_element_set_state(pipeline, before) == GST_STATE_CHANGE_FAILURE) {
            return Outcome::Refused;
        }
        clipper->setRange(target, stop);
        const auto flags = GstSeekFlags(GST_SEEK_FLAG_FLUSH | GST_SEEK_FLAG_ACCURATE);
        if (!gst_element_seek(pipeline, 1.0, GST_FORMAT_TIME, flags, GST_SEEK_TYPE_SET,
                              demuxerStart, GST_SEEK_TYPE_SET, demuxerStop)) {
            return Outcome::Refused;
        }
        if (after != GST_STATE_VOID_PENDING &&
            gst_element_set_state(pipeline, after) == GST_STATE_CHANGE_FAILURE) {
            return Outcome::Refused;
        }
        // The seek has settled once the sinks have prerolled on its target.
        switch (gst_element_get_state(pipeline, nullptr, nullptr, remainingNs(settleBy))) {
            case GST_STATE_CHANGE_FAILURE:
                return Outcome::Refused;
            case GST_STATE_CHANGE_ASYNC:
                return Outcome::Unsettled;
            default:
                return Outcome::Done;
        }
    };
    const quint64 seek = ++lastSeek_;
    post(command, [this, seek] { seekSettled(seek); });
    lastPositionMs_ = fromMs;
    settling_ = true;
    atEnd_ = false;
}

void GstPlayer::seekSettled(quint64 seek) {
    if (seek != lastSeek_) {
        return;  // a later seek is under way
    }
    settling_ = false;
    checkSeekLanded();
}

// A seek that rests paused shows its picture once prerolled. A picture later than the target
// means the demuxer was not sent early enough for this file: go further back and seek again.
void GstPlayer::checkSeekLanded() {
    if (restingTargetMs_ < 0) {
        return;
    }
    const gint64 shown = shownPictureTime(videoSink_);
    const qint64 target = restingTargetMs_;
    if (shown > streamTime(target) + kHalfFrameNs && leadMs_ < kMaxLeadMs) {
        leadMs_ *= 2;
        seekTo(target, -1, GST_STATE_VOID_PENDING, GST_STATE_VOID_PENDING);
        return;
    }
    restingTargetMs_ = -1;
}

void GstPlayer::showPictures() {
    if (videoSink_ == nullptr || !output_) {
        return;
    }
    setPictureSize(pictureSize_);
    output_->showIn(videoSink_, window_);
}

void GstPlayer::setVideoWindow(quintptr window) {
    window_ = window;
    if (videoSink_ != nullptr && output_) {
        output_->showIn(videoSink_, window);
        exposeLastPicture(videoSink_);
    }
}

void GstPlayer::setPictureSize(QSize size) {
    if (size != pictureSize_) {
        sizeShown_ = false;
    }
    pictureSize_ = size;
    if (videoSink_ == nullptr) {
        return;
    }
    gst::setPictureSize(videoSink_, size);
    // The sink reads the window's new size, and draws the old picture until the next one.
    exposeLastPicture(videoSink_);
}

void GstPlayer::setSmoothScaling(bool smooth) {
    if (videoSink_ != nullptr) {
        gst::setSmoothScaling(videoSink_, smooth);
    }
}

void GstPlayer::redrawPicture() {
    if (videoSink_ != nullptr) {
        exposeLastPicture(videoSink_);
    }
}

// Where the movie is, where it stops and whether it has reached the end stay as they were.
void GstPlayer::showNewSizeWhilePaused() {
    if (sizeShown_ || !hasMovie() || settling_ || streamError_ != Error::None) {
        return;
    }
    sizeShown_ = true;
    if (GST_STATE_TARGET(pipeline_.get()) != GST_STATE_PAUSED) {
        return;
    }
    const gint64 shown = shownPictureTime(videoSink_);
    if (shown < originNs_) {
        return;
    }
    const qint64 position = lastPositionMs_;
    const bool atEnd = atEnd_;
    seekTo(toMs(shown - originNs_), rangeStopMs_, GST_STATE_VOID_PENDING, GST_STATE_VOID_PENDING);
    lastPositionMs_ = position;
    atEnd_ = atEnd;
}

void GstPlayer::handleMessage(GstMessage* message) {
    if (!pipeline_) {
        return;
    }
    switch (GST_MESSAGE_TYPE(message)) {
        case GST_MESSAGE_ERROR: {
            GError* error = nullptr;
            gst_message_parse_error(message, &error, nullptr);
            streamError_ = errorFor(error);
            g_error_free(error);
            settling_ = false;
            break;
        }
        case GST_MESSAGE_EOS:
            // The end of the range: rest there, neither rewound nor unloaded.
            setState(GST_STATE_PAUSED);
            atEnd_ = true;
            break;
        default:
            break;
    }
}

}  // namespace cinevan::mci::gst
