#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QImage>

namespace cinevan::pictures {

// Decodes a BMP file (1/4/8/16/24/32 bits, RLE4/RLE8, bit fields, bottom-up or top-down)
// after checking its headers and its data against the file size. A .dib file without the
// "BM" file header is accepted as a bare device-independent bitmap.
// Raises PictureError("Bitmap image is not valid").
QImage decodeBitmap(QByteArrayView data);

// A device-independent bitmap as metafiles carry it (info header, colour table, pixels)
// with a BMP file header put in front, or an empty array when the info header is not valid.
QByteArray bitmapFileFromDib(QByteArrayView info, QByteArrayView bits);

}  // namespace cinevan::pictures
