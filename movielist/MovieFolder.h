#pragma once

#include <QByteArray>
#include <QByteArrayList>
#include <functional>

namespace cinevan::moviefolder {

// A folder given to the player in place of files stands for the movies in it.

// True when `name`, resolved against the process's current folder, is a folder (also through
// a symbolic link).
bool isFolder(const QByteArray& name);

// The movie files of `folder` (".mpg", ".mpeg" and ".dat" in any case, and every name whose
// type the shared MIME database calls video, such as ".mp4" or ".mkv"; plain files, also
// through symbolic links, hidden ones left out) as full paths in natural name order, so that
// "clip2" comes before "clip10". A folder without such files that holds a Video CD's "mpegav"
// folder (in any case) gives that folder's tracks. Empty when nothing qualifies or the folder
// cannot be read. Names are bytes and are kept as the file system gives them.
// `step` is called for every name looked at, so that a caller waiting for a large folder can
// tell a slow listing from a stalled one.
using Step = std::function<void()>;
QByteArrayList moviesIn(
    const QByteArray& folder, const Step& step = [] {});

// Natural order of two names: runs of digits compare by their value, everything else byte by
// byte without regard to the case of A..Z.
bool naturalLess(const QByteArray& a, const QByteArray& b);

}  // namespace cinevan::moviefolder
