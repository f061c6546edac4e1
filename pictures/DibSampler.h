#pragma once

#include <QByteArrayView>
#include <QImage>
#include <QRect>
#include <optional>

namespace cinevan::pictures {

// A device-independent bitmap as metafile records carry it: the info header with its bit masks
// and colour table, and the pixel bits.
struct Dib {
    QByteArrayView info;
    QByteArrayView bits;
};

// Splits a packed bitmap (info header, table, bits in one block) into its parts; nothing when
// the info header is not valid.
std::optional<Dib> splitPackedDib(QByteArrayView packed);

// The bitmap's size from its info header; empty when the header is not valid.
QSize dibSize(QByteArrayView info);

// Decodes the part `source` of the bitmap (pixels, top row first, within the bitmap) sampled
// to `size` pixels (at most the size of source): only the sampled pixels are produced, so the
// work follows `size` and the length of the bits, never the size the header claims. Supports
// 1, 4, 8, 16, 24 and 32 bits, RLE4, RLE8 and bit fields. Pixels an RLE stream skips are
// colour 0. Returns a null image when the bitmap is not valid or its bits are cut short.
QImage sampleDib(const Dib& dib, const QRect& source, QSize size);

// The top-left corner of the bitmap, at most maxSide pixels on a side, at full resolution (a
// pattern brush's tile); a null image when the bitmap is not valid.
QImage dibCorner(const Dib& dib, int maxSide);

}  // namespace cinevan::pictures
