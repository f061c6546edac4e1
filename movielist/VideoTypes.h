#pragma once

#include <QByteArray>
#include <QStringList>

namespace cinevan::videotypes {

// Video files as the shared MIME database knows them, told apart by their names only (the
// files are not opened).

// True when the database calls the type of a file with this name video.
bool isVideoName(const QByteArray& name);

// The name patterns of every video type in the database ("*.mp4", "*.mkv", ...), sorted and
// without duplicates.
QStringList videoPatterns();

}  // namespace cinevan::videotypes
