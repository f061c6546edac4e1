#pragma once

#include <QString>
#include <QStringList>
#include <memory>

#include "pictures/Graphic.h"

namespace cinevan::pictures {

// One picture format the holder can load, by file extension.
struct PictureFormat {
    QString description;     // e.g. "Bitmaps"
    QStringList extensions;  // without dots, lower case
};

// The known formats, in the order a file dialog lists them.
const QList<PictureFormat>& pictureFormats();

// True when a file with this extension (without its dot, any case) can be loaded.
bool isKnownExtension(const QString& extension);

// Decodes a file's bytes as the format its extension names. The graphic reports decoding
// progress to handler while it decodes. Raises PictureError for unknown extensions and
// for data the format's decoder rejects.
std::unique_ptr<Graphic> decodeByExtension(const QString& extension, QByteArrayView data,
                                           const ProgressHandler& handler = {});

}  // namespace cinevan::pictures
