#pragma once

#include <QDeadlineTimer>
#include <QRect>
#include <QSize>
#include <QString>
#include <functional>

#include "playback/mci/MciTypes.h"

class QWidget;

namespace cinevan::mci {

// Longest time opening a movie may take along the whole fallback over the device types before
// the source counts as stalled; the GUI thread does not wait for it. The limit is a few
// seconds, not less, because a busy machine or a disc that is still spinning up can take over
// a second to open a sound movie, and an open that runs out counts as a failed one. A build
// with the address sanitizer runs the engines several times slower and is given more.
#if defined(__SANITIZE_ADDRESS__)
constexpr int kOpenTimeLimitMs = 8000;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr int kOpenTimeLimitMs = 8000;
#else
constexpr int kOpenTimeLimitMs = 3000;
#endif
#else
constexpr int kOpenTimeLimitMs = 3000;
#endif

// One open device of some device type: the engine behind the device layer's commands.
// Lives on the GUI thread; any engine thread hands its events to the GUI thread and never
// touches a widget. Destroying the device is the close command: it releases every thread,
// file handle and engine instance it holds.
//
// Threading rule: every command returns to the GUI thread within a bounded time, and opening
// does not keep it waiting at all: it reports its end later (beginOpen). Work that may block
// on the source (opening it, stopping an engine that reads it) runs on a thread of its own
// (BoundedCall.h, BackgroundCall.h); when it does not finish in time the command answers with
// an error and leaves the engine instance to that thread, which releases it whenever it comes
// free.
//
// Times are milliseconds. Every command returns Error::None on success.
class MediaDevice {
public:
    virtual ~MediaDevice() = default;

    // Reports how an open ended: Error::None when the device is open.
    using OpenDone = std::function<void(MciError)>;

    // Starts opening the movie file `element` (empty when the type is opened without a file)
    // and returns at once. `done` then runs exactly once, on the GUI thread, by `deadline` also
    // for missing, damaged or stalled sources (an open that could not finish in time answers
    // Error::DeviceNotReady): either as the last thing beginOpen does, when the answer is known
    // at once, or later from the event loop. It never runs once the device is destroyed;
    // destroying a device whose open is under way abandons that open without waiting for the
    // source. Afterwards the device rests paused at position 0.
    virtual void beginOpen(const QString& element, QDeadlineTimer deadline, OpenDone done) = 0;

    // The same open, returning its result: runs the event loop until the answer comes.
    MciError openElement(const QString& element, QDeadlineTimer deadline);
    MciError openElement(const QString& element) {
        return openElement(element, QDeadlineTimer(kOpenTimeLimitMs));
    }

    // Source size of the video in pixels.
    virtual MciError whereSource(QSize& size) = 0;
    virtual MciError setTimeFormatMilliseconds() = 0;
    virtual MciError statusLength(quint32& ms) = 0;
    virtual MciError statusPosition(quint32& ms) = 0;

    // Plays from `fromMs` to `toMs` and returns at once; playback stops at `toMs` with the
    // position resting there (not rewound, not unloaded).
    virtual MciError play(quint32 fromMs, quint32 toMs) = 0;
    // Holds the position.
    virtual MciError pause() = 0;
    // Plays on from where it was paused up to the last `toMs`.
    virtual MciError resume() = 0;
    // Rests paused at `toMs`.
    virtual MciError seek(quint32 toMs) = 0;

    // Draws the video inside `host` (nullptr: nowhere) at the destination rectangle.
    virtual MciError window(QWidget* host) = 0;
    // Destination rectangle inside the host, in the host's coordinates; the picture is
    // stretched to fill it.
    virtual MciError putDestination(const QRect& rect) = 0;

    virtual MciError getDevCaps(DevCapsItem item, quint32& answer) = 0;
    // Description of the engine, naming its library and the version the library reports.
    virtual MciError infoProduct(QString& text) = 0;
    // Shows the device's own configuration dialog and returns when it is closed.
    virtual MciError configure(QWidget* parent) = 0;
};

// The answer to the capability query of a device that plays files, with or without video.
inline MciError fileDeviceCaps(DevCapsItem item, bool hasVideo, quint32& answer) {
    switch (item) {
        case DevCapsItem::HasVideo:
            answer = hasVideo ? 1 : 0;
            return Error::None;
        case DevCapsItem::UsesFiles:
            answer = 1;
            return Error::None;
    }
    return Error::UnsupportedFunction;
}

}  // namespace cinevan::mci
