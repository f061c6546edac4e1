#include "pictures/DibSampler.h"

#include <array>
#include <bit>
#include <vector>

#include "pictures/ByteReader.h"
#include "pictures/LoadLimits.h"

namespace cinevan::pictures {

namespace {

constexpr std::uint32_t kCoreHeaderSize = 12;
enum Compression : std::uint32_t { kRgb = 0, kRle8 = 1, kRle4 = 2, kBitFields = 3 };

// One colour channel of a bit-field pixel.
struct Channel {
    std::uint32_t mask = 0;
    int shift = 0;
    std::uint32_t max = 0;

    explicit Channel(std::uint32_t m = 0) : mask(m) {
        if (mask != 0) {
            shift = std::countr_zero(mask);
            max = mask >> shift;
        }
    }
    int value(std::uint32_t pixel) const {
        return max == 0 ? 0 : int(std::uint64_t((pixel & mask) >> shift) * 255 / max);
    }
};

struct Header {
    std::uint32_t size = 0;
    int width = 0;
    int rows = 0;
    bool topDown = false;
    int bitCount = 0;
    std::uint32_t compression = kRgb;
    std::int64_t tableBytes = 0;
    std::vector<QRgb> palette;
    std::array<Channel, 4> channels;  // red, green, blue, alpha

    std::int64_t stride() const { return (std::int64_t(width) * bitCount + 31) / 32 * 4; }
    bool rle() const { return compression == kRle8 || compression == kRle4; }
    bool hasAlpha() const { return channels[3].mask != 0; }
};

bool validDepth(int bitCount, std::uint32_t compression) {
    switch (compression) {
        case kRgb:
            return bitCount == 1 || bitCount == 4 || bitCount == 8 || bitCount == 16 ||
                   bitCount == 24 || bitCount == 32;
        case kRle8:
            return bitCount == 8;
        case kRle4:
            return bitCount == 4;
        case kBitFields:
            return bitCount == 16 || bitCount == 32;
        default:
            return false;
    }
}

void readMasks(const ByteReader& in, std::int64_t at, Header& h, bool withAlpha) {
    for (int c = 0; c < (withAlpha ? 4 : 3); ++c) {
        h.channels[std::size_t(c)] = Channel(in.u32(at + 4 * c));
    }
}

void defaultMasks(Header& h) {
    if (h.bitCount == 16) {
        h.channels = {Channel(0x7c00), Channel(0x03e0), Channel(0x001f), Channel()};
    } else {
        h.channels = {Channel(0xff0000), Channel(0x00ff00), Channel(0x0000ff), Channel()};
    }
}

void readPalette(const ByteReader& in, std::int64_t at, std::int64_t colors, int entry, Header& h) {
    h.palette.assign(std::size_t(1) << h.bitCount, qRgb(0, 0, 0));
    for (std::int64_t i = 0; i < colors && i < std::int64_t(h.palette.size()); ++i) {
        const std::int64_t p = at + i * entry;
        h.palette[std::size_t(i)] = qRgb(in.u8(p + 2), in.u8(p + 1), in.u8(p));
    }
}

std::optional<Header> readHeader(QByteArrayView info) {
    const ByteReader in(info, QStringLiteral("Bitmap image is not valid"));
    if (!in.has(0, 4)) {
        return std::nullopt;
    }
    Header h;
    h.size = in.u32(0);
    const bool known = h.size == kCoreHeaderSize || h.size == 40 || h.size == 52 || h.size == 56 ||
                       h.size == 64 || h.size == 108 || h.size == 124;
    if (!known || !in.has(0, h.size)) {
        return std::nullopt;
    }
    std::int64_t height = 0;
    std::uint32_t colorsUsed = 0;
    if (h.size == kCoreHeaderSize) {
        h.width = in.u16(4);
        height = in.u16(6);
        h.bitCount = in.u16(10);
    } else {
        h.width = in.i32(4);
        height = in.i32(8);
        h.bitCount = in.u16(14);
        h.compression = in.u32(16);
        colorsUsed = in.u32(32);
    }
    h.topDown = height < 0;
    const std::int64_t rows = height < 0 ? -height : height;
    if (!isSaneSize(h.width, rows) || !validDepth(h.bitCount, h.compression) ||
        (h.bitCount <= 8 && colorsUsed > (1u << h.bitCount)) || (h.rle() && h.topDown)) {
        return std::nullopt;
    }
    h.rows = int(rows);
    const bool fieldsAfterHeader = h.size == 40 && h.compression == kBitFields;
    if (h.compression == kBitFields) {
        if (fieldsAfterHeader && !in.has(40, 12)) {
            return std::nullopt;
        }
        readMasks(in, 40, h, h.size >= 56);
    } else if (h.bitCount > 8) {
        defaultMasks(h);
    }
    const std::int64_t tableAt = h.size + (fieldsAfterHeader ? 12 : 0);
    const int entry = h.size == kCoreHeaderSize ? 3 : 4;
    const std::int64_t colors =
        h.bitCount <= 8 && colorsUsed == 0 ? 1LL << h.bitCount : std::int64_t(colorsUsed);
    h.tableBytes = tableAt - h.size + colors * entry;
    if (h.bitCount <= 8) {
        if (!in.has(tableAt, colors * entry)) {
            return std::nullopt;
        }
        readPalette(in, tableAt, colors, entry, h);
    }
    return h;
}

// Which sampled column or row, if any, each bitmap column or row lands on (nearest sampling).
struct Axis {
    std::vector<int> target;  // per bitmap coordinate: sampled index or -1
    std::vector<int> first;   // per bitmap coordinate: first sampled index at or after it

