#pragma once

#include <QByteArrayView>
#include <QImage>

namespace cinevan::pictures {

// PNG and WebP pictures through Qt's readers, behind a check of the file's signature.

// Decodes a PNG file, keeping its transparency. Raises PictureError("PNG image is not valid").
QImage decodePng(QByteArrayView data);

// True when Qt has a WebP reader (a plugin) on this system.
bool qtReadsWebp();

// Decodes the first frame of a WebP file, keeping its transparency.
// Raises PictureError("WebP image is not valid").
QImage decodeWebp(QByteArrayView data);

}  // namespace cinevan::pictures
