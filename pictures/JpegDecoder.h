#pragma once

#include <QByteArrayView>

namespace cinevan {
class RasterGraphic;
}

namespace cinevan::pictures {

// Decodes a JPEG file's bytes (baseline, progressive, grayscale, CMYK/YCCK) into the
// graphic's image, reporting progress through the graphic while it decodes.
// Raises PictureError("JPEG image is not valid") for damaged or truncated data and
// PictureError("JPEG image is too large") for sizes beyond the decoding limit.
void decodeJpeg(QByteArrayView data, RasterGraphic& target);

}  // namespace cinevan::pictures
