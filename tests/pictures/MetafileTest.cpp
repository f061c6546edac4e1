#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>
#include <initializer_list>

#include "pictures/Picture.h"
#include "pictures/PictureError.h"
#include "pictures/PictureFormats.h"
#include "tests/pictures/PictureFixtures.h"

namespace cinevan {
namespace {

using pictures::decodeByExtension;

void append16(QByteArray& out, int value) {
    out.append(char(value & 0xff));
    out.append(char((value >> 8) & 0xff));
}

void append32(QByteArray& out, std::int64_t value) {
    append16(out, int(value & 0xffff));
    append16(out, int((value >> 16) & 0xffff));
}

// A 2 by 1 24-bit device-independent bitmap: red then lime.
QByteArray twoPixelDib() {
    QByteArray dib;
    for (int v : {40, 2, 1}) {
        append32(dib, v);
    }
    append16(dib, 1);
    append16(dib, 24);
    for (int i = 0; i < 6; ++i) {
        append32(dib, 0);
    }
    dib.append(QByteArray("\x00\x00\xff\x00\xff\x00\x00\x00", 8));  // BGR BGR + padding
    return dib;
}

// Builds a placeable Windows metafile from records given as parameter words.
class WmfBuilder {
public:
    void record(int function, std::initializer_list<int> words, const QByteArray& extra = {}) {
        const int size = 3 + int(words.size()) + int(extra.size() + 1) / 2;
        append32(records_, size);
        append16(records_, function);
        for (int w : words) {
            append16(records_, w);
        }
        QByteArray padded = extra;
        if (padded.size() % 2) {
            padded.append('\0');
        }
        records_.append(padded);
    }

