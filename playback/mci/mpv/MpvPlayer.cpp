#include "playback/mci/mpv/MpvPlayer.h"

#include <mpv/client.h>

#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

#include "platform/BackgroundCall.h"
#include "playback/mci/ReadableFile.h"
#include "playback/mci/mpv/MpvOptions.h"
#include "playback/mci/mpv/MpvVideoCdStream.h"
#include "playback/mci/vcd/VideoCdTrack.h"

namespace cinevan::mci {

namespace {

// Longest wait for the first picture after the file is known to be loaded.
constexpr int kFirstFrameWaitMs = 1500;
// How far before a seek target the demuxer starts, so that the exact seek can decode up to
// the target; MPEG program streams have no index and the demuxer overshoots otherwise.
constexpr const char* kSeekPrerollSec = "1";

QString seconds(quint32 ms) {
    return QString::number(ms / 1000.0, 'f', 3);
}

// What the engine loads for `path`: a Video CD track on a disc is read from its raw sectors
// through our own protocol; anything else is read as a file, when it can be.
MciError mediaName(const QString& path, QByteArray& name) {
    if (VideoCdTrack::open(path)) {
        name = VideoCdTrack::uriFor(path);
        return Error::None;
    }
    const MciError error = checkReadableFile(path);
    if (error == Error::None) {
        name = QFile::encodeName(QFileInfo(path).absoluteFilePath());
    }
    return error;
}

MciError endFileError(const mpv_event_end_file& end) {
    switch (end.error) {
        case MPV_ERROR_UNKNOWN_FORMAT:
        case MPV_ERROR_NOTHING_TO_PLAY:
        case MPV_ERROR_LOADING_FAILED:
            return Error::InvalidFile;
        default:
            // A playlist or a stream that ended before its first picture: not a movie either.
            return end.reason == MPV_END_FILE_REASON_ERROR ? Error::Driver : Error::InvalidFile;
    }
}

// Milliseconds of a time the engine reports in seconds, held within the device layer's 32-bit
// times; a time that is not a positive number reads as 0.
quint32 toMilliseconds(double seconds) {
    if (!(seconds > 0.0)) {
        return 0;
    }
    const double limit = std::numeric_limits<quint32>::max();
    return quint32(std::llround(std::min(seconds * 1000.0, limit)));
}

}  // namespace

MpvPlayer::MpvPlayer(Media media) : media_(media) {
    loadTimer_.setSingleShot(true);
    loadTimer_.setTimerType(Qt::PreciseTimer);
    connect(&loadTimer_, &QTimer::timeout, this, &MpvPlayer::loadTimedOut);
}

MpvPlayer::~MpvPlayer() {
    if (handle_) {
        mpv_set_wakeup_callback(handle_.get(), nullptr, nullptr);
        if (loading_) {
            // Gone before its file was read: the source may be stuck, so nobody waits for it.
            handle_.abandon();
        }
    }
}

void MpvPlayer::beginOpen(const QString& path, QDeadlineTimer deadline, OpenDone done) {
    if (const MciError error = startEngine()) {
        done(error);
        return;
    }
    if (path.isEmpty()) {
        done(Error::None);
        return;
    }
    loading_ = Loading{std::move(done), deadline};
    // Telling a disc track from a file reads the disc, which may stall.
    callInBackground(
        this, deadline,
        [path] {
            QByteArray name;
            const MciError error = mediaName(path, name);
            return std::make_pair(error, name);
        },
        [this](std::optional<std::pair<MciError, QByteArray>> named) {
            if (!named) {
                finishOpen(Error::DeviceNotReady);
            } else if (named->first) {
                finishOpen(named->first);
            } else {
                loadFile(named->second);
            }
        });
}

void MpvPlayer::loadFile(const QByteArray& file) {
    mpv_set_wakeup_callback(handle_.get(), &MpvPlayer::wakeup, this);
    if (command({"loadfile", file.constData()}) < 0) {
        finishOpen(Error::Driver);
        return;
    }
    loadTimer_.start(std::max<qint64>(loading_->deadline.remainingTime(), 0));
    drainEvents();
}

void MpvPlayer::handleLoadEvent(const mpv_event& event) {
    switch (event.event_id) {
        case MPV_EVENT_FILE_LOADED:
            loading_->fileLoaded = true;
            loadTimer_.start(
                std::clamp<qint64>(loading_->deadline.remainingTime(), 0, kFirstFrameWaitMs));
            break;
        case MPV_EVENT_PLAYBACK_RESTART:
            if (loading_->fileLoaded) {
                completeLoad();
            }
            break;
        case MPV_EVENT_END_FILE:
            finishOpen(endFileError(*static_cast<const mpv_event_end_file*>(event.data)));
            break;
        default:
            handleEvent(event);
            break;
    }
}

void MpvPlayer::loadTimedOut() {
    // Loaded but slow to show its first picture: usable. Never loaded: a stalled source.
    if (loading_->fileLoaded) {
        completeLoad();
    } else {
        finishOpen(Error::DeviceNotReady);
    }
}

void MpvPlayer::completeLoad() {
    if (const MciError error = checkLoadedMedia()) {
        command({"stop"});
        finishOpen(error);
        return;
    }
    loaded_ = true;
    mpv_get_property(handle_.get(), "duration", MPV_FORMAT_DOUBLE, &durationSec_);
    finishOpen(Error::None);
}

void MpvPlayer::finishOpen(MciError error) {
    loadTimer_.stop();
    if (error == Error::DeviceNotReady && handle_) {
        // The engine is stuck reading the file; it must not hold up closing the device.
        mpv_set_wakeup_callback(handle_.get(), nullptr, nullptr);
        handle_.abandon();
    }
    const OpenDone done = std::move(loading_->done);
    loading_.reset();
    done(error);
}

MciError MpvPlayer::startEngine() {
    if (!handle_) {
        return Error::CannotLoadDriver;
    }
    const bool video = media_ == Media::Video;
    const std::pair<const char*, const char*> settings[] = {
        {"config", "no"},
        {"terminal", "no"},
        {"idle", "yes"},
        {"pause", "yes"},
        {"keep-open", "yes"},
        {"input-default-bindings", "no"},
        {"input-vo-keyboard", "no"},
        // The video window belongs to the program: the mouse, the cursor, the screen saver and
        // what is drawn over the picture are its business, not the engine's.
        {"input-cursor", "no"},
        {"cursor-autohide", "no"},
        {"stop-screensaver", "no"},
        {"osd-level", "0"},
        {"osd-bar", "no"},
        {"osc", "no"},
        {"ytdl", "no"},
        {"load-scripts", "no"},
        {"load-stats-overlay", "no"},
        {"load-osd-console", "no"},
        {"load-auto-profiles", "no"},
        {"sub-auto", "no"},
        {"audio-file-auto", "no"},
        {"cover-art-auto", "no"},
        {"audio-display", "no"},
        {"audio-fallback-to-null", "yes"},
        {"hr-seek-demuxer-offset", kSeekPrerollSec},
        {"gpu-hwdec-interop", "no"},
        {"vo", "null"},
        // Named rather than probed: probing refuses software OpenGL (as on a machine without a
        // graphics card) and then tries consoles and Vulkan before giving up.
        {"gpu-context", "x11egl"},
        {"vid", video ? "auto" : "no"},
        // The picture fills the rectangle it is given, whatever the movie's aspect.
        {"keepaspect", "no"},
    };
    for (const auto& [name, value] : settings) {
        // Options a libmpv build does not know are left at its default.
        handle_.setOption(name, QString::fromLatin1(value));
    }
    const MpvOptions options = MpvOptions::current();
    optionsGeneration_ = MpvOptions::generation();
    handle_.setOption("hwdec", options.hwdecValue());
    if (!options.effectiveAudioOutput().isEmpty()) {
        handle_.setOption("ao", options.effectiveAudioOutput());
    }
    if (handle_.initialize() < 0) {
        return Error::CannotLoadDriver;
    }
    addVideoCdProtocol(handle_.get());
    mpv_observe_property(handle_.get(), 0, "time-pos", MPV_FORMAT_DOUBLE);
    mpv_observe_property(handle_.get(), 0, "duration", MPV_FORMAT_DOUBLE);
    mpv_observe_property(handle_.get(), 0, "eof-reached", MPV_FORMAT_FLAG);
    return Error::None;
}

MciError MpvPlayer::checkLoadedMedia() const {
    mpv_handle* h = handle_.get();
    const QByteArray track =
        media_ == Media::Video ? "current-tracks/video/id" : "current-tracks/audio/id";
    int64_t id = 0;
    if (mpv_get_property(h, track.constData(), MPV_FORMAT_INT64, &id) < 0) {
        return Error::InvalidFile;
    }
    if (media_ == Media::Video) {
        // A stream that cannot be timed as at least two frames holds no playable movie (a
        // damaged or cut-off first picture is all the engine found).
        int64_t frames = 0;
        if (mpv_get_property(h, "estimated-frame-count", MPV_FORMAT_INT64, &frames) >= 0 &&
            frames < 2) {
            return Error::InvalidFile;
        }
    }
    return Error::None;
}

MciError MpvPlayer::sourceSize(QSize& size) const {
    if (media_ != Media::Video) {
        return Error::UnsupportedFunction;
    }
    if (!loaded_) {
        return Error::DeviceNotReady;
    }
    int64_t width = 0;
    int64_t height = 0;
    mpv_handle* h = handle_.get();
    if (mpv_get_property(h, "width", MPV_FORMAT_INT64, &width) < 0 ||
        mpv_get_property(h, "height", MPV_FORMAT_INT64, &height) < 0) {
        // Before the decoder has started, the container's numbers are all there is.
        if (mpv_get_property(h, "current-tracks/video/demux-w", MPV_FORMAT_INT64, &width) < 0 ||
            mpv_get_property(h, "current-tracks/video/demux-h", MPV_FORMAT_INT64, &height) < 0) {
            return Error::Hardware;
        }
    }
    size = QSize(int(width), int(height));
    return Error::None;
}

quint32 MpvPlayer::lengthMs() const {
    return toMilliseconds(durationSec_);
}

quint32 MpvPlayer::positionMs() const {
    if (restingMs_) {
        return *restingMs_;
    }
    if (atEnd_) {
        return endOfRangeMs();
    }
    return toMilliseconds(positionSec_);
}

quint32 MpvPlayer::endOfRangeMs() const {
    return endMs_ != 0 ? qMin(endMs_, lengthMs()) : lengthMs();
}

MciError MpvPlayer::playRange(quint32 fromMs, quint32 toMs) {
    if (!loaded_) {
        return Error::DeviceNotReady;
    }
    if (toMs < fromMs) {
        return Error::OutOfRange;
    }
    applyOptionsIfChanged();
    // An end reached by the previous range must not be taken for the end of this one.
    drainEvents();
    atEnd_ = false;
    restingMs_.reset();
    endMs_ = toMs;
    setProperty("end", seconds(toMs));
    if (seekExactly(fromMs / 1000.0)) {
        return Error::Driver;
    }
    positionSec_ = fromMs / 1000.0;
    return setProperty("pause", "no") < 0 ? Error::Driver : Error::None;
}

MciError MpvPlayer::pause() {
    if (!loaded_) {
        return Error::DeviceNotReady;
    }
    if (setProperty("pause", "yes") < 0) {
        return Error::Driver;
    }
    if (media_ == Media::SoundOnly) {
        // Without video the engine's clock goes on settling by the output's buffer after a
        // pause; the device holds the position it had when told to pause.
        restingMs_ = positionMs();
    }
    return Error::None;
}

MciError MpvPlayer::resume() {
    if (!loaded_) {
        return Error::DeviceNotReady;
    }
    applyOptionsIfChanged();
    restingMs_.reset();
    return setProperty("pause", "no") < 0 ? Error::Driver : Error::None;
}

MciError MpvPlayer::seek(quint32 toMs) {
    if (!loaded_) {
        return Error::DeviceNotReady;
    }
    setProperty("pause", "yes");
    drainEvents();
    atEnd_ = false;
    if (endMs_ != 0 && toMs >= endMs_) {
        // The old range would end playback at once when resting beyond its end.
        endMs_ = 0;
        setProperty("end", "none");
    }
    if (seekExactly(toMs / 1000.0)) {
        return Error::Driver;
    }
    positionSec_ = toMs / 1000.0;
    restingMs_ = qMin(toMs, lengthMs());
    return Error::None;
}

MciError MpvPlayer::seekExactly(double targetSec) {
    const QByteArray target = QByteArray::number(targetSec, 'f', 3);
    if (command({"seek", target.constData(), "absolute+exact"}) < 0) {
        return Error::Driver;
    }
    seekTargetSec_ = targetSec;
    return Error::None;
}

QString MpvPlayer::engineVersion() const {
    const unsigned long api = mpv_client_api_version();
    QString version = QStringLiteral("mpv");
    if (handle_) {
        if (char* text = mpv_get_property_string(handle_.get(), "mpv-version")) {
            version = QString::fromUtf8(text);
            mpv_free(text);
        }
    }
    return QStringLiteral("%1 (libmpv client API %2.%3)")
        .arg(version)
        .arg(api >> 16)
        .arg(api & 0xFFFF);
}

void MpvPlayer::setVideoWindow(quint64 window) {
    if (!handle_ || media_ != Media::Video) {
        return;
    }
    // The engine reads the window when it starts its video output: stop that output, then
    // start it again on the new window. Stopping it may switch the video track off.
    const QByteArray track = videoTrack();
    setProperty("vo", "null");
    if (window != 0) {
        auto id = static_cast<int64_t>(window);
        mpv_set_property(handle_.get(), "wid", MPV_FORMAT_INT64, &id);
        setProperty("vo", "gpu");
    }
    restoreVideoTrack(track);
    seekAgainAfterOutputChange();
}

void MpvPlayer::seekAgainAfterOutputChange() {
    // A new video output makes the engine read the video stream again from just before the
    // current picture. On a short file already read to its end, that read was seen to never
    // deliver a picture: the engine then waited for good, "seeking" at the start, with no
    // video output configured. A fresh exact seek to the pending target, or to where playback
    // is, starts the stream afresh instead.
    if (!loaded_ || atEnd_) {
        return;
    }
    double targetSec = positionSec_;
    if (seekTargetSec_) {
        targetSec = *seekTargetSec_;
    } else {
        mpv_get_property(handle_.get(), "time-pos", MPV_FORMAT_DOUBLE, &targetSec);
    }
    seekExactly(std::max(targetSec, 0.0));
}

QByteArray MpvPlayer::videoTrack() const {
    QByteArray track;
    if (handle_) {
        if (char* text = mpv_get_property_string(handle_.get(), "vid")) {
            track = text;
            mpv_free(text);
        }
    }
    return track;
}

void MpvPlayer::restoreVideoTrack(const QByteArray& track) {
    // Freeing a render context switches video off; put back the track that was playing.
    if (handle_ && !track.isEmpty() && videoTrack() != track) {
        setProperty("vid", QString::fromLatin1(track));
    }
}

void MpvPlayer::applyOptionsIfChanged() {
    if (optionsGeneration_ != MpvOptions::generation()) {
        applyOptions();
    }
}

void MpvPlayer::applyOptions() {
    const MpvOptions options = MpvOptions::current();
    optionsGeneration_ = MpvOptions::generation();
    setProperty("hwdec", options.hwdecValue());
    const QString audio = options.effectiveAudioOutput();
    setProperty("ao", audio.isEmpty() ? QStringLiteral("") : audio);
}

void MpvPlayer::wakeup(void* self) {
    // Runs on an engine thread: only hand the work to the owning thread.
    auto* player = static_cast<MpvPlayer*>(self);
    if (!player->wakeupPending_.exchange(true)) {
        QMetaObject::invokeMethod(player, &MpvPlayer::drainEvents, Qt::QueuedConnection);
    }
}

void MpvPlayer::drainEvents() {
    wakeupPending_ = false;
    while (handle_) {
        const mpv_event* event = mpv_wait_event(handle_.get(), 0);
        if (event->event_id == MPV_EVENT_NONE) {
            break;
        }
        if (loading_) {
            handleLoadEvent(*event);
        } else {
            handleEvent(*event);
        }
    }
}

void MpvPlayer::handleEvent(const mpv_event& event) {
    if (event.event_id == MPV_EVENT_END_FILE) {
        loaded_ = false;
        return;
    }
    if (event.event_id == MPV_EVENT_PLAYBACK_RESTART) {
        seekTargetSec_.reset();
        return;
    }
    if (event.event_id != MPV_EVENT_PROPERTY_CHANGE) {
        return;
    }
    const auto* change = static_cast<const mpv_event_property*>(event.data);
    if (change->format == MPV_FORMAT_FLAG && change->data &&
        qstrcmp(change->name, "eof-reached") == 0) {
        atEnd_ = *static_cast<const int*>(change->data) != 0;
        return;
    }
    if (change->format != MPV_FORMAT_DOUBLE || !change->data) {
        return;
    }
    const double value = *static_cast<const double*>(change->data);
    if (qstrcmp(change->name, "time-pos") == 0) {
        positionSec_ = value;
    } else if (qstrcmp(change->name, "duration") == 0) {
        durationSec_ = value;
    }
}

int MpvPlayer::command(std::initializer_list<const char*> args) {
    if (!handle_) {
        return MPV_ERROR_UNINITIALIZED;
    }
    std::vector<const char*> argv(args);
    argv.push_back(nullptr);
    return mpv_command(handle_.get(), argv.data());
}

int MpvPlayer::setProperty(const char* name, const QString& value) {
    if (!handle_) {
        return MPV_ERROR_UNINITIALIZED;
    }
    return mpv_set_property_string(handle_.get(), name, value.toUtf8().constData());
}

}  // namespace cinevan::mci
