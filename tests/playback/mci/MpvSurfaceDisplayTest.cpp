#include <gtest/gtest.h>

#include <QTest>
#include <QWidget>

#include "playback/mci/mpv/MpvDevice.h"
#include "playback/mci/mpv/MpvSurface.h"
#include "tests/support/MediaFixtures.h"

namespace cinevan::test {

namespace {

// Needs a real display with OpenGL (Xvfb with Mesa will do): the offscreen platform has none.
bool haveDisplay() {
    return qEnvironmentVariableIsSet("CINEVAN_TEST_DISPLAY");
}

quint64 framesAfter(const mci::MpvSurface& surface, int ms) {
    const quint64 before = surface.framesRendered();
    QTest::qWait(ms);
    return surface.framesRendered() - before;
}

}  // namespace

TEST(MpvSurfaceOnDisplay, KeepsDrawingAfterMovingToAnotherWindow) {
    if (!haveDisplay()) {
        GTEST_SKIP() << "set CINEVAN_TEST_DISPLAY and run under a display";
    }
    QWidget main;
    QWidget fullScreen;
    main.resize(400, 320);
    fullScreen.resize(640, 480);
    main.show();
    fullScreen.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&main));
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&fullScreen));

    mci::MpvDevice device;
    ASSERT_EQ(device.openElement(mediaFixture("long-mpeg1.mpg")), mci::Error::None);
    ASSERT_EQ(device.putDestination(QRect(0, 0, 400, 320)), mci::Error::None);
    ASSERT_EQ(device.window(&main), mci::Error::None);
    ASSERT_EQ(device.play(0, 20000), mci::Error::None);
    mci::MpvSurface* surface = device.surface();
    ASSERT_NE(surface, nullptr);
    // 25 frames a second; a second of play must show most of them.
    EXPECT_GE(framesAfter(*surface, 1500), 15u);

    ASSERT_EQ(device.window(&fullScreen), mci::Error::None);
    ASSERT_EQ(device.putDestination(QRect(0, 0, 640, 480)), mci::Error::None);
    EXPECT_GE(framesAfter(*surface, 1500), 15u) << "the picture must keep coming after a move";

    ASSERT_EQ(device.window(&main), mci::Error::None);
    EXPECT_GE(framesAfter(*surface, 1500), 15u);
    quint32 position = 0;
    ASSERT_EQ(device.statusPosition(position), mci::Error::None);
    EXPECT_GT(position, 3000u) << "playback keeps pace while the video moves";
}

}  // namespace cinevan::test
