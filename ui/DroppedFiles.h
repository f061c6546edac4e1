#pragma once

#include <QByteArrayList>

class QMimeData;

namespace cinevan {

// The local files that dragged data carries, in their order, as byte names exactly as the file
// system spells them (the URI list is decoded byte by byte, so names that are not valid UTF-8
// arrive unchanged). Web links, files on other hosts and anything else that names no local file
// are left out: an empty result means the drop carries nothing to play.
QByteArrayList DroppedLocalFiles(const QMimeData& data);

}  // namespace cinevan
