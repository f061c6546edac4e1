#include "pictures/QtImageDecoders.h"

#include <QBuffer>
#include <QImageReader>

#include "pictures/LoadLimits.h"
#include "pictures/PictureError.h"

namespace cinevan::pictures {

namespace {

constexpr int kMaxIconImages = 256;

struct Candidate {
    QImage image;
    std::int64_t area = 0;
    int depth = 0;
};

}  // namespace

void limitQtImageAllocation() {
    QImageReader::setAllocationLimit(int(kMaxPixels * 4 / (1024 * 1024)));
}

QImage readWithQt(QByteArrayView data, const char* format, int imageIndex) {
    limitQtImageAllocation();
    QByteArray bytes = QByteArray::fromRawData(data.data(), data.size());
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, format);
    reader.setAutoTransform(false);
    if (imageIndex > 0 && !reader.jumpToImage(imageIndex)) {
        return QImage();
    }
    const QSize claimed = reader.size();
    if (claimed.isValid() && !isSaneSize(claimed)) {
        return QImage();
    }
    QImage image = reader.read();
    if (image.isNull() || !isSaneSize(image.size())) {
        return QImage();
    }
    // Detach from the caller's bytes, which the raw-data array only borrows.
    image.detach();
    return image;
}

QImage decodeGif(QByteArrayView data) {
    if (!data.startsWith("GIF87a") && !data.startsWith("GIF89a")) {
        throw PictureError(QStringLiteral("GIF image is not valid"));
    }
    QImage image = readWithQt(data, "gif");
    if (image.isNull()) {
        throw PictureError(QStringLiteral("GIF image is not valid"));
    }
    return image;
}

QImage decodeIcon(QByteArrayView data) {
    // ICONDIR: reserved 0, type 1 (icon), count.
    if (data.size() < 6 || data[0] != 0 || data[1] != 0 || data[2] != 1 || data[3] != 0) {
        throw PictureError(QStringLiteral("Icon image is not valid"));
    }
    const int count = std::min(kMaxIconImages, int(quint8(data[4])) | int(quint8(data[5])) << 8);
    Candidate best;
    for (int i = 0; i < count; ++i) {
        QImage image = readWithQt(data, "ico", i);
        if (image.isNull()) {
            continue;
        }
        const std::int64_t area = std::int64_t(image.width()) * image.height();
        const int depth = image.depth();
        if (area > best.area || (area == best.area && depth > best.depth)) {
            best = {std::move(image), area, depth};
        }
    }
    if (best.image.isNull()) {
        throw PictureError(QStringLiteral("Icon image is not valid"));
    }
    return best.image;
}

}  // namespace cinevan::pictures