    QByteArray file(int left, int top, int right, int bottom, int inch, int objects) const {
        QByteArray out;
        append32(out, 0x9AC6CDD7);
        append16(out, 0);
        for (int v : {left, top, right, bottom, inch}) {
            append16(out, v);
        }
        append32(out, 0);
        append16(out, 0);  // checksum, not checked
        append16(out, 1);
        append16(out, 9);
        append16(out, 0x300);
        append32(out, 9 + records_.size() / 2 + 3);
        append16(out, objects);
        append32(out, 0);
        append16(out, 0);
        out.append(records_);
        append32(out, 3);
        append16(out, 0);
        return out;
    }

private:
    QByteArray records_;
};

// Left half red, right half a blue ellipse, a black line across the bottom, a 2x1 bitmap
// stretched into the top-right corner, and a text.
QByteArray sampleWmf() {
    WmfBuilder wmf;
    wmf.record(0x020B, {0, 0});                  // SetWindowOrg
    wmf.record(0x020C, {500, 1000});             // SetWindowExt 1000 x 500
    wmf.record(0x02FC, {0, 0x00ff, 0x0000, 0});  // brush: solid red
    wmf.record(0x02FA, {5, 0, 0, 0, 0});         // pen: null
    wmf.record(0x012D, {0});
    wmf.record(0x012D, {1});
    wmf.record(0x041B, {400, 500, 0, 0});        // Rectangle(0, 0, 500, 400)
    wmf.record(0x01F0, {0});                     // delete the red brush
    wmf.record(0x02FC, {0, 0x0000, 0x00ff, 0});  // brush: solid blue, takes slot 0
    wmf.record(0x012D, {0});
    wmf.record(0x0418, {400, 1000, 0, 500});  // Ellipse(500, 0, 1000, 400)
    wmf.record(0x02FA, {0, 40, 0, 0, 0});     // pen: black, 40 units
    wmf.record(0x012D, {2});
    wmf.record(0x0214, {470, 0});     // MoveTo(0, 470)
    wmf.record(0x0213, {470, 1000});  // LineTo(1000, 470)
    // StretchDIBits(rop SRCCOPY, 800..1000 x 0..100 <- the 2x1 bitmap)
    wmf.record(0x0F43, {0x0020, 0x00CC, 0, 1, 2, 0, 0, 100, 200, 0, 800}, twoPixelDib());
    wmf.record(0x0209, {0x0000, 0x0000});                          // text colour black
    wmf.record(0x0521, {5, 0x6548, 0x6c6c, 0x006f, 420, 20}, {});  // TextOut "Hello"
    return wmf.file(0, 0, 1000, 500, 1000, 3);
}

TEST(Wmf, SizeComesFromThePlaceableHeader) {
    const auto graphic = decodeByExtension("wmf", sampleWmf());
    EXPECT_EQ(graphic->kind(), Graphic::Kind::Metafile);
    EXPECT_EQ(graphic->size(), QSize(96, 48));
    EXPECT_TRUE(graphic->transparent());
}

TEST(Wmf, DrawsShapesPensBrushesAndBitmaps) {
    const auto graphic = decodeByExtension("wmf", sampleWmf());
    const QImage image =
        test::renderStretched(*graphic, QSize(200, 100));  // twice the natural size
    EXPECT_TRUE(test::nearColor(image.pixel(40, 40), qRgb(255, 0, 0)));
    EXPECT_TRUE(test::nearColor(image.pixel(150, 45), qRgb(0, 0, 255)));
    EXPECT_TRUE(test::nearColor(image.pixel(103, 3), qRgb(255, 255, 255)));  // outside the ellipse
    EXPECT_TRUE(test::nearColor(image.pixel(100, 94), qRgb(0, 0, 0)));       // the thick line
    EXPECT_TRUE(test::nearColor(image.pixel(165, 5), qRgb(255, 0, 0), 40));  // bitmap, left pixel
    EXPECT_TRUE(test::nearColor(image.pixel(195, 5), qRgb(0, 255, 0), 40));  // bitmap, right pixel
}

TEST(Wmf, TextIsDrawnNearItsReference) {
    WmfBuilder wmf;
    wmf.record(0x020C, {100, 200});
    QByteArray font;
    for (int v : {-40, 0, 0, 0, 700}) {
        append16(font, v);
    }
    font.append(QByteArray(8, '\0'));
    font.append("DejaVu Sans");
    font.append('\0');
    wmf.record(0x02FB, {}, font);
    wmf.record(0x012D, {0});
    wmf.record(0x0102, {1});                              // transparent background
    wmf.record(0x0521, {4, 0x4d4d, 0x4d4d, 30, 10}, {});  // "MMMM" at (10, 30), top aligned
    const auto graphic = decodeByExtension("wmf", wmf.file(0, 0, 200, 100, 96, 1));
    const QImage image = test::renderStretched(*graphic, QSize(200, 100));
    int dark = 0, strayDark = 0;
    for (int y = 0; y < 100; ++y) {
        for (int x = 0; x < 200; ++x) {
            const bool isDark = qGray(image.pixel(x, y)) < 100;
            const bool inTextBox = x >= 8 && y >= 28 && y < 80;
            if (isDark) {
                ++(inTextBox ? dark : strayDark);
            }
        }
    }
    EXPECT_GT(dark, 200);
    EXPECT_EQ(strayDark, 0);
}

TEST(Wmf, DamagedRecordsRaise) {
    const QByteArray good = sampleWmf();
    EXPECT_THROW(decodeByExtension("wmf", good.first(good.size() - 30)), PictureError);
    QByteArray badSize = good;
    badSize[22 + 18] = char(0xff);  // first record claims more words than the file has
    badSize[22 + 19] = char(0xff);
    EXPECT_THROW(decodeByExtension("wmf", badSize), PictureError);
    WmfBuilder shortPolygon;
    shortPolygon.record(0x0324, {1000, 0, 0});  // 1000 points announced, one given
    EXPECT_THROW(decodeByExtension("wmf", shortPolygon.file(0, 0, 10, 10, 96, 0)), PictureError);
    try {
        decodeByExtension("wmf", good.first(30));
        FAIL();
    } catch (const PictureError& error) {
        EXPECT_EQ(error.message(), "Metafile is not valid");
    }
}

TEST(Wmf, AbsurdBoundsRaise) {
    WmfBuilder wmf;
    EXPECT_THROW(decodeByExtension("wmf", wmf.file(-32000, -32000, 32000, 32000, 1, 0)),
                 PictureError);
    EXPECT_THROW(decodeByExtension("wmf", wmf.file(0, 0, 100, 100, 0, 0)), PictureError);
}

// Builds an enhanced metafile: header (frame in hundredths of a millimetre, reference device
// 960 x 480 pixels on 254 x 127 mm, so 96 dpi) and records.
class EmfBuilder {
public:
    void record(int type, std::initializer_list<std::int64_t> values,
                const QByteArray& extra = {}) {
        QByteArray body;
        for (std::int64_t v : values) {
            append32(body, v);
        }
        body.append(extra);
        while (body.size() % 4) {
            body.append('\0');
        }
        append32(records_, type);
        append32(records_, 8 + body.size());
        records_.append(body);
        ++count_;
    }

