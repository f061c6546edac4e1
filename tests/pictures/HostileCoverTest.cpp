// Covers built to ask for much work: they are decoded at the size they are shown at, or
// refused, and never block.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QBuffer>
#include <QElapsedTimer>
#include <QFile>
#include <QImageWriter>
#include <QPainter>
#include <QTemporaryDir>
#include <chrono>
#include <future>
#include <initializer_list>
#include <optional>

#include "pictures/BitmapDecoder.h"
#include "pictures/DibSampler.h"
#include "pictures/LoadLimits.h"
#include "pictures/Picture.h"
#include "pictures/PictureError.h"
#include "pictures/PictureFormats.h"
#include "platform/BoundedCall.h"
#include "tests/pictures/HostilePictures.h"
#include "tests/pictures/PictureFixtures.h"
#include "tests/support/HangingShare.h"

namespace cinevan {
namespace {

using pictures::decodeByExtension;
using pictures::Dib;
using pictures::sampleDib;

// The packed bitmap of a BMP file (without its 14-byte file header).
Dib dibOfFile(const QByteArray& file) {
    const auto dib = pictures::splitPackedDib(QByteArrayView(file).sliced(14));
    EXPECT_TRUE(dib.has_value());
    return dib.value_or(Dib{});
}

// A 4 x 2 RLE4 bitmap: bottom row a run alternating colours 1 and 2, top row the literal
// colours 3, 4, 5, 6.
QByteArray rle4File() {
    QByteArray info;
    const auto put32 = [&info](std::uint32_t v) {
        for (int shift = 0; shift < 32; shift += 8) {
            info.append(char((v >> shift) & 0xff));
        }
    };
    for (const std::uint32_t v : {40u, 4u, 2u}) {
        put32(v);
    }
    info.append("\x01\x00\x04\x00", 4);
    put32(2);  // RLE4
    for (int i = 0; i < 5; ++i) {
        put32(0);
    }
    for (int i = 0; i < 16; ++i) {
        put32(std::uint32_t(i * 16) << 8 | std::uint32_t(255 - i * 16));
    }
    const QByteArray bits("\x04\x12\x00\x00\x00\x04\x34\x56\x00\x01", 10);
    return pictures::bitmapFileFromDib(info, bits);
}

TEST(DibSampler, FullSizeMatchesTheBitmapDecoder) {
    QList<QByteArray> files{rle4File()};
    for (const char* name : {"quad24.bmp", "quad8.bmp", "quadrle8.bmp", "quados2.bmp", "quad16.bmp",
                             "quad32.bmp", "mono1.bmp", "quad4.bmp"}) {
        files.append(test::readBytes(test::pictureFixture(name)));
    }
    for (const QByteArray& file : files) {
        const QImage expected = pictures::decodeBitmap(file).convertToFormat(QImage::Format_ARGB32);
        const QImage sampled = sampleDib(dibOfFile(file), expected.rect(), expected.size())
                                   .convertToFormat(QImage::Format_ARGB32);
        ASSERT_EQ(sampled.size(), expected.size());
        int differing = 0;
        for (int y = 0; y < expected.height(); ++y) {
            for (int x = 0; x < expected.width(); ++x) {
                differing += test::nearColor(sampled.pixel(x, y), expected.pixel(x, y), 8) ? 0 : 1;
            }
        }
        EXPECT_EQ(differing, 0) << "in a " << expected.width() << "x" << expected.height()
                                << " bitmap of depth " << expected.depth();
    }
}

TEST(DibSampler, SamplesOnlyTheRequestedPartAndSize) {
    const QByteArray file = test::readBytes(test::pictureFixture("quadrle8.bmp"));
    const QImage whole = pictures::decodeBitmap(file);
    const QRect part(8, 4, 40, 30);
    const QImage sampled = sampleDib(dibOfFile(file), part, QSize(10, 6));
    ASSERT_EQ(sampled.size(), QSize(10, 6));
    for (int y = 0; y < 6; ++y) {
        for (int x = 0; x < 10; ++x) {
            const QPoint at(8 + (2 * x + 1) * 40 / 20, 4 + (2 * y + 1) * 30 / 12);
            EXPECT_TRUE(test::nearColor(sampled.pixel(x, y), whole.pixel(at), 8)) << x << "," << y;
        }
    }
}

TEST(DibSampler, HugeRleBitmapsAreDecodedAtTheAskedSize) {
    const QByteArray dib = test::hostile::rleDib(8192, 8192, 255);
    const auto parts = pictures::splitPackedDib(dib);
    ASSERT_TRUE(parts.has_value());
    EXPECT_EQ(pictures::dibSize(parts->info), QSize(8192, 8192));
    // The bottom-left 256 x 256 corner holds the red run on its last row.
    const QImage corner = sampleDib(*parts, QRect(0, 8192 - 256, 256, 256), QSize(256, 256));
    ASSERT_EQ(corner.size(), QSize(256, 256));
    EXPECT_EQ(corner.pixel(0, 255), qRgb(255, 0, 0));
    EXPECT_EQ(corner.pixel(254, 255), qRgb(255, 0, 0));
    EXPECT_EQ(corner.pixel(255, 255), qRgb(0, 0, 255));
    EXPECT_EQ(corner.pixel(0, 254), qRgb(0, 0, 255));
    EXPECT_EQ(sampleDib(*parts, QRect(0, 0, 8192, 8192), QSize(64, 64)).size(), QSize(64, 64));
}

TEST(DibSampler, CutOrInvalidBitmapsGiveNoImage) {
    const QByteArray file = test::readBytes(test::pictureFixture("quad24.bmp"));
    Dib dib = dibOfFile(file);
    dib.bits = dib.bits.first(dib.bits.size() - 10);
    EXPECT_TRUE(sampleDib(dib, QRect(0, 0, 64, 48), QSize(64, 48)).isNull());
    const QByteArray rle = test::hostile::rleDib(100, 100);
    auto parts = pictures::splitPackedDib(rle);
    ASSERT_TRUE(parts.has_value());
    parts->bits = parts->bits.first(2);  // a run, then no end
    EXPECT_TRUE(sampleDib(*parts, QRect(0, 0, 100, 100), QSize(10, 10)).isNull());
    EXPECT_TRUE(sampleDib(dibOfFile(file), QRect(0, 0, 65, 48), QSize(10, 10)).isNull());
    EXPECT_FALSE(pictures::splitPackedDib(QByteArray(30, '\0')).has_value());
}

// Each of these records would decode 64 megapixels at full size; hundreds of them must load
// and paint at the size shown.
TEST(HostileMetafiles, HugeBitmapRecordsAreDecodedAtTheShownSize) {
    const QList<std::pair<const char*, QByteArray>> files{
        {"wmf", test::hostile::wmfWithHugeBitmaps(200)},
        {"emf", test::hostile::emfWithHugeBitmaps(200)}};
    for (const auto& [extension, bytes] : files) {
        EXPECT_LT(bytes.size(), 200 * 1200) << extension;
        const auto graphic = decodeByExtension(extension, bytes);
        EXPECT_EQ(graphic->size(), QSize(1000, 1000)) << extension;
        const QImage shown = test::renderStretched(*graphic, QSize(300, 200));
        EXPECT_TRUE(test::nearColor(shown.pixel(150, 100), qRgb(0, 0, 255))) << extension;
        EXPECT_TRUE(test::nearColor(shown.pixel(5, 5), qRgb(0, 0, 255))) << extension;
    }
}

TEST(HostileMetafiles, RepaintsAtAnotherPlaceOrSizeDrawAgain) {
    const auto graphic = decodeByExtension("wmf", test::hostile::wmfWithHugeBitmaps(1, 100));
    QImage image(300, 100, QImage::Format_ARGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    graphic->draw(painter, QRect(0, 0, 100, 100));
    graphic->draw(painter, QRect(0, 0, 100, 100));
    graphic->draw(painter, QRect(200, 0, 100, 100));
    graphic->draw(painter, QRect(120, 50, 50, 50));
    graphic->draw(painter, QRect(280, 90, 100, 100));  // mostly outside the image
    painter.end();
    for (const QPoint blue : {QPoint(50, 50), QPoint(250, 50), QPoint(145, 75), QPoint(290, 95)}) {
        EXPECT_TRUE(test::nearColor(image.pixel(blue), qRgb(0, 0, 255)))
            << blue.x() << "," << blue.y();
    }
    for (const QPoint white : {QPoint(110, 50), QPoint(145, 25), QPoint(185, 50)}) {
        EXPECT_TRUE(test::nearColor(image.pixel(white), qRgb(255, 255, 255)))
            << white.x() << "," << white.y();
    }
}

TEST(HostileMetafiles, ManyCreateRecordsInAFullTableLoad) {
    const QByteArray bytes = test::hostile::wmfWithManyCreates(300'000);
    EXPECT_GT(bytes.size(), 1'800'000);
    EXPECT_EQ(decodeByExtension("wmf", bytes)->size(), QSize(100, 100));
}

// Painting stays bounded by the picture's size: drawing that covers the picture more than 64
// times over is left out.
TEST(HostileMetafiles, OverdrawBeyondItsBoundIsLeftOut) {
    const auto few = decodeByExtension("wmf", test::hostile::wmfWithOverdraw(10));
    EXPECT_TRUE(test::nearColor(test::renderStretched(*few, QSize(100, 100)).pixel(50, 50),
                                qRgb(255, 0, 0)));
    const QByteArray bytes = test::hostile::wmfWithOverdraw(60'000);
    EXPECT_LT(bytes.size(), 1'000'000);
    const auto many = decodeByExtension("wmf", bytes);
    EXPECT_TRUE(test::nearColor(test::renderStretched(*many, QSize(600, 400)).pixel(300, 200),
                                qRgb(0, 0, 255)));
}

QByteArray pngOf(QSize size, QImage::Format format, QColor color) {
    QImage image(size, format);
    image.fill(color);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter(&buffer, "png").write(image);
    return bytes;
}

// An icon whose entries are the given PNG files, each directory entry claiming 256 x 256.
QByteArray iconOf(const QList<QByteArray>& pngs) {
    QByteArray out("\0\0\1\0", 4);
    out.append(char(pngs.size()));
    out.append('\0');
    qsizetype at = 6 + 16 * pngs.size();
    for (const QByteArray& png : pngs) {
        QByteArray entry(16, '\0');
        entry[4] = 1;
        entry[6] = 32;
        for (int i = 0; i < 4; ++i) {
            entry[8 + i] = char((png.size() >> (8 * i)) & 0xff);
            entry[12 + i] = char((at >> (8 * i)) & 0xff);
        }
        out.append(entry);
        at += png.size();
    }
    for (const QByteArray& png : pngs) {
        out.append(png);
    }
    return out;
}

TEST(HostileIcons, EntriesSharingOneLargePngDecodeItOnce) {
    const auto graphic =
        decodeByExtension("ico", test::hostile::icoWithSharedPng(256, {8192, 8192}));
    EXPECT_EQ(graphic->size(), QSize(8192, 8192));
}

TEST(HostileIcons, TheLargestAndThenDeepestEntryIsChosenFromTheHeaders) {
    const QByteArray small = pngOf({16, 16}, QImage::Format_ARGB32, Qt::green);
    const QByteArray large = pngOf({48, 40}, QImage::Format_RGB32, Qt::red);
    const QByteArray gray = pngOf({48, 40}, QImage::Format_Grayscale8, Qt::gray);
    const auto graphic = decodeByExtension("ico", iconOf({small, gray, large, small}));
    ASSERT_EQ(graphic->size(), QSize(48, 40));
    const QImage chosen = test::renderStretched(*graphic, QSize(48, 40));
    EXPECT_TRUE(test::nearColor(chosen.pixel(10, 10), qRgb(255, 0, 0)));
    // Found by the fuzzer: a PNG header claiming 4278255360 pixels on each side.
    QByteArray absurd = pngOf({4, 4}, QImage::Format_RGB32, Qt::blue);
    for (const int at : {16, 20}) {
        absurd.replace(at, 4, QByteArray("\xff\x00\xff\x00", 4));
    }
    EXPECT_THROW(decodeByExtension("ico", iconOf({small, absurd})), PictureError);
    QByteArray outside = iconOf({small, large});
    outside.chop(10);  // the last entry's data runs past the end
    EXPECT_THROW(decodeByExtension("ico", outside), PictureError);
}

// A GIF whose logical screen or first frame asks for far more pixels than its compressed data
// can describe is refused before anything is allocated.
TEST(HostileGifs, PicturesBeyondTheReachOfTheirDataAreRefused) {
    // Found by the fuzzer: 43 bytes, a 968 x 65487 screen.
    const QByteArray found =
        QByteArray::fromBase64("R0lGODlhyAPP//EAAG1tNDU9rjQwYTU1ACwAAAAAoTAAiQBnALkt/////w==");
    EXPECT_THROW(decodeByExtension("gif", found), PictureError);
    QByteArray screen = test::readBytes(test::pictureFixture("quadtrans.gif"));
    ASSERT_NO_THROW(decodeByExtension("gif", screen));
    screen[6] = char(0x40);  // 8000 x 8000
    screen[7] = char(0x1f);
    screen[8] = char(0x40);
    screen[9] = char(0x1f);
    EXPECT_THROW(decodeByExtension("gif", screen), PictureError);
}

// Loads path through the holder off the test's thread; false when it is still blocked after
// ten seconds.
bool loadsOrFailsAtOnce(const QString& path, bool* raised) {
    auto loading = std::async(std::launch::async, [path, raised] {
        Picture picture;
        try {
            picture.loadFromFile(path);
            *raised = false;
        } catch (const PictureError&) {
            *raised = true;
        }
    });
    return loading.wait_for(std::chrono::seconds(10)) == std::future_status::ready;
}

TEST(CoverFiles, FifosAndDevicesAreRefusedWithoutBlocking) {
    QTemporaryDir dir;
    const QString fifo = dir.filePath(QStringLiteral("pipe.bmp"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    bool raised = false;
    const bool done = loadsOrFailsAtOnce(fifo, &raised);
    if (!done) {
        // Unblock the reader so that the test can end.
        QFile writer(fifo);
        writer.open(QIODevice::WriteOnly);
    }
    EXPECT_TRUE(done);
    EXPECT_TRUE(raised);
    const QString device = dir.filePath(QStringLiteral("zero.jpg"));
    ASSERT_TRUE(QFile::link(QStringLiteral("/dev/zero"), device));
    EXPECT_TRUE(loadsOrFailsAtOnce(device, &raised));
    EXPECT_TRUE(raised);
}

TEST(CoverFiles, ACoverOnAShareThatStopsAnsweringIsRefusedInTime) {
    std::optional<test::HangingShare> share(std::in_place);
    if (!share->mounted()) {
        GTEST_SKIP() << "FUSE cannot be mounted here";
    }
    Picture picture;
    picture.loadFromFile(test::pictureFixture("quad24.bmp"));
    QElapsedTimer clock;
    clock.start();
    EXPECT_THROW(picture.loadFromFile(share->path(QStringLiteral("cover.bmp"))), PictureError);
    EXPECT_LT(clock.elapsed(), pictures::kReadTimeLimitMs + 2000);
    EXPECT_EQ(picture.width(), 64) << "the previous picture stays";

    share.reset();
    EXPECT_TRUE(QTest::qWaitFor([] { return boundedWorkRunning == 0; }, 20000))
        << "the read left waiting ends with the share";
}

TEST(CoverFiles, AFailedLoadKeepsThePreviousPicture) {
    Picture picture;
    picture.loadFromFile(test::pictureFixture("quad24.bmp"));
    QTemporaryDir dir;
    const QString fifo = dir.filePath(QStringLiteral("pipe.gif"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    EXPECT_THROW(picture.loadFromFile(fifo), PictureError);
    EXPECT_EQ(picture.width(), 64);
}

}  // namespace
}  // namespace cinevan
