#include "pictures/QtImageDecoders.h"

#include <QBuffer>
#include <QImageReader>

#include "pictures/ByteReader.h"
#include "pictures/LoadLimits.h"
#include "pictures/PictureError.h"

namespace cinevan::pictures {

namespace {

constexpr int kMaxIconImages = 256;

// What the icon directory says about one image.
struct IconEntry {
    std::int64_t width = 0;
    std::int64_t height = 0;
    int depth = 0;

    // Sides beyond any decodable picture count as one past the largest, keeping the product
    // within 64 bits.
    std::int64_t area() const {
        const std::int64_t limit = kMaxSide + 1;
        return std::min(width, limit) * std::min(height, limit);
    }
};

// Directory entry `index`: width and height (0 for 256), colour count, planes, bit count, data
// size and offset. The data must lie within the file. Bitmap entries are decoded at the size
// the directory gives; a PNG entry at its own, which its header tells.
IconEntry iconEntry(const ByteReader& in, int index) {
    const std::int64_t at = 6 + 16LL * index;
    const std::int64_t bytes = in.u32(at + 8);
    const std::int64_t offset = in.u32(at + 12);
    in.require(offset, bytes);
    IconEntry entry{in.u8(at) == 0 ? 256 : in.u8(at), in.u8(at + 1) == 0 ? 256 : in.u8(at + 1),
                    in.u16(at + 6)};
    const ByteReader image = in.sub(offset, bytes);
    if (image.has(0, 26) && image.data().startsWith("\x89PNG\r\n\x1a\n")) {
        // IHDR: width, height (big-endian), bit depth, colour type.
        const auto big32 = [&image](std::int64_t p) {
            return std::int64_t(image.u8(p)) << 24 | image.u8(p + 1) << 16 | image.u8(p + 2) << 8 |
                   image.u8(p + 3);
        };
        static constexpr int kChannels[] = {1, 0, 3, 1, 2, 0, 4};
        const int type = image.u8(25);
        entry = {big32(16), big32(20), image.u8(24) * (type < 7 ? kChannels[type] : 0)};
    }
    return entry;
}

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

// The picture's pixels must be within reach of the first frame's compressed data: an LZW code
// has at least 3 bits and stands for at most 4096 pixels. A few header bytes could otherwise
// make the reader allocate and fill 64 megapixels.
void checkGifDataCoversPicture(const ByteReader& in, std::int64_t descriptor, std::int64_t data,
                               std::int64_t dataEnd) {
    constexpr std::int64_t kFreePixels = 1024 * 1024;
    constexpr std::int64_t kPixelsPerByte = 4096 * 8 / 3;
    const std::int64_t screen = std::int64_t(in.u16(6)) * in.u16(8);
    const std::int64_t frame = std::int64_t(in.u16(descriptor + 5)) * in.u16(descriptor + 7);
    const std::int64_t reach = std::max(kFreePixels, (dataEnd - data) * kPixelsPerByte);
    if (screen > reach || frame > reach) {
        in.fail();
    }
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
            const std::int64_t data = at + 10 + colorTableBytes(in.u8(at + 9)) + 1;
            checkGifDataCoversPicture(in, at, data, skipSubBlocks(in, data));
            return;
        } else {
            in.fail();
        }
    }
}

// A palette picture's pixels may name colours beyond its colour table; Qt's painter would read
// past the table's end for them. They are black, as in a table of the full size.
void giveEveryIndexAColour(QImage& image) {
    if (image.format() != QImage::Format_Indexed8 || image.colorCount() >= 256) {
        return;
    }
    QList<QRgb> table = image.colorTable();
    table.resize(256, qRgb(0, 0, 0));
    image.setColorTable(table);
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
    // The caller has checked the signature of `format`; guessing from the contents would load
    // and ask every image plug-in.
    reader.setAutoDetectImageFormat(false);
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
    giveEveryIndexAColour(image);
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
    const ByteReader in(data, QStringLiteral("Icon image is not valid"));
    // ICONDIR: reserved 0, type 1 (icon), count.
    if (!in.has(0, 6) || in.u16(0) != 0 || in.u16(2) != 1) {
        in.fail();
    }
    const int count = std::min<int>(kMaxIconImages, in.u16(4));
    // The directory (and a PNG entry's own header) tells each image's size, so only the chosen
    // one is decoded.
    int best = -1;
    IconEntry bestEntry;
    for (int i = 0; i < count; ++i) {
        const IconEntry entry = iconEntry(in, i);
        if (best < 0 || entry.area() > bestEntry.area() ||
            (entry.area() == bestEntry.area() && entry.depth > bestEntry.depth)) {
            best = i;
            bestEntry = entry;
        }
    }
    if (best < 0) {
        in.fail();
    }
    QImage image = readWithQt(data, "ico", best);
    if (image.isNull()) {
        in.fail();
    }
    return image;
}

}  // namespace cinevan::pictures
