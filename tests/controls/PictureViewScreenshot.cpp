#include <gtest/gtest.h>

#include <QFrame>
#include <QHBoxLayout>
#include <QImage>
#include <QVBoxLayout>
#include <cstdlib>

#include "controls/ImageEx.h"
#include "pictures/Picture.h"
#include "tests/pictures/PictureFixtures.h"

namespace cinevan {
namespace {

// Two views as the main window lays out its preview: a landscape and a portrait cover,
// margins in the button-face colour. Saved next to the fixtures, and into the folder named
// by CINEVAN_SCREENSHOT_DIR when that is set.
TEST(PictureViewScreenshot, LandscapeAndPortraitCovers) {
    QWidget window;
    auto* row = new QHBoxLayout(&window);
    const QColor face = QPalette().color(QPalette::Button);
    TImageEx* views[2];
    const char* covers[2] = {"landscape.jpg", "portrait.jpg"};
    // Each view fills a bordered panel, as on the main window's preview page; the window
    // around them is dark so that the margins stand out.
    window.setAutoFillBackground(true);
    QPalette dark = window.palette();
    dark.setColor(QPalette::Window, QColor(60, 60, 60));
    window.setPalette(dark);
    for (int i = 0; i < 2; ++i) {
        auto* panel = new QFrame(&window);
        panel->setFrameStyle(QFrame::Box | QFrame::Plain);
        panel->setStyleSheet(QStringLiteral("QFrame { color: black; }"));
        auto* fill = new QVBoxLayout(panel);
        fill->setContentsMargins(1, 1, 1, 1);
        views[i] = new TImageEx(panel);
        fill->addWidget(views[i]);
        views[i]->setStretch(true);
        views[i]->setCenter(true);
        views[i]->setIncrementalDisplay(true);
        views[i]->setMaintainAspect(true);
        views[i]->setAspectColor(face);
        views[i]->setMinimumSize(240, 240);
        views[i]->picture()->loadFromFile(test::pictureFixture(covers[i]));
        row->addWidget(panel);
    }
    window.resize(520, 260);
    window.show();
    const QImage shot = window.grab().toImage();

    // Landscape 320x180 in its view: bars above and below; portrait: bars left and right.
    const QRect land(views[0]->mapTo(&window, QPoint(0, 0)), views[0]->size());
    const QRect port(views[1]->mapTo(&window, QPoint(0, 0)), views[1]->size());
    EXPECT_EQ(shot.pixel(land.center().x(), land.top() + 2), face.rgb());
    EXPECT_EQ(shot.pixel(land.center().x(), land.bottom() - 2), face.rgb());
    EXPECT_NE(shot.pixel(land.center()), face.rgb());
    EXPECT_EQ(shot.pixel(port.left() + 2, port.center().y()), face.rgb());
    EXPECT_EQ(shot.pixel(port.right() - 2, port.center().y()), face.rgb());
    EXPECT_NE(shot.pixel(port.center()), face.rgb());

    EXPECT_TRUE(shot.save(test::pictureFixture("picture-view.png")));
    if (const char* dir = std::getenv("CINEVAN_SCREENSHOT_DIR")) {
        EXPECT_TRUE(shot.save(QString::fromLocal8Bit(dir) + "/picture-view.png"));
    }
}

}  // namespace
}  // namespace cinevan
