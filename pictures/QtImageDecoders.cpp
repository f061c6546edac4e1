#include "pictures/QtImageDecoders.h"

#include <QBuffer>
#include <QImageReader>

#include "pictures/ByteReader.h"
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

QString invalidGif() {
    return QStringLiteral("GIF image is not valid");
}

// Skips a chain of data sub-blocks (length byte, data) up to its zero terminator.
std::int64_t skipSubBlocks(const ByteReader& in, std::int64_t at) {
    for (;;) {
        const int length = in.u8(at);
        ++at;
        if (length == 0) {
            return at;
        }
        in.require(at, length);
        at += length;
    }
}

std::int64_t colorTableBytes(int flags) {
    return flags & 0x80 ? 3LL << ((flags & 7) + 1) : 0;
}

// Qt's reader returns whatever part of a cut file it could decode; this walks the blocks up
// to the end of the first image's data so that a cut file is rejected.
void checkGifFirstFrame(const ByteReader& in) {
    std::int64_t at = 13 + colorTableBytes(in.u8(10));
    for (;;) {
        const int introducer = in.u8(at);
        if (introducer == 0x21) {  // extension: label, then sub-blocks
            at = skipSubBlocks(in, at + 2);
        } else if (introducer == 0x2C) {  // image descriptor, local table, code size, data
            at += 10 + colorTableBytes(in.u8(at + 9));
            skipSubBlocks(in, at + 1);
            return;
        } else {
            in.fail();
        }
    }
}

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
        throw PictureError(invalidGif());
    }
    checkGifFirstFrame(ByteReader(data, invalidGif()));
    QImage image = readWithQt(data, "gif");
    if (image.isNull()) {
        throw PictureError(invalidGif());
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
            // A damaged or cut entry makes the whole file invalid.
            throw PictureError(QStringLiteral("Icon image is not valid"));
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
