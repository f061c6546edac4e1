#include <gtest/gtest.h>

#include <QByteArray>
#include <QImage>
#include <QPainter>
#include <random>

#include "pictures/PictureError.h"
#include "pictures/PictureFormats.h"
#include "tests/pictures/PictureFixtures.h"

namespace cinevan {
namespace {

using pictures::decodeByExtension;
using test::pictureFixture;
using test::readBytes;

const char* const kExtensions[] = {"bmp", "dib", "jpg", "gif", "ico", "wmf", "emf"};

const char* const kValidFiles[] = {"quad24.bmp",   "quad8.bmp",     "quadrle8.bmp",
                                   "quad32.bmp",   "quad.jpg",      "quadprog.jpg",
                                   "quadcmyk.jpg", "quadtrans.gif", "quad.ico"};

QString extensionOf(const QString& name) {
    return name.section(QLatin1Char('.'), -1);
}

// Decodes and reports whether it raised PictureError; any other exception fails the test.
bool raises(const QString& extension, const QByteArray& bytes) {
    try {
        decodeByExtension(extension, bytes);
        return false;
    } catch (const PictureError&) {
        return true;
    }
}

TEST(BadInput, EmptyFilesRaise) {
    for (const char* extension : kExtensions) {
        EXPECT_TRUE(raises(extension, QByteArray())) << extension;
    }
}

TEST(BadInput, TruncatedFilesRaise) {
    for (const char* name : kValidFiles) {
        const QByteArray whole = readBytes(pictureFixture(name));
        ASSERT_FALSE(raises(extensionOf(name), whole)) << name;
        for (const double fraction : {0.1, 0.5, 0.8}) {
            const QByteArray part = whole.first(qsizetype(whole.size() * fraction));
            EXPECT_TRUE(raises(extensionOf(name), part)) << name << " cut at " << fraction;
        }
    }
}

TEST(BadInput, RandomBytesNeverCrash) {
    std::mt19937 random(20240601);
    for (int round = 0; round < 40; ++round) {
        QByteArray bytes(1 + int(random() % 4096), '\0');
        for (char& byte : bytes) {
            byte = char(random());
        }
        for (const char* extension : kExtensions) {
            EXPECT_TRUE(raises(extension, bytes)) << extension << " round " << round;
        }
    }
}

TEST(BadInput, FlippedBytesInValidFilesNeverCrash) {
    std::mt19937 random(7);
    for (const char* name : kValidFiles) {
        const QByteArray whole = readBytes(pictureFixture(name));
        for (int round = 0; round < 30; ++round) {
            QByteArray damaged = whole;
            for (int i = 0; i < 4; ++i) {
                damaged[qsizetype(random() % damaged.size())] = char(random());
            }
            (void)raises(extensionOf(name), damaged);
        }
    }
}

void putLe16(QByteArray& bytes, qsizetype at, int value) {
    bytes[at] = char(value & 0xff);
    bytes[at + 1] = char((value >> 8) & 0xff);
}

void putLe32(QByteArray& bytes, qsizetype at, int value) {
    putLe16(bytes, at, value & 0xffff);
    putLe16(bytes, at + 2, int(unsigned(value) >> 16));
}

void putBe16(QByteArray& bytes, qsizetype at, int value) {
    bytes[at] = char((value >> 8) & 0xff);
    bytes[at + 1] = char(value & 0xff);
}

// A palette picture whose pixels name colours beyond its colour table: the painter would read
// past the table's end. Every index of a decoded palette picture has a colour (black).
TEST(BadInput, PaletteIndexesBeyondTheColourTableAreBlack) {
    auto u16 = [](QByteArray& out, int v) { out.append(char(v & 0xff)).append(char(v >> 8)); };
    auto u32 = [&](QByteArray& out, int v) {
        u16(out, v & 0xffff);
        u16(out, int(unsigned(v) >> 16));
    };
    QByteArray file("BM");
    u32(file, 14 + 40 + 8 + 4);  // file size
    u32(file, 0);
    u32(file, 14 + 40 + 8);  // pixel data offset
    u32(file, 40);           // info header: 4 x 1, 8 bits, uncompressed, two colours
    u32(file, 4);
    u32(file, 1);
    u16(file, 1);
    u16(file, 8);
    for (const int value : {0, 4, 0, 0, 2, 0}) {
        u32(file, value);
    }
    file.append(
        QByteArray::fromHex("0000ff00"
                            "00ff0000"));          // blue, green
    file.append(QByteArray::fromHex("0001c8ff"));  // 0, 1, 200, 255
    const auto graphic = decodeByExtension(QStringLiteral("bmp"), file);
    QImage canvas(4, 1, QImage::Format_ARGB32);
    canvas.fill(Qt::white);
    {
        QPainter painter(&canvas);
        graphic->draw(painter, canvas.rect());
    }
    EXPECT_EQ(canvas.pixel(0, 0), qRgb(255, 0, 0));
    EXPECT_EQ(canvas.pixel(1, 0), qRgb(0, 255, 0));
    EXPECT_EQ(canvas.pixel(2, 0), qRgb(0, 0, 0));
    EXPECT_EQ(canvas.pixel(3, 0), qRgb(0, 0, 0));
}

TEST(OversizedHeaders, BitmapClaiming100000Squared) {
    QByteArray bytes = readBytes(pictureFixture("quad24.bmp"));
    putLe32(bytes, 18, 100000);
    putLe32(bytes, 22, 100000);
    EXPECT_TRUE(raises("bmp", bytes));
}

TEST(OversizedHeaders, JpegBeyondPixelLimitOrFileSize) {
    const QByteArray original = readBytes(pictureFixture("quad.jpg"));
    const qsizetype sof = original.indexOf("\xff\xc0");
    ASSERT_GT(sof, 0);
    for (const int side : {65000, 8000, 3000}) {
        QByteArray bytes = original;
        putBe16(bytes, sof + 5, side);
        putBe16(bytes, sof + 7, side);
        try {
            decodeByExtension("jpg", bytes);
            ADD_FAILURE() << side << " accepted";
        } catch (const PictureError& error) {
            EXPECT_EQ(error.message(), "JPEG image is too large") << side;
        }
    }
}

TEST(OversizedHeaders, GifScreenAndFrame) {
    QByteArray bytes = readBytes(pictureFixture("quadtrans.gif"));
    putLe16(bytes, 6, 65535);
    putLe16(bytes, 8, 65535);
    const qsizetype descriptor = bytes.indexOf(',', 13);
    ASSERT_GT(descriptor, 0);
    putLe16(bytes, descriptor + 5, 65535);
    putLe16(bytes, descriptor + 7, 65535);
    EXPECT_TRUE(raises("gif", bytes));
}

}  // namespace
}  // namespace cinevan