    Axis(int length, int from, int span, int samples)
        : target(std::size_t(length), -1), first(std::size_t(length) + 1, samples) {
        for (int i = samples - 1; i >= 0; --i) {
            const int at = from + int((2 * std::int64_t(i) + 1) * span / (2 * samples));
            target[std::size_t(at)] = i;
            first[std::size_t(at)] = i;
        }
        for (int c = length - 1; c >= 0; --c) {
            first[std::size_t(c)] = std::min(first[std::size_t(c)], first[std::size_t(c) + 1]);
        }
    }
    int sourceOf(int index, int from, int span, int samples) const {
        return from + int((2 * std::int64_t(index) + 1) * span / (2 * samples));
    }
};

class Sampler {
public:
    Sampler(const Header& h, const QRect& source, QSize size)
        : h_(h),
          source_(source),
          image_(size, h.hasAlpha() ? QImage::Format_ARGB32 : QImage::Format_RGB32),
          columns_(h.width, source.left(), source.width(), size.width()),
          rows_(h.rows, source.top(), source.height(), size.height()) {
        image_.fill(h.palette.empty() ? qRgb(0, 0, 0) : h.palette[0]);
    }

    bool sampleRows(QByteArrayView bits) {
        const std::int64_t stride = h_.stride();
        if (stride * h_.rows > bits.size()) {
            return false;
        }
        for (int y = 0; y < image_.height(); ++y) {
            const int row = rows_.sourceOf(y, source_.top(), source_.height(), image_.height());
            const int stored = h_.topDown ? row : h_.rows - 1 - row;
            const auto* line = reinterpret_cast<const uchar*>(bits.data()) + stride * stored;
            auto* out = reinterpret_cast<QRgb*>(image_.scanLine(y));
            for (int x = 0; x < image_.width(); ++x) {
                const int column =
                    columns_.sourceOf(x, source_.left(), source_.width(), image_.width());
                out[x] = pixelAt(line, column);
            }
        }
        return true;
    }

    // Walks the RLE stream once; runs only touch the sampled pixels they cover.
    bool sampleRle(QByteArrayView bits) {
        const ByteReader in(bits, QString());
        const bool four = h_.compression == kRle4;
        std::int64_t at = 0;
        int x = 0;
        int row = 0;  // counted from the bottom
        while (in.has(at, 2) && row < h_.rows) {
            const int count = in.u8(at);
            const int value = in.u8(at + 1);
            at += 2;
            if (count > 0) {
                fillRun(row, x, count, value, four);
                x += count;
            } else if (value == 0) {
                x = 0;
                ++row;
            } else if (value == 1) {
                return true;
            } else if (value == 2) {
                if (!in.has(at, 2)) {
                    return false;
                }
                x += in.u8(at);
                row += in.u8(at + 1);
                at += 2;
            } else {
                const std::int64_t bytes = four ? (value + 1) / 2 : value;
                if (!in.has(at, bytes)) {
                    return false;
                }
                literal(row, x, value, bits.sliced(at, bytes), four);
                x += value;
                at += (bytes + 1) / 2 * 2;
            }
        }
        return row >= h_.rows;
    }

