#include "pictures/BitmapDecoder.h"

#include "pictures/ByteReader.h"
#include "pictures/LoadLimits.h"
#include "pictures/QtImageDecoders.h"

namespace cinevan::pictures {

namespace {

constexpr int kFileHeaderSize = 14;
constexpr int kCoreHeaderSize = 12;
enum Compression { kRgb = 0, kRle8 = 1, kRle4 = 2, kBitFields = 3 };

QString invalidBitmap() {
    return QStringLiteral("Bitmap image is not valid");
}

struct DibInfo {
    std::uint32_t headerSize = 0;
    std::int64_t width = 0;
    std::int64_t height = 0;  // negative: rows stored top-down
    int bitCount = 0;
    std::uint32_t compression = kRgb;
    std::uint32_t colorsUsed = 0;

    std::int64_t rows() const { return height < 0 ? -height : height; }
    std::int64_t stride() const { return (width * bitCount + 31) / 32 * 4; }
    // Bytes between the info header and the pixels: bit masks and colour table.
    std::int64_t tableBytes() const {
        const int entrySize = headerSize == kCoreHeaderSize ? 3 : 4;
        std::int64_t masks = headerSize == 40 && compression == kBitFields ? 12 : 0;
        std::int64_t colors = colorsUsed;
        if (bitCount <= 8 && colors == 0) {
            colors = std::int64_t(1) << bitCount;
        }
        return masks + colors * entrySize;
    }
};

bool isKnownHeaderSize(std::uint32_t size) {
    return size == kCoreHeaderSize || size == 40 || size == 52 || size == 56 || size == 64 ||
           size == 108 || size == 124;
}

bool isValidDepth(const DibInfo& dib) {
    switch (dib.compression) {
        case kRgb:
            return dib.bitCount == 1 || dib.bitCount == 4 || dib.bitCount == 8 ||
                   dib.bitCount == 16 || dib.bitCount == 24 || dib.bitCount == 32;
        case kRle8:
            return dib.bitCount == 8;
        case kRle4:
            return dib.bitCount == 4;
        case kBitFields:
            return dib.bitCount == 16 || dib.bitCount == 32;
        default:
            return false;
    }
}

DibInfo readDibInfo(const ByteReader& in, std::int64_t at) {
    DibInfo dib;
    dib.headerSize = in.u32(at);
    if (!isKnownHeaderSize(dib.headerSize)) {
        in.fail();
    }
    in.require(at, dib.headerSize);
    if (dib.headerSize == kCoreHeaderSize) {
        dib.width = in.u16(at + 4);
        dib.height = in.u16(at + 6);
        dib.bitCount = in.u16(at + 10);
    } else {
        dib.width = in.i32(at + 4);
        dib.height = in.i32(at + 8);
        dib.bitCount = in.u16(at + 14);
        dib.compression = in.u32(at + 16);
        dib.colorsUsed = in.u32(at + 32);
    }
    const bool rle = dib.compression == kRle4 || dib.compression == kRle8;
    if (!isSaneSize(dib.width, dib.rows()) || !isValidDepth(dib) ||
        (dib.bitCount <= 8 && dib.colorsUsed > (1u << dib.bitCount)) || (rle && dib.height < 0)) {
        in.fail();
    }
    return dib;
}

// Walks an RLE stream without decoding it: it must end with an end-of-bitmap escape or run
// out exactly when all rows are complete.
void checkRleStream(const ByteReader& in, std::int64_t at, const DibInfo& dib) {
    std::int64_t row = 0;
    while (in.has(at, 2)) {
        const int count = in.u8(at), value = in.u8(at + 1);
        at += 2;
        if (count > 0) {
            continue;
        }
        if (value == 0) {
            ++row;
        } else if (value == 1) {
            return;
        } else if (value == 2) {
            row += in.u8(at + 1);
            at += 2;
        } else {
            const std::int64_t bytes = dib.compression == kRle8 ? value : (value + 1) / 2;
            at += (bytes + 1) / 2 * 2;
        }
    }
    if (row < dib.rows()) {
        in.fail();
    }
}

void checkPixelData(const ByteReader& in, std::int64_t pixelsAt, const DibInfo& dib) {
    if (dib.compression == kRle4 || dib.compression == kRle8) {
        in.require(pixelsAt, 2);
        checkRleStream(in, pixelsAt, dib);
    } else {
        in.require(pixelsAt, dib.stride() * dib.rows());
    }
}

QByteArray fileHeader(std::int64_t fileSize, std::int64_t pixelOffset) {
    QByteArray header("BM");
    for (std::uint32_t value : {std::uint32_t(fileSize), 0u, std::uint32_t(pixelOffset)}) {
        for (int shift = 0; shift < 32; shift += 8) {
            header.append(char((value >> shift) & 0xff));
        }
    }
    return header;
}

QImage decodeChecked(QByteArrayView file) {
    QImage image = readWithQt(file, "bmp");
    if (image.isNull()) {
        throw PictureError(invalidBitmap());
    }
    return image;
}

}  // namespace

QImage decodeBitmap(QByteArrayView data) {
    const ByteReader in(data, invalidBitmap());
    if (!data.startsWith("BM")) {
        const DibInfo dib = readDibInfo(in, 0);
        const std::int64_t tableEnd = dib.headerSize + dib.tableBytes();
        in.require(0, tableEnd);
        return decodeBitmap(
            bitmapFileFromDib(in.slice(0, tableEnd), in.slice(tableEnd, in.size() - tableEnd)));
    }
    const DibInfo dib = readDibInfo(in, kFileHeaderSize);
    const std::int64_t pixelsAt = in.u32(10);
    if (pixelsAt < kFileHeaderSize + dib.headerSize) {
        in.fail();
    }
    checkPixelData(in, pixelsAt, dib);
    return decodeChecked(data);
}

QByteArray bitmapFileFromDib(QByteArrayView info, QByteArrayView bits) {
    try {
        const ByteReader in(info, invalidBitmap());
        const DibInfo dib = readDibInfo(in, 0);
        const std::int64_t tableEnd = dib.headerSize + dib.tableBytes();
        in.require(0, tableEnd);
        const std::int64_t pixelsAt = kFileHeaderSize + tableEnd;
        QByteArray file = fileHeader(pixelsAt + bits.size(), pixelsAt);
        file.append(info.data(), tableEnd);
        file.append(bits.data(), bits.size());
        return file;
    } catch (const PictureError&) {
        return QByteArray();
    }
}

}  // namespace cinevan::pictures
