#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include "playback/PlayerController.h"
#include "playback/mci/InstalledDevices.h"
#include "tests/playback/FakeView.h"
#include "tests/support/MediaFixtures.h"

namespace cinevan {
namespace {

// A movie list played by the installed engines in real time, with the 500 ms position timer
// of the main window: the list runs through to its end by itself.
TEST(RealPlayback, ATwoEntryListPlaysThroughAdvancesAndStopsAtTheEnd) {
    QTemporaryDir folder;
    const QString list = folder.path() + "/two.mls";
    {
        QFile file(list);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("\"" + QFile::encodeName(test::mediaFixture("clip-mpeg1.mpg")) + "\"\r\n");
        file.write("\"" + QFile::encodeName(test::mediaFixture("clip-mpeg2.mpg")) +
                   "\",Second,,0:00:01,0:00:03\r\n");
    }
    const auto devices = mci::makeInstalledDeviceLayer();
    test::FakeView view;
    PlayerController player(view, *devices);
    view.Attach(player);
    player.SetDeviceName(QStringLiteral("ActiveMovie"));

    QTimer timer;
    timer.setInterval(500);
    QObject::connect(&timer, &QTimer::timeout, [&] { player.ActiveMovieTimer(); });
    timer.start();

    player.ProcessCommandLine({list});
    ASSERT_EQ(player.State(), PlayState::Playing);
    EXPECT_EQ(player.DeviceName(), "ActiveMovie") << "the first choice of device type opens it";
    EXPECT_EQ(player.List().Current(), 0);
    EXPECT_EQ(player.VideoSize(), QSize(352, 288));

    QElapsedTimer clock;
    clock.start();
    ASSERT_TRUE(QTest::qWaitFor([&] { return player.List().Current() == 1; }, 12000))
        << "the end of the first movie advances to the second";
    const qint64 firstEnded = clock.elapsed();
    EXPECT_GT(firstEnded, 4500) << "the first movie plays to its end (6 s)";
    EXPECT_EQ(player.State(), PlayState::Playing);
    EXPECT_EQ(view.trackMaximum, 2) << "the selection runs 1 s to 3 s";

    ASSERT_TRUE(QTest::qWaitFor([&] { return player.State() == PlayState::Closed; }, 8000))
        << "the last entry's end stops playback";
    const qint64 secondLasted = clock.elapsed() - firstEnded;
    EXPECT_GT(secondLasted, 1500) << "the selection plays two seconds";
    EXPECT_LT(secondLasted, 4500) << "and stops at its stop, not at the movie's end";
    EXPECT_EQ(player.List().Current(), 1) << "the last entry stays current";
    EXPECT_EQ(devices->openCount(), 0u) << "the device is closed";
}

}  // namespace
}  // namespace cinevan
