#include "pictures/WebImageDecoders.h"

#include <QImageReader>

#include "pictures/PictureError.h"
#include "pictures/QtImageDecoders.h"

namespace cinevan::pictures {

namespace {

QImage readChecked(QByteArrayView data, bool signatureMatches, const char* format,
                   const char* invalid) {
    QImage image = signatureMatches ? readWithQt(data, format) : QImage();
    if (image.isNull()) {
        throw PictureError(QString::fromLatin1(invalid));
    }
    return image;
}

}  // namespace

QImage decodePng(QByteArrayView data) {
    return readChecked(data, data.startsWith("\x89PNG\r\n\x1a\n"), "png", "PNG image is not valid");
}

bool qtReadsWebp() {
    // Asking loads every image plug-in; their set does not change while the program runs.
    static const bool reads = QImageReader::supportedImageFormats().contains("webp");
    return reads;
}

QImage decodeWebp(QByteArrayView data) {
    const bool riffWebp =
        data.size() >= 12 && data.startsWith("RIFF") && data.sliced(8, 4) == QByteArrayView("WEBP");
    return readChecked(data, riffWebp && qtReadsWebp(), "webp", "WebP image is not valid");
}

}  // namespace cinevan::pictures
