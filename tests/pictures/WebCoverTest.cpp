#include <gtest/gtest.h>

#include <QBuffer>
#include <QImageReader>
#include <QPainter>

#include "pictures/Picture.h"
#include "pictures/PictureError.h"
#include "pictures/PictureFormats.h"
#include "tests/pictures/PictureFixtures.h"

namespace cinevan {
namespace {

// Red, lime, blue and a see-through quarter, 64x48.
QImage Quadrants() {
    QImage image(64, 48, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.fillRect(0, 0, 32, 24, Qt::red);
    painter.fillRect(32, 0, 32, 24, Qt::green);
    painter.fillRect(0, 24, 32, 24, Qt::blue);
    return image;
}

QByteArray Encoded(const QImage& image, const char* format) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    EXPECT_TRUE(image.save(&buffer, format, format == QByteArray("webp") ? 100 : -1));
    return bytes;
}

bool Near(QRgb a, QRgb b) {
    return std::abs(qRed(a) - qRed(b)) < 12 && std::abs(qGreen(a) - qGreen(b)) < 12 &&
           std::abs(qBlue(a) - qBlue(b)) < 12;
}

bool QtReadsWebp() {
    return QImageReader::supportedImageFormats().contains("webp");
}

class WebCover : public ::testing::TestWithParam<const char*> {};

TEST_P(WebCover, LoadsWithItsTransparency) {
    const QByteArray format = GetParam();
    if (format == "webp" && !QtReadsWebp()) {
        GTEST_SKIP() << "Qt has no WebP reader here";
    }
    EXPECT_TRUE(pictures::isKnownExtension(QString::fromLatin1(format).toUpper()));
    Picture picture;
    picture.loadFromFile(test::writeTempFile("cover." + format, Encoded(Quadrants(), format)));
    ASSERT_NE(picture.graphic(), nullptr);
    EXPECT_EQ(picture.graphic()->size(), QSize(64, 48));
    const QImage image = test::renderNatural(*picture.graphic());
    EXPECT_TRUE(Near(image.pixel(10, 10), qRgb(255, 0, 0)));
    EXPECT_TRUE(Near(image.pixel(50, 10), qRgb(0, 255, 0)));
    EXPECT_TRUE(Near(image.pixel(10, 40), qRgb(0, 0, 255)));
    EXPECT_TRUE(Near(image.pixel(50, 40), qRgb(128, 128, 128))) << "the background shows through";
}

TEST_P(WebCover, DamagedOrForeignDataIsRejected) {
    const QByteArray format = GetParam();
    if (format == "webp" && !QtReadsWebp()) {
        GTEST_SKIP() << "Qt has no WebP reader here";
    }
    const QByteArray bytes = Encoded(Quadrants(), format);
    const QByteArray cut = bytes.left(bytes.size() / 2);
    EXPECT_THROW(pictures::decodeByExtension(QString::fromLatin1(format), cut), PictureError);
    EXPECT_THROW(
        pictures::decodeByExtension(QString::fromLatin1(format), Encoded(Quadrants(), "bmp")),
        PictureError)
        << "a bitmap named as another format";
    EXPECT_THROW(pictures::decodeByExtension(QString::fromLatin1(format), QByteArray()),
                 PictureError);
}

INSTANTIATE_TEST_SUITE_P(PngAndWebp, WebCover, ::testing::Values("png", "webp"));

TEST(WebCoverFormats, TheDialogListsWhatQtReads) {
    QStringList extensions;
    for (const pictures::PictureFormat& format : pictures::pictureFormats()) {
        extensions += format.extensions;
    }
    EXPECT_TRUE(extensions.contains("png"));
    EXPECT_EQ(extensions.contains("webp"), QtReadsWebp());
    EXPECT_TRUE(extensions.contains("jpg")) << "the other formats stay";
}

}  // namespace
}  // namespace cinevan
