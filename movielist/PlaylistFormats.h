#pragma once

#include <QByteArray>
#include <QByteArrayList>
#include <QString>
#include <functional>

namespace cinevan {

class MovieList;

// Playlists of other players read into movie entries, and the movie list written as an M3U8
// playlist. Selections travel as VLC's per-entry options "start-time" and "stop-time" (seconds),
// which VLC and players compatible with it honour.
namespace playlistformats {

// True for the extensions ".m3u", ".m3u8" and ".xspf" (in any case).
bool isPlaylist(const QByteArray& name);

// True for ".m3u8" (in any case): a movie list saved under such a name is written as M3U8.
bool isM3u8(const QByteArray& name);

// The entries of a playlist file as comma-text lines (file name, title, cover, start, stop).
// Names become absolute against the playlist's folder; only local files are taken. Anything
// that cannot be read yields no entries.
QByteArrayList read(const QByteArray& fileName);

// The entries of an M3U or M3U8 text; `folder` is the playlist's folder.
QByteArrayList parseM3u(const QByteArray& text, const QByteArray& folder);

// The entries of an XSPF text; `folder` is the playlist's folder.
QByteArrayList parseXspf(const QByteArray& text, const QByteArray& folder);

// A time in seconds as an entry's time text ("H:MM:SS", whole seconds); empty for a time that
// is negative, not a number or not within one day.
QByteArray timeText(double seconds);

// The milliseconds of an entry's start or stop text.
using TimeReader = std::function<qint32(const QByteArray& text)>;

// The list as M3U8 text: titles in "#EXTINF", selections in "#EXTVLCOPT" lines. A stop that
// is not later than the start means the movie's end and is not written.
QByteArray formatM3u8(const MovieList& list, const TimeReader& timeMs);

// Writes formatM3u8() to `fileName` as MovieList::SaveMovies writes a list: the old file stays
// until the new one is complete. Throws EFCreateError on failure.
void writeM3u8(const QByteArray& fileName, const MovieList& list, const TimeReader& timeMs);

}  // namespace playlistformats
}  // namespace cinevan
