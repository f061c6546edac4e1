#pragma once

#include <QRect>
#include <QSize>
#include <QString>

#include "playback/mci/MciTypes.h"

class QWidget;

namespace cinevan::mci {

// One open device of some device type: the engine behind the device layer's commands.
// Lives on the GUI thread; any engine thread hands its events to the GUI thread and never
// touches a widget. Destroying the device is the close command: it releases every thread,
// file handle and engine instance it holds.
//
// Times are milliseconds. Every command returns Error::None on success.
class MediaDevice {
public:
    virtual ~MediaDevice() = default;

    // Opens the movie file `element` (empty when the type is opened without a file). Returns
    // within a bounded time (a few seconds) also for missing, damaged or stalled sources;
    // afterwards the device rests paused at position 0.
    virtual MciError openElement(const QString& element) = 0;

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

}  // namespace cinevan::mci
