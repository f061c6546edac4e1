#pragma once

#include <QByteArray>
#include <QDeadlineTimer>
#include <QObject>
#include <QSize>
#include <QString>
#include <QTimer>
#include <atomic>
#include <functional>
#include <optional>

#include "playback/mci/MciTypes.h"
#include "playback/mci/mpv/MpvHandle.h"

struct mpv_event;

namespace cinevan::mci {

// One libmpv player with the commands the media devices need: load a file paused at its
// start, play a range and rest at its end, pause, resume and exact seeks. Engine events are
// handled on the thread that owns this object (the GUI thread); position and length are
// answered from values the engine reported, so polling them never waits for the engine.
class MpvPlayer : public QObject {
    Q_OBJECT

public:
    enum class Media { Video, SoundOnly };

    explicit MpvPlayer(Media media);
    ~MpvPlayer() override;

    using OpenDone = std::function<void(MciError)>;

    // Starts the engine and, unless `path` is empty, starts loading that file paused at its
    // start; `done` gets the result (see MediaDevice::beginOpen), by `deadline` also when the
    // file cannot be read. An engine still stuck on the source then, or when the player is
    // destroyed before the load has ended, is abandoned to a thread of its own.
    void beginOpen(const QString& path, QDeadlineTimer deadline, OpenDone done);
    bool hasFile() const { return loaded_; }

    MciError sourceSize(QSize& size) const;
    quint32 lengthMs() const;
    quint32 positionMs() const;

    MciError playRange(quint32 fromMs, quint32 toMs);
    MciError pause();
    MciError resume();
    MciError seek(quint32 toMs);

    // Version text of the engine, e.g. "mpv 0.35.1 (libmpv client API 2.0)".
    QString engineVersion() const;

    // Video output: the engine's own, drawing into the native window `window` (an X11 window
    // id), or none when `window` is 0 (frames are decoded and timed but not shown). Switching
    // keeps the selected video track.
    void setVideoWindow(quint64 window);

private:
    QByteArray videoTrack() const;
    void restoreVideoTrack(const QByteArray& track);
    void seekAgainAfterOutputChange();
    MciError seekExactly(double targetSec);
    MciError startEngine();
    void loadFile(const QByteArray& file);
    void handleLoadEvent(const mpv_event& event);
    void loadTimedOut();
    void completeLoad();
    void finishOpen(MciError error);
    MciError checkLoadedMedia() const;
    void applyOptions();
    void applyOptionsIfChanged();
    void drainEvents();
    quint32 endOfRangeMs() const;
    void handleEvent(const mpv_event& event);
    int command(std::initializer_list<const char*> args);
    int setProperty(const char* name, const QString& value);
    static void wakeup(void* self);

    MpvHandle handle_;
    const Media media_;
    bool loaded_ = false;
    double positionSec_ = 0.0;
    double durationSec_ = 0.0;
    quint32 endMs_ = 0;  // 0: plays to the end of the file
    // The engine reached the end of the range or of the file and rests there; its own
    // position then stays up to a frame short of the end, so the end is reported instead.
    bool atEnd_ = false;
    // Position while the player rests after a seek (its target) or, playing sound only, after
    // a pause: the engine's own sound clock can be off by the output's buffer then.
    std::optional<quint32> restingMs_;
    // Target of the last seek, until the engine has shown its first picture after it.
    std::optional<double> seekTargetSec_;
    quint64 optionsGeneration_ = 0;
    std::atomic<bool> wakeupPending_{false};

    // A load under way: its answer, and whether the engine has read the file yet. The timer
    // ends the wait for the file, then for its first picture.
    struct Loading {
        OpenDone done;
        QDeadlineTimer deadline;
        bool fileLoaded = false;
    };
    std::optional<Loading> loading_;
    QTimer loadTimer_;
};

}  // namespace cinevan::mci
