#include <gtest/gtest.h>

#include <QDir>
#include <QImage>
#include <QSignalSpy>
#include <QTest>
#include <QVBoxLayout>

#include "controls/ImageEx.h"
#include "pictures/Picture.h"
#include "pictures/PictureError.h"
#include "tests/pictures/PictureFixtures.h"

namespace cinevan {
namespace {

struct Edges {
    int left, top, right, bottom;
    bool operator==(const Edges&) const = default;
};

std::ostream& operator<<(std::ostream& os, const Edges& e) {
    return os << '(' << e.left << ',' << e.top << ',' << e.right << ',' << e.bottom << ')';
}

Edges edges(const QRect& r) {
    return {r.left(), r.top(), r.left() + r.width(), r.top() + r.height()};
}

Edges aspect(QSize view, QSize picture) {
    return edges(imageExPictureRect(view, picture, true, true, true));
}

TEST(PictureRect, MaintainAspectExamples) {
    EXPECT_EQ(aspect({200, 200}, {400, 300}), (Edges{0, 25, 200, 175}));
    EXPECT_EQ(aspect({200, 200}, {300, 400}), (Edges{25, 0, 175, 200}));
    EXPECT_EQ(aspect({200, 100}, {100, 100}), (Edges{50, 0, 150, 100}));
    EXPECT_EQ(aspect({100, 50}, {200, 100}), (Edges{0, 0, 100, 50}));
    EXPECT_EQ(aspect({101, 50}, {202, 100}), (Edges{0, 0, 100, 50}));
    EXPECT_EQ(aspect({100, 101}, {100, 50}), (Edges{0, 25, 100, 75}));
}

TEST(PictureRect, OtherModes) {
    // Stretch without aspect, or with an empty picture: the whole view.
    EXPECT_EQ(edges(imageExPictureRect({200, 100}, {30, 40}, true, false, false)),
              (Edges{0, 0, 200, 100}));
    EXPECT_EQ(edges(imageExPictureRect({200, 100}, {0, 40}, true, true, true)),
              (Edges{0, 0, 200, 100}));
    // Centred, also when larger than the view (negative offsets, truncated halves).
    EXPECT_EQ(edges(imageExPictureRect({200, 100}, {31, 41}, false, true, true)),
              (Edges{84, 29, 115, 70}));
    EXPECT_EQ(edges(imageExPictureRect({100, 100}, {301, 151}, false, true, false)),
              (Edges{-100, -25, 201, 126}));
    EXPECT_EQ(edges(imageExPictureRect({200, 100}, {31, 41}, false, false, false)),
              (Edges{0, 0, 31, 41}));
    // A view without area does not divide by zero.
    EXPECT_EQ(edges(imageExPictureRect({0, 0}, {31, 41}, true, true, true)), (Edges{0, 0, 0, 0}));
}

TEST(Tiling, TilesTouchingTheClipAlignedToTheOrigin) {
    const QList<QPoint> tiles = imageExTilePositions(QRect(40, 40, 60, 30), {32, 32});
    const QList<QPoint> expected{{32, 32}, {64, 32}, {96, 32}, {32, 64}, {64, 64}, {96, 64}};
    EXPECT_EQ(tiles, expected);
    EXPECT_TRUE(imageExTilePositions(QRect(), {32, 32}).isEmpty());
    EXPECT_TRUE(imageExTilePositions(QRect(0, 0, 10, 10), {0, 0}).isEmpty());
    EXPECT_EQ(imageExTilePositions(QRect(0, 0, 32, 32), {32, 32}), (QList<QPoint>{{0, 0}}));
}

// Writes a solid picture of one colour as a bitmap file.
QString solidBitmap(const QString& name, QSize size, QColor color) {
    QImage image(size, QImage::Format_RGB32);
    image.fill(color);
    const QString path = QDir::temp().filePath(QStringLiteral("cinevan-imageex-") + name);
    EXPECT_TRUE(image.save(path, "BMP"));
    return path;
}

class ImageExView : public ::testing::Test {
protected:
    void SetUp() override {
        view.resize(200, 200);
        view.setStretch(true);
        view.setCenter(true);
        view.setMaintainAspect(true);
        view.setAspectColor(QColor(10, 200, 30));
    }

