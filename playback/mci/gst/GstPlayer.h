#pragma once

#include <gst/gst.h>

#include <QDeadlineTimer>
#include <QObject>
#include <QSize>
#include <QString>
#include <functional>
#include <memory>
#include <optional>

#include "platform/SerialWorker.h"
#include "playback/mci/MciTypes.h"
#include "playback/mci/gst/GstHandles.h"

namespace cinevan::mci::gst {

class GstBusWatch;
class GstOpening;
class GstSegmentClipper;
class GstVideoOutput;

// One GStreamer playbin on one movie file, with the commands the "MPEGVideo" device needs:
// open a file paused at its start, play a range and rest at its end, pause, resume and seeks
// that rest on the picture of their target.
//
// Times given to and reported by the player count from the movie's first picture, which in
// an MPEG program stream carries a time stamp of about half a second; the player keeps that
// origin and translates. Pictures go through the video output (GstVideoOutput.h) into the
// native window a widget hands over.
//
// Threading: bus messages are handled on the GUI thread, which never waits on the source.
// The open runs on a thread of its own. Every command that may wait on the streaming threads
// (a seek, a change to playing or paused, the stop) runs on the player's command thread in
// the order given; the GUI thread answers from what it knows (a seek's target until it has
// settled). A command that has not finished after a bounded time means the source has stopped
// answering: the movie then reports Error::DeviceNotReady.
class GstPlayer {
public:
    GstPlayer();
    ~GstPlayer();
    GstPlayer(const GstPlayer&) = delete;
    GstPlayer& operator=(const GstPlayer&) = delete;

    using OpenDone = std::function<void(MciError)>;

    // Starts opening `element` paused at its start; an empty element opens the player without
    // a movie. `done` gets the result (see MediaDevice::beginOpen), by `deadline` also when
    // the source stalls (Error::DeviceNotReady). An opening still under way when the player
    // goes is left to stop its pipeline by itself.
    void beginOpen(const QString& element, QDeadlineTimer deadline, OpenDone done);
    bool isOpen() const { return opened_; }
    // Stops the pipeline on the command thread, after the commands under way, and lets it go;
    // waits a moment for that only when no command is under way. Movie commands fail
    // afterwards.
    void close();

    MciError sourceSize(QSize& size) const;
    MciError length(quint32& ms) const;
    MciError position(quint32& ms);

    MciError playRange(quint32 fromMs, quint32 toMs);
    MciError pause();
    MciError resume();
    MciError seek(quint32 toMs);

    // Where the pictures go: the native window the sink draws into (0: none) and the size they
    // are stretched to, both also for the movies opened later, and whether the stretch of this
    // movie is filtered.
    void setVideoWindow(quintptr window);
    void setPictureSize(QSize size);
    void setSmoothScaling(bool smooth);
    // A playing movie shows a new picture size with its next picture; a paused one has no next
    // picture, so this decodes the one it rests on again. Called once the caller's changes are
    // done: a movie paused only for the time of a move plays on without it.
    void showNewSizeWhilePaused();
    // Draws the picture the movie rests on again (the window was uncovered).
    void redrawPicture();

private:
    // Takes over the pipeline and the facts of a successful opening.
    void adopt(GstOpening& opening);
    void finishOpen(const std::shared_ptr<GstOpening>& opening, std::optional<MciError> result,
                    const OpenDone& done);
    bool hasMovie() const { return opened_ && pipeline_; }
    // Shared precondition of the commands that play or move the movie.
    MciError movieState() const;
    // How a command on the pipeline ended on the command thread.
    enum class Outcome { Done, Refused, Unsettled };
    using Command = std::function<Outcome(GstElement* pipeline)>;
    // Queues `command` behind those before it; `done` runs on the GUI thread once it has been
    // done. A command that does not finish in time turns the movie into a stuck source, one
    // the pipeline refuses into a failed one.
    void post(Command command, std::function<void()> done = {});
    void commandEnded(std::optional<Outcome> outcome, const std::function<void()>& done);
    MciError setState(GstState state);
    void drainBus();
    // Seeks the pipeline (first put into `before`, afterwards into `after`; VOID_PENDING
    // leaves it as it is) so that it plays from `fromMs` and stops at `stopMs` (-1: the end).
    void seekTo(qint64 fromMs, qint64 stopMs, GstState before, GstState after);
    void seekSettled(quint64 seek);
    void checkSeekLanded();
    void handleMessage(GstMessage* message);
    void showPictures();
    gint64 streamTime(qint64 ms) const { return originNs_ + fromMs(ms); }

    // Shared with the pipeline's threads, which may outlive the player (see BoundedCall.h).
    std::shared_ptr<GstSegmentClipper> clipper_;
    std::shared_ptr<GstVideoOutput> output_;  // null where pictures cannot be shown
    quintptr window_ = 0;
    QSize pictureSize_;
    bool sizeShown_ = true;  // the picture shown has the size asked for
    ElementPtr pipeline_;
    GstElement* videoSink_ = nullptr;  // owned by the pipeline
    std::unique_ptr<GstBusWatch> bus_;
    // Runs the pipeline's commands; declared after what its answers touch, so it goes first.
    SerialWorker commands_;
    // Receives the commands' answers; replaced when the movie is closed, so none comes later.
    std::unique_ptr<QObject> commandAnswers_ = std::make_unique<QObject>();
    int pendingCommands_ = 0;

    bool opened_ = false;
    bool opening_ = false;
    // Receives the answer of an opening under way; it goes first when the player does.
    std::unique_ptr<QObject> openAnswers_ = std::make_unique<QObject>();
    QSize source_;
    gint64 originNs_ = 0;
    qint64 lengthMs_ = 0;
    gint64 demuxerDurationNs_ = -1;  // the demuxer's own estimate, in stream time
    qint64 lastPositionMs_ = 0;
    // How far before a wanted time the demuxer is sent; grows if a seek landed late.
    qint64 leadMs_ = 1500;
    // A seek is under way: positions are those of its target until it has prerolled.
    bool settling_ = false;
    quint64 lastSeek_ = 0;         // number of the latest seek, whose end ends the settling
    qint64 restingTargetMs_ = -1;  // target of a seek that rests paused, to check its picture
    // Where the last play command stops (-1: the end of the movie), and whether the pipeline
    // has got there. At the end the sinks' clock can stand well short of the last picture
    // (some multiplexers put sound and pictures far apart), so the stop is reported instead.
    qint64 rangeStopMs_ = -1;
    bool atEnd_ = false;
    MciError streamError_ = 0;
};

}  // namespace cinevan::mci::gst