    const QImage& image() const { return image_; }

private:
    QRgb* sampledLine(int bottomRow) {
        const int y = rows_.target[std::size_t(h_.rows - 1 - bottomRow)];
        return y < 0 ? nullptr : reinterpret_cast<QRgb*>(image_.scanLine(y));
    }

    QRgb color(int index) const {
        return index < int(h_.palette.size()) ? h_.palette[std::size_t(index)] : qRgb(0, 0, 0);
    }

    void fillRun(int row, int x, int count, int value, bool four) {
        QRgb* line = sampledLine(row);
        if (line == nullptr || x >= h_.width) {
            return;
        }
        const int end = std::min(h_.width, x + count);
        for (int i = columns_.first[std::size_t(x)]; i < image_.width(); ++i) {
            const int c = columns_.sourceOf(i, source_.left(), source_.width(), image_.width());
            if (c >= end) {
                break;
            }
            // RLE4 runs alternate the two nibbles of the value.
            line[i] = color(four ? ((c - x) % 2 == 0 ? value >> 4 : value & 15) : value);
        }
    }

    void literal(int row, int x, int count, QByteArrayView bytes, bool four) {
        QRgb* line = sampledLine(row);
        if (line == nullptr) {
            return;
        }
        for (int k = 0; k < count && x + k < h_.width; ++k) {
            const int i = columns_.target[std::size_t(x + k)];
            if (i >= 0) {
                const int byte = uchar(bytes[four ? k / 2 : k]);
                line[i] = color(four ? (k % 2 == 0 ? byte >> 4 : byte & 15) : byte);
            }
        }
    }

    QRgb pixelAt(const uchar* line, int x) const {
        switch (h_.bitCount) {
            case 1:
                return color((line[x / 8] >> (7 - x % 8)) & 1);
            case 4:
                return color(x % 2 == 0 ? line[x / 2] >> 4 : line[x / 2] & 15);
            case 8:
                return color(line[x]);
            case 16:
                return fields(std::uint32_t(line[2 * x]) | std::uint32_t(line[2 * x + 1]) << 8);
            case 24:
                return qRgb(line[3 * x + 2], line[3 * x + 1], line[3 * x]);
            default: {
                const uchar* p = line + 4 * std::int64_t(x);
                return fields(std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 |
                              std::uint32_t(p[2]) << 16 | std::uint32_t(p[3]) << 24);
            }
        }
    }

    QRgb fields(std::uint32_t pixel) const {
        const auto& c = h_.channels;
        return qRgba(c[0].value(pixel), c[1].value(pixel), c[2].value(pixel),
                     h_.hasAlpha() ? c[3].value(pixel) : 255);
    }

    const Header& h_;
    QRect source_;
    QImage image_;
    Axis columns_;
    Axis rows_;
};

}  // namespace

std::optional<Dib> splitPackedDib(QByteArrayView packed) {
    const auto header = readHeader(packed);
    if (!header) {
        return std::nullopt;
    }
    const std::int64_t tableEnd = header->size + header->tableBytes;
    if (tableEnd > packed.size()) {
        return std::nullopt;
    }
    return Dib{packed.first(tableEnd), packed.sliced(tableEnd)};
}

QSize dibSize(QByteArrayView info) {
    const auto header = readHeader(info);
    return header ? QSize(header->width, header->rows) : QSize();
}

QImage sampleDib(const Dib& dib, const QRect& source, QSize size) {
    const auto header = readHeader(dib.info);
    if (!header || source.isEmpty() || size.isEmpty() ||
        !QRect(0, 0, header->width, header->rows).contains(source) ||
        size.width() > source.width() || size.height() > source.height()) {
        return QImage();
    }
    Sampler sampler(*header, source, size);
    const bool complete =
        header->rle() ? sampler.sampleRle(dib.bits) : sampler.sampleRows(dib.bits);
    return complete ? sampler.image() : QImage();
}

QImage dibCorner(const Dib& dib, int maxSide) {
    const QSize size = dibSize(dib.info).boundedTo(QSize(maxSide, maxSide));
    return size.isEmpty() ? QImage() : sampleDib(dib, QRect(QPoint(0, 0), size), size);
}

}  // namespace cinevan::pictures
