#include <gtest/gtest.h>

#include <QFile>
#include <QImage>
#include <QPainter>
#include <QSignalSpy>

#include "pictures/Picture.h"
#include "pictures/PictureError.h"
#include "pictures/PictureFormats.h"
#include "pictures/RasterGraphic.h"
#include "pictures/WebImageDecoders.h"
#include "tests/pictures/PictureFixtures.h"

namespace cinevan {
namespace {

using test::nearColor;
using test::pictureFixture;
using test::renderNatural;

struct FormatCase {
    const char* file;
    QSize size;
    bool whiteSeeThrough;  // the white quadrant is transparent
    Graphic::Kind kind;
};

void PrintTo(const FormatCase& c, std::ostream* os) {
    *os << c.file;
}

class PictureFormats : public ::testing::TestWithParam<FormatCase> {};

TEST_P(PictureFormats, LoadsSizeAndQuadrantColours) {
    const FormatCase& c = GetParam();
    Picture picture;
    picture.loadFromFile(pictureFixture(c.file));
    ASSERT_NE(picture.graphic(), nullptr);
    EXPECT_EQ(picture.graphic()->kind(), c.kind);
    EXPECT_EQ(picture.graphic()->size(), c.size);
    EXPECT_EQ(picture.width(), c.size.width());
    EXPECT_FALSE(picture.graphic()->isEmpty());

    const QImage image = renderNatural(*picture.graphic());
    const int w = c.size.width(), h = c.size.height();
    const QRgb bottomRight = c.whiteSeeThrough ? qRgb(128, 128, 128) : qRgb(255, 255, 255);
    EXPECT_TRUE(nearColor(image.pixel(w / 4, h / 4), qRgb(255, 0, 0)))
        << std::hex << image.pixel(w / 4, h / 4);
    EXPECT_TRUE(nearColor(image.pixel(3 * w / 4, h / 4), qRgb(0, 255, 0)));
    EXPECT_TRUE(nearColor(image.pixel(w / 4, 3 * h / 4 - 2), qRgb(0, 0, 255)));
    EXPECT_TRUE(nearColor(image.pixel(3 * w / 4, 3 * h / 4 - 2), bottomRight));
    EXPECT_EQ(picture.graphic()->transparent(), c.whiteSeeThrough);
}

INSTANTIATE_TEST_SUITE_P(
    AllFormats, PictureFormats,
    ::testing::Values(FormatCase{"quad24.bmp", {64, 48}, false, Graphic::Kind::Bitmap},
                      FormatCase{"quad8.bmp", {64, 48}, false, Graphic::Kind::Bitmap},
                      FormatCase{"quad4.bmp", {64, 48}, false, Graphic::Kind::Bitmap},
                      FormatCase{"quadrle8.bmp", {64, 48}, false, Graphic::Kind::Bitmap},
                      FormatCase{"quados2.bmp", {64, 48}, false, Graphic::Kind::Bitmap},
                      FormatCase{"quad16.bmp", {64, 48}, false, Graphic::Kind::Bitmap},
                      FormatCase{"quad32.bmp", {64, 48}, false, Graphic::Kind::Bitmap},
                      FormatCase{"quad.jpg", {64, 48}, false, Graphic::Kind::Jpeg},
                      FormatCase{"quadprog.jpg", {64, 48}, false, Graphic::Kind::Jpeg},
                      FormatCase{"quadcmyk.jpg", {64, 48}, false, Graphic::Kind::Jpeg},
                      FormatCase{"quadtrans.gif", {64, 48}, true, Graphic::Kind::Gif},
                      FormatCase{"quad.ico", {48, 48}, true, Graphic::Kind::Icon}));

TEST(PictureFormatsExtra, GrayscaleJpegKeepsLuminance) {
    Picture picture;
    picture.loadFromFile(pictureFixture("quadgray.jpg"));
    const QImage image = renderNatural(*picture.graphic());
    // Red, lime, blue and white as ImageMagick's gray (Rec. 709 luma) stores them.
    EXPECT_NEAR(qGray(image.pixel(16, 12)), 54, 12);
    EXPECT_NEAR(qGray(image.pixel(48, 12)), 182, 12);
    EXPECT_NEAR(qGray(image.pixel(16, 34)), 18, 12);
    EXPECT_NEAR(qGray(image.pixel(48, 34)), 255, 12);
    EXPECT_EQ(qRed(image.pixel(48, 12)), qGreen(image.pixel(48, 12)));
}

TEST(PictureFormatsExtra, OneBitBitmap) {
    Picture picture;
    picture.loadFromFile(pictureFixture("mono1.bmp"));
    const QImage image = renderNatural(*picture.graphic());
    EXPECT_EQ(image.pixel(10, 10), qRgb(0, 0, 0));
    EXPECT_EQ(image.pixel(50, 10), qRgb(255, 255, 255));
}

TEST(PictureFormatsExtra, ExtensionIsMatchedWithoutRegardToCase) {
    const QByteArray bmp = test::readBytes(pictureFixture("quad24.bmp"));
    const QByteArray jpg = test::readBytes(pictureFixture("quad.jpg"));
    Picture picture;
    picture.loadFromFile(test::writeTempFile("UPPER.BMP", bmp));
    EXPECT_EQ(picture.width(), 64);
    picture.loadFromFile(test::writeTempFile("mixed.JpEg", jpg));
    EXPECT_EQ(picture.graphic()->kind(), Graphic::Kind::Jpeg);
    picture.loadFromFile(test::writeTempFile("bare.dib", bmp));
    EXPECT_EQ(picture.graphic()->kind(), Graphic::Kind::Bitmap);
}

// The image plug-ins of Qt mapped into this process, by file.
std::string loadedImagePlugins() {
    QFile maps(QStringLiteral("/proc/self/maps"));
    if (!maps.open(QIODevice::ReadOnly)) {
        return "unreadable /proc/self/maps";
    }
    QByteArrayList plugins;
    for (const QByteArray& line : maps.readAll().split('\n')) {
        const QByteArray file = line.mid(line.lastIndexOf(' ') + 1);
        if (file.contains("/imageformats/") && !plugins.contains(file)) {
            plugins.append(file);
        }
    }
    return plugins.join(' ').toStdString();
}

// Covers the program decodes itself need none of Qt's image plug-ins, whose loading costs a
// cover preview more than the decoding; asking about WebP loads them.
TEST(PictureFormatsExtra, OwnFormatsLoadWithoutTheImagePlugins) {
    ASSERT_EQ(loadedImagePlugins(), "") << "nothing before the test";
    Picture picture;
    picture.loadFromFile(
        test::writeTempFile("cover.bmp", test::readBytes(pictureFixture("quad24.bmp"))));
    picture.loadFromFile(
        test::writeTempFile("cover.jpg", test::readBytes(pictureFixture("quad.jpg"))));
    EXPECT_EQ(picture.width(), 64);
    EXPECT_EQ(loadedImagePlugins(), "");

    EXPECT_EQ(pictures::isKnownExtension(QStringLiteral("WEBP")), pictures::qtReadsWebp());
    EXPECT_EQ(pictures::isKnownExtension(QStringLiteral("tiff")), false);
}

// Little-endian helpers for hand-made bitmaps.
QByteArray le16(int v) {
    QByteArray bytes;
    bytes.append(char(v & 0xff));
    bytes.append(char((v >> 8) & 0xff));
    return bytes;
}
QByteArray le32(int v) {
    return le16(v & 0xffff) + le16(int(unsigned(v) >> 16));
}

QByteArray bitmapFile(int w, int h, int bpp, int compression, const QByteArray& palette,
                      const QByteArray& bits) {
    const QByteArray info = le32(40) + le32(w) + le32(h) + le16(1) + le16(bpp) + le32(compression) +
                            le32(bits.size()) + le32(2835) + le32(2835) + le32(palette.size() / 4) +
                            le32(0);
    const int offset = 14 + 40 + palette.size();
    return "BM" + le32(offset + bits.size()) + le32(0) + le32(offset) + info + palette + bits;
}

TEST(HandMadeBitmaps, Rle4DecodesRunsAndAbsoluteRuns) {
    const QByteArray palette = le32(0x00ff0000) + le32(0x000000ff);  // 0 red, 1 blue
    // Bottom row: absolute run 0,1,0,1; top row: encoded run of four 1s; end of bitmap.
    QByteArray bits;
    bits += QByteArray("\x00\x04\x01\x01\x00\x00", 6);
    bits += QByteArray("\x04\x11\x00\x00\x00\x01", 6);
    const QByteArray file = bitmapFile(4, 2, 4, 2, palette, bits);
    Picture picture;
    picture.loadFromFile(test::writeTempFile("rle4.bmp", file));
    const QImage image = renderNatural(*picture.graphic());
    EXPECT_EQ(image.pixel(0, 0), qRgb(0, 0, 255));
    EXPECT_EQ(image.pixel(3, 0), qRgb(0, 0, 255));
    EXPECT_EQ(image.pixel(0, 1), qRgb(255, 0, 0));
    EXPECT_EQ(image.pixel(1, 1), qRgb(0, 0, 255));
    EXPECT_EQ(image.pixel(2, 1), qRgb(255, 0, 0));
}

TEST(HandMadeBitmaps, TopDownRowsStayInOrder) {
    QByteArray bits;
    bits += QByteArray("\x00\x00\xff\x00\x00\xff\x00\x00", 8);  // first row red
    bits += QByteArray("\xff\x00\x00\xff\x00\x00\x00\x00", 8);  // second row blue
    Picture picture;
    picture.loadFromFile(test::writeTempFile("topdown.bmp", bitmapFile(2, -2, 24, 0, {}, bits)));
    const QImage image = renderNatural(*picture.graphic());
    EXPECT_EQ(image.pixel(0, 0), qRgb(255, 0, 0));
    EXPECT_EQ(image.pixel(1, 1), qRgb(0, 0, 255));
}

TEST(PictureHolder, UnknownExtensionNamesIt) {
    Picture picture;
    try {
        picture.loadFromFile(test::writeTempFile("cover.tiff", "whatever"));
        FAIL() << "no exception";
    } catch (const PictureError& error) {
        EXPECT_EQ(error.message(), "Unknown picture file extension (.tiff)");
    }
    EXPECT_THROW(picture.loadFromFile(test::writeTempFile("noext", "x")), PictureError);
}

TEST(PictureHolder, MissingFileRaises) {
    Picture picture;
    EXPECT_THROW(picture.loadFromFile("/nonexistent/cover.jpg"), PictureError);
}

TEST(PictureHolder, FailedLoadKeepsPreviousPictureAndClearEmpties) {
    Picture picture;
    QSignalSpy changed(&picture, &Picture::changed);
    picture.loadFromFile(pictureFixture("quad.jpg"));
    EXPECT_EQ(changed.count(), 1);
    try {
        picture.loadFromFile(test::writeTempFile("bad.bmp", "BMnot a bitmap at all"));
        FAIL() << "no exception";
    } catch (const PictureError& error) {
        EXPECT_EQ(error.message(), "Bitmap image is not valid");
    }
    EXPECT_EQ(changed.count(), 1);
    EXPECT_EQ(picture.width(), 64);
    picture.clear();
    EXPECT_EQ(changed.count(), 2);
    EXPECT_EQ(picture.graphic(), nullptr);
    EXPECT_EQ(picture.width(), 0);
}

TEST(PictureHolder, AssignCopiesAnIndependentGraphic) {
    Picture source, copy;
    source.loadFromFile(pictureFixture("quad24.bmp"));
    QSignalSpy changed(&copy, &Picture::changed);
    copy.assign(&source);
    EXPECT_EQ(changed.count(), 1);
    ASSERT_NE(copy.graphic(), nullptr);
    EXPECT_NE(copy.graphic(), source.graphic());
    source.clear();
    EXPECT_EQ(copy.width(), 64);
    EXPECT_TRUE(nearColor(renderNatural(*copy.graphic()).pixel(5, 5), qRgb(255, 0, 0)));
    copy.assign(nullptr);
    EXPECT_EQ(copy.graphic(), nullptr);
}

TEST(PictureHolder, TransparentFlagKeysTheBottomLeftColour) {
    Picture picture;
    picture.loadFromFile(pictureFixture("quad24.bmp"));
    Graphic& graphic = *picture.graphic();
    EXPECT_FALSE(graphic.transparent());
    graphic.setTransparent(true);
    EXPECT_TRUE(graphic.transparent());
    const QImage image = renderNatural(graphic);
    EXPECT_EQ(image.pixel(5, 40), qRgb(128, 128, 128));  // blue, the bottom-left colour
    EXPECT_TRUE(nearColor(image.pixel(5, 5), qRgb(255, 0, 0)));
}

struct ProgressLog {
    std::vector<ProgressInfo> events;
    int partialRedraws = 0;
};

TEST(JpegProgress, BaselineReportsRowsThenEnd) {
    ProgressLog log;
    Picture picture;
    QObject::connect(&picture, &Picture::progress, [&](const Graphic& g, const ProgressInfo& info) {
        log.events.push_back(info);
        EXPECT_EQ(g.size(), QSize(320, 180));
    });
    picture.loadFromFile(pictureFixture("landscape.jpg"));
    ASSERT_GE(log.events.size(), 4u);
    EXPECT_EQ(log.events.front().stage, ProgressStage::Starting);
    EXPECT_EQ(log.events.back().stage, ProgressStage::Ending);
    EXPECT_EQ(log.events.back().percent, 100);
    int lastPercent = 0, rows = 0;
    for (const ProgressInfo& info : log.events) {
        if (info.stage == ProgressStage::Running) {
            EXPECT_TRUE(info.redrawNow);
            EXPECT_GE(info.percent, lastPercent);
            EXPECT_EQ(info.rect.top(), rows);
            rows += info.rect.height();
            lastPercent = info.percent;
        }
    }
    EXPECT_EQ(rows, 180);
}

TEST(JpegProgress, ProgressiveReportsOnePassPerScan) {
    int passes = 0;
    Picture picture;
    QObject::connect(&picture, &Picture::progress, [&](const Graphic&, const ProgressInfo& info) {
        if (info.stage == ProgressStage::Running && info.rect.height() == 48) {
            ++passes;
        }
    });
    picture.loadFromFile(pictureFixture("quadprog.jpg"));
    EXPECT_GE(passes, 2);
    EXPECT_TRUE(nearColor(renderNatural(*picture.graphic()).pixel(16, 12), qRgb(255, 0, 0)));
}

}  // namespace
}  // namespace cinevan