    TImageEx view;
};

TEST(ImageExDefaults, CreatedAs105SquareWithBlackMargins) {
    TImageEx view;
    EXPECT_EQ(view.size(), QSize(105, 105));
    EXPECT_EQ(view.aspectColor(), QColor(Qt::black));
    EXPECT_FALSE(view.stretch() || view.center() || view.tiled() || view.autoSize() ||
                 view.maintainAspect() || view.transparent() || view.incrementalDisplay());
    ASSERT_NE(view.picture(), nullptr);
    EXPECT_EQ(view.picture()->graphic(), nullptr);
    view.setProperty("Hint", QStringLiteral("Cover"));
    EXPECT_EQ(view.toolTip(), "Cover");
    EXPECT_TRUE(view.setProperty("MaintainAspect", true));
    EXPECT_TRUE(view.maintainAspect());
}

TEST_F(ImageExView, LandscapeBarsAboveAndBelowInAspectColor) {
    view.picture()->loadFromFile(solidBitmap("land.bmp", {400, 300}, Qt::red));
    EXPECT_EQ(edges(view.PictureRect()), (Edges{0, 25, 200, 175}));
    const QImage shot = view.grab().toImage();
    const QRgb bar = QColor(10, 200, 30).rgb();
    EXPECT_EQ(shot.pixel(100, 0), bar);
    EXPECT_EQ(shot.pixel(0, 24), bar);
    EXPECT_EQ(shot.pixel(199, 175), bar);
    EXPECT_EQ(shot.pixel(100, 199), bar);
    EXPECT_EQ(shot.pixel(100, 25), QColor(Qt::red).rgb());
    EXPECT_EQ(shot.pixel(0, 174), QColor(Qt::red).rgb());
    EXPECT_TRUE(view.testAttribute(Qt::WA_OpaquePaintEvent));
}

TEST_F(ImageExView, PortraitBarsLeftAndRight) {
    view.picture()->loadFromFile(solidBitmap("port.bmp", {300, 400}, Qt::blue));
    const QImage shot = view.grab().toImage();
    const QRgb bar = QColor(10, 200, 30).rgb();
    EXPECT_EQ(shot.pixel(24, 100), bar);
    EXPECT_EQ(shot.pixel(175, 0), bar);
    EXPECT_EQ(shot.pixel(25, 100), QColor(Qt::blue).rgb());
    EXPECT_EQ(shot.pixel(174, 199), QColor(Qt::blue).rgb());
}

TEST_F(ImageExView, ChangingTheMarginColourRepaintsTheBars) {
    view.picture()->loadFromFile(solidBitmap("land2.bmp", {400, 300}, Qt::red));
    view.setAspectColor(Qt::yellow);
    EXPECT_EQ(view.grab().toImage().pixel(100, 10), QColor(Qt::yellow).rgb());
}

TEST_F(ImageExView, DamagedFileLeavesTheClearedViewEmptyAndSeeThrough) {
    view.picture()->loadFromFile(solidBitmap("land3.bmp", {400, 300}, Qt::red));
    view.setPicture(nullptr);
    EXPECT_EQ(view.picture()->graphic(), nullptr);
    const QString bad =
        test::writeTempFile("damaged.jpg", QByteArray("\xff\xd8\xff\xe0garbage", 10));
    EXPECT_THROW(view.picture()->loadFromFile(bad), PictureError);
    EXPECT_EQ(view.picture()->graphic(), nullptr);
    EXPECT_FALSE(view.testAttribute(Qt::WA_OpaquePaintEvent));

    // Inside a parent with a known background, the parent shows through everywhere.
    QWidget parent;
    parent.setAutoFillBackground(true);
    QPalette palette;
    palette.setColor(QPalette::Window, Qt::magenta);
    parent.setPalette(palette);
    parent.resize(200, 200);
    view.setParent(&parent);
    const QImage shot = parent.grab().toImage();
    EXPECT_EQ(shot.pixel(100, 10), QColor(Qt::magenta).rgb());
    EXPECT_EQ(shot.pixel(100, 100), QColor(Qt::magenta).rgb());
    view.setParent(nullptr);
}

TEST_F(ImageExView, CopyingAPictureIn) {
    Picture other;
    other.loadFromFile(solidBitmap("copy.bmp", {100, 50}, Qt::cyan));
    view.setPicture(&other);
    other.clear();
    ASSERT_NE(view.picture()->graphic(), nullptr);
    EXPECT_EQ(view.picture()->width(), 100);
    EXPECT_EQ(view.grab().toImage().pixel(100, 100), QColor(Qt::cyan).rgb());
}

TEST(ImageExDisplay, AutoSizeAndOpacity) {
    TImageEx view;
    view.setAutoSize(true);
    view.picture()->loadFromFile(solidBitmap("auto.bmp", {64, 40}, Qt::red));
    EXPECT_EQ(view.size(), QSize(64, 40));
    // At natural size and covering the view: opaque; once the view is larger: not.
    EXPECT_TRUE(view.testAttribute(Qt::WA_OpaquePaintEvent));
    view.setAutoSize(false);
    view.resize(100, 100);
    view.setCenter(true);
    EXPECT_FALSE(view.testAttribute(Qt::WA_OpaquePaintEvent));
    view.setTransparent(true);
    view.setStretch(true);
    EXPECT_TRUE(view.picture()->graphic()->transparent());
    EXPECT_FALSE(view.testAttribute(Qt::WA_OpaquePaintEvent));
    view.setTransparent(false);
    EXPECT_TRUE(view.testAttribute(Qt::WA_OpaquePaintEvent));
}

TEST(ImageExDisplay, TiledViewRepeatsThePicture) {
    TImageEx view;
    view.resize(100, 70);
    view.setTiled(true);
    QImage tile(32, 32, QImage::Format_RGB32);
    tile.fill(Qt::white);
    tile.setPixel(0, 0, qRgb(255, 0, 0));
    const QString path = QDir::temp().filePath("cinevan-imageex-tile.bmp");
    ASSERT_TRUE(tile.save(path, "BMP"));
    view.picture()->loadFromFile(path);
    const QImage shot = view.grab().toImage();
    for (const QPoint& p : {QPoint(0, 0), QPoint(32, 0), QPoint(96, 64), QPoint(64, 32)}) {
        EXPECT_EQ(shot.pixel(p), qRgb(255, 0, 0)) << p.x() << "," << p.y();
    }
    EXPECT_EQ(shot.pixel(33, 33), qRgb(255, 255, 255));
}

TEST(ImageExDisplay, IncrementalDisplayRepaintsWhileDecoding) {
    TImageEx view;
    view.resize(160, 90);
    view.setStretch(true);
    view.setIncrementalDisplay(true);
    view.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
    int paints = 0;
    struct PaintCounter : QObject {
        int* count;
        bool eventFilter(QObject*, QEvent* event) override {
            *count += event->type() == QEvent::Paint;
            return false;
        }
    } counter;
    counter.count = &paints;
    view.installEventFilter(&counter);
    QSignalSpy progress(&view, &TImageEx::OnProgress);
    view.picture()->loadFromFile(test::pictureFixture("landscape.jpg"));
    EXPECT_GE(progress.count(), 4);
    EXPECT_GE(paints, 3);  // painted during decoding, before the load returned

    paints = 0;
    view.setIncrementalDisplay(false);
    view.picture()->loadFromFile(test::pictureFixture("landscape.jpg"));
    EXPECT_EQ(paints, 0);
}

}  // namespace
}  // namespace cinevan
