#pragma once

#include <QString>
#include <QtGlobal>

#include "playback/TimeValues.h"

namespace cinevan {

// The part of a movie that an entry plays, from its start and stop texts and the movie's
// length. A stop that is not later than the start means the end of the movie.
struct Selection {
    qint32 startMs = 0;
    qint32 stopMs = 0;
    qint32 startSec = 0;  // whole seconds, halves to even; the track bar counts from here
    qint32 stopSec = 0;

    static Selection FromEntry(const QString& startText, const QString& stopText, quint32 lengthMs,
                               const TimeLocale& locale = TimeLocale::system()) {
        const double start = TextToTime(startText, 0, locale);
        double stop = TextToTime(stopText, 0, locale);
        if (stop <= start) {
            stop = SecondsToTime(lengthMs / 1000.0);
        }
        Selection s;
        s.startMs = TimeOfDayMs(start);
        s.startSec = RoundedSeconds(s.startMs);
        s.stopMs = TimeOfDayMs(stop);
        s.stopSec = RoundedSeconds(s.stopMs);
        return s;
    }

    // The track bar's range: whole seconds from the start.
    int TrackBarMaximum() const { return stopSec - startSec; }

    // The track bar's page size for a range of `maximum` seconds.
    static int PageSizeFor(int maximum) {
        if (maximum <= 60) {
            return 10;
        }
        if (maximum <= 3600) {
            return 60;
        }
        return maximum <= 36000 ? 600 : 6000;
    }
};

}  // namespace cinevan
