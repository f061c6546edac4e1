#include "tests/pictures/HostilePictures.h"

#include <QBuffer>
#include <QImage>
#include <QImageWriter>
#include <cstdint>
#include <initializer_list>

namespace cinevan::test::hostile {

namespace {

constexpr int kHugeSide = 8192;

void put16(QByteArray& out, int value) {
    out.append(char(value & 0xff));
    out.append(char((value >> 8) & 0xff));
}

void put32(QByteArray& out, std::int64_t value) {
    put16(out, int(value & 0xffff));
    put16(out, int((value >> 16) & 0xffff));
}

QByteArray rleInfo(int width, int height) {
    QByteArray info;
    put32(info, 40);
    put32(info, width);
    put32(info, height);
    put16(info, 1);
    put16(info, 8);
    put32(info, 1);  // RLE8
    for (int i = 0; i < 5; ++i) {
        put32(info, 0);  // image size, resolution, all 256 colours used, important
    }
    put32(info, 0x000000ff);  // 0: blue (stored blue, green, red, 0)
    put32(info, 0x00ff0000);  // 1: red
    for (int i = 2; i < 256; ++i) {
        put32(info, 0x00808080);
    }
    return info;
}

QByteArray rleBits(int run) {
    QByteArray bits;
    bits.append(char(run));
    bits.append(char(1));
    bits.append(char(0));
    bits.append(char(1));  // end of bitmap
    return bits;
}

void wmfRecord(QByteArray& out, int function, std::initializer_list<int> words,
               const QByteArray& extra = {}) {
    put32(out, 3 + std::int64_t(words.size()) + (extra.size() + 1) / 2);
    put16(out, function);
    for (const int word : words) {
        put16(out, word);
    }
    out.append(extra);
    if (extra.size() % 2) {
        out.append('\0');
    }
}

QByteArray placeableWmf(int side, int objects, const QByteArray& records) {
    QByteArray out;
    put32(out, 0x9AC6CDD7);
    put16(out, 0);
    for (const int v : {0, 0, side, side, 96}) {
        put16(out, v);
    }
    put32(out, 0);
    put16(out, 0);
    put16(out, 1);
    put16(out, 9);
    put16(out, 0x300);
    put32(out, 9 + records.size() / 2 + 3);
    put16(out, objects);
    put32(out, 0);
    put16(out, 0);
    out.append(records);
    wmfRecord(out, 0, {});
    return out;
}

void emfRecord(QByteArray& out, std::uint32_t type, std::initializer_list<std::int64_t> values,
               const QByteArray& extra = {}) {
    QByteArray body;
    for (const std::int64_t v : values) {
        put32(body, v);
    }
    body.append(extra);
    while (body.size() % 4) {
        body.append('\0');
    }
    put32(out, type);
    put32(out, 8 + body.size());
    out.append(body);
}

// Header: the frame is side x side pixels at 96 dpi on a 96 dpi reference device.
QByteArray emfFile(int side, int records, const QByteArray& body) {
    const std::int64_t hundredthMm = std::int64_t(side) * 2540 / 96;
    QByteArray header;
    const std::int64_t last = side - 1;
    for (const std::int64_t v : {std::int64_t(0), std::int64_t(0), last, last, std::int64_t(0),
                                 std::int64_t(0), hundredthMm, hundredthMm}) {
        put32(header, v);
    }
    put32(header, 0x464D4520);
    put32(header, 0x10000);
    put32(header, 0);
    put32(header, records + 2);
    put16(header, 0);
    put16(header, 0);
    for (const std::int64_t v : {0, 0, 0, 960, 960, 254, 254}) {
        put32(header, v);
    }
    QByteArray out;
    put32(out, 1);
    put32(out, 8 + header.size());
    out.append(header);
    out.append(body);
    emfRecord(out, 14, {0, 16, 20});
    return out;
}

}  // namespace

QByteArray rleDib(int width, int height, int run) {
    return rleInfo(width, height) + rleBits(run);
}

QByteArray wmfWithHugeBitmaps(int records, int side) {
    QByteArray body;
    wmfRecord(body, 0x020B, {0, 0});        // SetWindowOrg
    wmfRecord(body, 0x020C, {side, side});  // SetWindowExt
    const QByteArray dib = rleDib(kHugeSide, kHugeSide);
    for (int i = 0; i < records; ++i) {
        // StretchDIB, SRCCOPY: the whole bitmap onto the whole picture.
        wmfRecord(body, 0x0F43, {0x0020, 0x00CC, 0, kHugeSide, kHugeSide, 0, 0, side, side, 0, 0},
                  dib);
    }
    return placeableWmf(side, 1, body);
}

QByteArray emfWithHugeBitmaps(int records, int side) {
    QByteArray body;
    const QByteArray info = rleInfo(kHugeSide, kHugeSide);
    const QByteArray bits = rleBits(255);
    for (int i = 0; i < records; ++i) {
        const std::int64_t bitsAt = 80 + info.size();
        // StretchDIBits, SRCCOPY: bounds, destination, source, bitmap, rop, destination size.
        emfRecord(body, 81,
                  {0, 0, side, side, 0, 0, 0, 0, kHugeSide, kHugeSide, 80, info.size(), bitsAt,
                   bits.size(), 0, 0x00CC0020, side, side},
                  info + bits);
    }
    return emfFile(side, records, body);
}

QByteArray icoWithSharedPng(int entries, QSize png) {
    QImage image(png, QImage::Format_Grayscale8);
    image.fill(0);
    QByteArray pngBytes;
    QBuffer buffer(&pngBytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "png");
    writer.write(image);
    QByteArray out;
    put16(out, 0);
    put16(out, 1);
    put16(out, entries);
    const std::int64_t dataAt = 6 + 16LL * entries;
    for (int i = 0; i < entries; ++i) {
        out.append(char(0));  // 256 wide
        out.append(char(0));  // 256 high
        out.append(char(0));
        out.append(char(0));
        put16(out, 1);
        put16(out, 32);
        put32(out, pngBytes.size());
        put32(out, dataAt);
    }
    return out + pngBytes;
}

QByteArray wmfWithManyCreates(int creates) {
    QByteArray body;
    for (int i = 0; i < creates; ++i) {
        wmfRecord(body, 0x00F7, {});  // CreatePalette, kept as a placeholder object
    }
    return placeableWmf(100, 65535, body);
}

QByteArray wmfWithOverdraw(int layers) {
    QByteArray body;
    wmfRecord(body, 0x020B, {0, 0});             // SetWindowOrg
    wmfRecord(body, 0x020C, {1000, 1000});       // SetWindowExt
    wmfRecord(body, 0x02FA, {5, 0, 0, 0, 0});    // null pen, slot 0
    wmfRecord(body, 0x012D, {0});                // select it
    wmfRecord(body, 0x02FC, {0, 0, 0x00ff, 0});  // solid blue brush, slot 1
    wmfRecord(body, 0x02FC, {0, 0x00ff, 0, 0});  // solid red brush, slot 2
    wmfRecord(body, 0x012D, {1});
    for (int i = 0; i < layers; ++i) {
        wmfRecord(body, 0x041B, {1000, 1000, 0, 0});  // Rectangle over the whole picture
    }
    wmfRecord(body, 0x012D, {2});
    wmfRecord(body, 0x041B, {1000, 1000, 0, 0});
    return placeableWmf(1000, 3, body);
}

}  // namespace cinevan::test::hostile
