#pragma once

#include <QByteArray>
#include <QByteArrayList>
#include <vector>

#include "movielist/NameGathering.h"

namespace cinevan {

class MovieListListener;

// The movie list: one comma-text line per entry (fields 0 file name, 1 title, 2 cover,
// 3 selection start, 4 selection stop) and the index of the current entry, -1 exactly when
// the list is empty. Fields are parsed from the line on every read.
//
// Calls made to the listener (if one is set), in this order:
//   SetMovieField  - nothing when the value is unchanged; otherwise PausePlayback() when the
//                    entry is the current one, then the line is written, then
//                    RefreshDisplay() and RefreshList(true) unless AddMovies is running.
//   AddMovies      - PausePlayback() as above for each rewritten current entry; then
//                    LoadCoverPreview() if the list was empty and is not any more; finally
//                    RefreshDisplay() and RefreshList(true), also when an error escapes.
//   SaveMovies, the read operations and the plain index operations - nothing.
class MovieList {
public:
    static constexpr int kFileName = 0;
    static constexpr int kTitle = 1;
    static constexpr int kCover = 2;
    static constexpr int kStart = 3;
    static constexpr int kStop = 4;
    // Field numbers are one byte wide.
    static constexpr int kMaxField = 255;

    MovieList() = default;
    explicit MovieList(MovieListListener* listener) : FListener(listener) {}

    void SetListener(MovieListListener* listener) { FListener = listener; }

    int MovieCount() const { return static_cast<int>(FMovies.size()); }
    const QByteArrayList& Lines() const { return FMovies; }

    int Current() const { return FCurrent; }
    // Makes `index` current, clamped into the list (-1 for an empty list).
    void SetCurrent(int index);

    // Field `field` of entry `index`; empty outside the list or beyond the line's fields. An
    // empty title reads as the default title made from the file name.
    QByteArray GetMovieField(int index, int field) const;

    // Writes one field, adding empty fields before it as needed. Nothing happens when the value
    // equals what GetMovieField() gives, or when an empty title is stored over a missing one.
    // Throws EListError when `index` lies outside the list and the value is not empty.
    void SetMovieField(int index, int field, const QByteArray& value);

    // Adds movie files, movie lists (".mls", read line by line, not nested) and folders (the
    // movie files in them, see moviefolder::moviesIn) and makes the file and cover names of
    // every entry absolute. Names given here are file-system names (only '/' separates) and
    // resolve against the current folder; relative names inside a list resolve against the
    // list's own folder, where a backslash separates folders too. With `setFolder` the folder
    // of the first name becomes the process's current folder afterwards.
    // Each name's file-system work is given up once it stalls (see NameGatherer), so this
    // returns in bounded time, but not quickly on a share that stopped answering: the windows
    // add names through MovieAdder instead.
    void AddMovies(const QByteArrayList& names, bool setFolder);

    // Appends entries gathered for names (see NameGatherer), makes their file and cover names
    // absolute and refreshes as AddMovies does.
    void AppendGathered(const GatheredNames& gathered);

    // Writes every line followed by CR LF. Throws EFCreateError; the list is never changed.
    void SaveMovies(const QByteArray& fileName) const;

    // Plain index operations: they keep the current index valid but neither play, pause nor
    // refresh anything.

    // Empties the list; the current index becomes -1.
    void Clear();
    // Removes entry `index`; false if it lies outside the list. The current index stays on the
    // same entry, or moves to the entry that took the removed one's place (the new last entry
    // when the last one was removed).
    bool Delete(int index);
    // Whether Move(from, to) would change the list.
    bool WouldMove(int from, int to) const;
    // Places entry `from` before the entry at position `to` (counted before the move; the
    // count places it last). Returns the entry's new index, -1 for lists of fewer than two
    // entries. The current index follows its entry.
    int Move(int from, int to);
    // Appends a copy of entry `index`; returns the copy's index or -1.
    int Copy(int index);

private:
    struct MovePlan {
        int from;
        int to;
    };
    MovePlan PlanMove(int from, int to) const;
    // The field as stored, without the default title.
    QByteArray StoredField(int index, int field) const;

    // Resolves the names of the entries from `first` on; `baseFolders` holds, for each of them,
    // the folder that its relative names are resolved against.
    void MakeNamesAbsolute(int first, const std::vector<QByteArray>& baseFolders);
    void FinishAdding();
    void RefreshWindows();

    QByteArrayList FMovies;
    int FCurrent = -1;
    bool FUpdating = false;
    MovieListListener* FListener = nullptr;
};

}  // namespace cinevan
