#pragma once

#include <QByteArray>
#include <QSize>

// Small picture files that ask for a lot of work: used by the tests that check the work stays
// bounded and by the cover benchmark.
namespace cinevan::test::hostile {

// A packed 8-bit RLE device-independent bitmap of width x height pixels with a full 256-entry
// colour table (about 1 KB): the bottom row starts with `run` pixels of colour 1 (red), then
// the stream ends, leaving every other pixel at colour 0 (blue).
QByteArray rleDib(int width, int height, int run = 255);

// A placeable Windows metafile of side x side pixels whose `records` StretchDIB records each
// stretch an 8192 x 8192 RLE bitmap over the whole picture.
QByteArray wmfWithHugeBitmaps(int records, int side = 1000);

// An enhanced metafile of side x side pixels whose `records` StretchDIBits records each
// stretch an 8192 x 8192 RLE bitmap over the whole picture.
QByteArray emfWithHugeBitmaps(int records, int side = 1000);

// An icon file whose `entries` directory entries all point at one PNG of png x png pixels.
QByteArray icoWithSharedPng(int entries, QSize png);

// A placeable Windows metafile with a 65 535-slot object table and `creates` palette-creating
// records that are never deleted.
QByteArray wmfWithManyCreates(int creates);

// A placeable Windows metafile of 1000 x 1000 pixels that fills its whole picture `layers`
// times with a blue brush, then once more with a red one.
QByteArray wmfWithOverdraw(int layers);

}  // namespace cinevan::test::hostile