    QByteArray file(int frameRight, int frameBottom) const {
        QByteArray header;
        for (std::int64_t v : {0, 0, 959, 479, 0, 0, frameRight, frameBottom}) {
            append32(header, v);
        }
        append32(header, 0x464D4520);
        append32(header, 0x10000);
        append32(header, 0);  // total size, patched below
        append32(header, count_ + 2);
        append16(header, 8);
        append16(header, 0);
        for (std::int64_t v : {0, 0, 0, 960, 480, 254, 127}) {
            append32(header, v);
        }
        QByteArray out;
        append32(out, 1);
        append32(out, 8 + header.size());
        out.append(header);
        out.append(records_);
        for (std::int64_t v : {14, 20, 0, 16, 20}) {
            append32(out, v);
        }
        return out;
    }

private:
    QByteArray records_;
    int count_ = 0;
};

QByteArray sampleEmf() {
    EmfBuilder emf;
    emf.record(17, {8});                  // SetMapMode anisotropic
    emf.record(9, {100, 50});             // SetWindowExtEx 100 x 50
    emf.record(11, {960, 480});           // SetViewportExtEx: the whole reference device
    emf.record(39, {1, 0, 0x0000ff, 0});  // brush 1: solid red
    emf.record(38, {2, 5, 0, 0, 0});      // pen 2: null
    emf.record(37, {1});
    emf.record(37, {2});
    emf.record(43, {0, 0, 50, 50});       // Rectangle: left half
    emf.record(37, {0x80000000 | 4});     // stock black brush
    emf.record(86, {0, 0, 0, 0, 3}, [] {  // Polygon16: triangle in the right half
        QByteArray points;
        for (int v : {50, 0, 100, 0, 100, 50}) {
            append16(points, v);
        }
        return points;
    }());
    emf.record(35, {0x3f800000, 0, 0, 0x3f800000, 0, 0});  // SetWorldTransform: identity
    return emf.file(25400, 12700);  // 254 x 127 mm: 960 x 480 pixels at 96 dpi
}

TEST(Emf, SizeComesFromTheFrame) {
    const auto graphic = decodeByExtension("emf", sampleEmf());
    EXPECT_EQ(graphic->size(), QSize(960, 480));
}

TEST(Emf, DrawsMappedShapes) {
    const auto graphic = decodeByExtension("emf", sampleEmf());
    const QImage image = test::renderStretched(*graphic, QSize(200, 100));
    EXPECT_TRUE(test::nearColor(image.pixel(50, 50), qRgb(255, 0, 0)));
    EXPECT_TRUE(test::nearColor(image.pixel(190, 10), qRgb(0, 0, 0)));        // inside the triangle
    EXPECT_TRUE(test::nearColor(image.pixel(110, 90), qRgb(255, 255, 255)));  // below it
}

TEST(Emf, PathsAreFilled) {
    EmfBuilder emf;
    emf.record(39, {1, 0, 0xff0000, 0});  // blue brush
    emf.record(37, {1});
    emf.record(37, {0x80000000 | 8});  // null pen
    emf.record(59, {});                // BeginPath
    emf.record(27, {100, 100});        // MoveToEx
    emf.record(54, {800, 100});        // LineTo
    emf.record(54, {800, 400});
    emf.record(61, {});            // CloseFigure
    emf.record(60, {});            // EndPath
    emf.record(62, {0, 0, 0, 0});  // FillPath
    const auto graphic = decodeByExtension("emf", emf.file(25400, 12700));
    const QImage image = test::renderStretched(*graphic, QSize(960, 480));
    EXPECT_TRUE(test::nearColor(image.pixel(700, 150), qRgb(0, 0, 255)));
    EXPECT_TRUE(test::nearColor(image.pixel(150, 350), qRgb(255, 255, 255)));
}

TEST(Emf, DamagedOrAbsurdFilesRaise) {
    const QByteArray good = sampleEmf();
    EXPECT_THROW(decodeByExtension("emf", good.first(good.size() - 10)), PictureError);
    EXPECT_THROW(decodeByExtension("emf", good.first(60)), PictureError);
    EmfBuilder empty;
    EXPECT_THROW(decodeByExtension("emf", empty.file(100000 * 2540 / 96, 100000 * 2540 / 96)),
                 PictureError);
    EXPECT_THROW(decodeByExtension("emf", empty.file(0, 0)), PictureError);
    EmfBuilder shortPolygon;
    shortPolygon.record(3, {0, 0, 0, 0, 100000000});
    EXPECT_THROW(decodeByExtension("emf", shortPolygon.file(2540, 2540)), PictureError);
}

TEST(Metafiles, LoadThroughTheHolderByExtension) {
    Picture picture;
    picture.loadFromFile(test::writeTempFile("drawing.WMF", sampleWmf()));
    EXPECT_EQ(picture.width(), 96);
    picture.loadFromFile(test::writeTempFile("drawing.emf", sampleEmf()));
    EXPECT_EQ(picture.width(), 960);
}

}  // namespace
}  // namespace cinevan
