#pragma once

#include <QByteArrayView>
#include <QImage>

namespace cinevan::pictures {

// Decodes the first frame of a GIF file, keeping its transparency.
// Raises PictureError("GIF image is not valid").
QImage decodeGif(QByteArrayView data);

// Decodes the largest image of an ICO file (the deepest one among equally large ones),
// keeping its transparency. Raises PictureError("Icon image is not valid").
QImage decodeIcon(QByteArrayView data);

// Reads one image through Qt's reader for format after checking the size its header
// claims; returns a null image when the reader fails. Shared by the decoders above.
QImage readWithQt(QByteArrayView data, const char* format, int imageIndex = 0);

// Tells Qt's readers the largest image they may allocate.
void limitQtImageAllocation();

}  // namespace cinevan::pictures
