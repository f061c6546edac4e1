// Device selection: the search for video devices that play files, the device chosen after it,
// choosing a device while a movie is open, and the device's configuration dialog.

#include <gtest/gtest.h>

#include "tests/playback/PlayerControllerFixture.h"

namespace cinevan::test {
namespace {

using DeviceSearchTest = PlayerControllerTest;

TEST_F(DeviceSearchTest, ListsOnlyOpenableVideoDevicesThatPlayFilesWithTheirProductTexts) {
    AddType(QStringLiteral("ActiveMovie"));
    AddType(QStringLiteral("CDAudio"), 0, 0);
    AddType(QStringLiteral("Sequencer"), 0x100, 1);  // the low-order byte says "no video"
    AddType(QStringLiteral("Unloadable")).script().loadable = false;
    AddType(QStringLiteral("Refusing")).script().openError = mci::Error::Hardware;
    AddType(QStringLiteral("MPEGVideo")).script().productError = mci::Error::Hardware;

    player->MenuItemUpdateDeviceClick();

    EXPECT_EQ(player->Devices(), (QStringList{"ActiveMovie", "MPEGVideo"}));
    EXPECT_EQ(view.deviceCaptions, (QStringList{"ActiveMovie product", "MPEGVideo"}))
        << "a failing product query falls back on the device name";
    EXPECT_EQ(view.checkedDevice, 0);
    EXPECT_EQ(player->DeviceName(), "ActiveMovie");
    EXPECT_EQ(layer.openCount(), 0u) << "every device opened by the search is closed again";
    EXPECT_EQ(AllCommands().filter(QStringLiteral("open")).size(),
              AllCommands().filter(QStringLiteral("close")).size() + 1)
        << "only the refused open leaves nothing to close";
}

TEST_F(DeviceSearchTest, AStoredNameDifferingInCaseIsKeptAsStored) {
    AddType(QStringLiteral("MPEGVideo"));
    AddType(QStringLiteral("ActiveMovie"));
    player->SetDeviceName(QStringLiteral("activemovie"));
    player->MenuItemUpdateDeviceClick();
    EXPECT_EQ(view.checkedDevice, 1);
    EXPECT_EQ(player->DeviceName(), "activemovie");
}

TEST_F(DeviceSearchTest, AStoredNameNoLongerInstalledGivesWayToActiveMovie) {
    AddType(QStringLiteral("DirectShow"));
    AddType(QStringLiteral("MPEGVideo"));
    AddType(QStringLiteral("ActiveMovie"));
    player->SetDeviceName(QStringLiteral("Gone"));
    player->MenuItemUpdateDeviceClick();
    EXPECT_EQ(view.checkedDevice, 2);
    EXPECT_EQ(player->DeviceName(), "ActiveMovie");
}

TEST_F(DeviceSearchTest, WithoutActiveMovieMpegVideoIsChosen) {
    AddType(QStringLiteral("DirectShow"));
    AddType(QStringLiteral("mpegvideo"));
    player->SetDeviceName(QStringLiteral("Gone"));
    player->MenuItemUpdateDeviceClick();
    EXPECT_EQ(view.checkedDevice, 1);
    EXPECT_EQ(player->DeviceName(), "mpegvideo") << "the listed spelling is taken";
}

TEST_F(DeviceSearchTest, WithoutEitherNamedTypeTheFirstListedIsChosen) {
    AddType(QStringLiteral("CDAudio"), 0, 0);
    AddType(QStringLiteral("DirectShow"));
    AddType(QStringLiteral("Xine"));
    player->SetDeviceName(QStringLiteral("Gone"));
    player->MenuItemUpdateDeviceClick();
    EXPECT_EQ(view.checkedDevice, 0);
    EXPECT_EQ(player->DeviceName(), "DirectShow");
}

TEST_F(DeviceSearchTest, NoQualifyingDeviceChecksNothingAndKeepsTheName) {
    AddType(QStringLiteral("CDAudio"), 0, 0);
    AddType(QStringLiteral("ActiveMovie")).script().openError = mci::Error::CannotLoadDriver;
    player->SetDeviceName(QStringLiteral("Gone"));
    view.CheckDeviceItem(0);
    player->MenuItemUpdateDeviceClick();
    EXPECT_TRUE(view.deviceCaptions.isEmpty());
    EXPECT_EQ(view.checkedDevice, -1);
    EXPECT_EQ(player->DeviceName(), "Gone");
}

TEST_F(DeviceSearchTest, AtMostTenDevicesAreListedAlignedWithTheirItems) {
    for (int i = 0; i < 12; ++i) {
        AddType(QStringLiteral("Video%1").arg(i));
    }
    player->MenuItemUpdateDeviceClick();
    ASSERT_EQ(player->Devices().size(), 10);
    ASSERT_EQ(view.deviceCaptions.size(), 10);
    for (int i = 0; i < 10; ++i) {
        EXPECT_EQ(view.deviceCaptions[i], player->Devices()[i] + " product");
    }
    player->MenuItemDeviceClick(9);
    EXPECT_EQ(player->DeviceName(), "Video9");
}

class DeviceChoiceTest : public PlayerTest {
protected:
    void SetUp() override {
        PlayerTest::SetUp();
        AddType(QStringLiteral("CDAudio"), 0, 0);
        movie_ = MakeMovie(QStringLiteral("a.mpg"), 60000);
        AddMovies({movie_});
        SetSelection(0, "0:00:10", "");
    }

    QString movie_;
};

TEST_F(DeviceChoiceTest, ASearchWhilePlayingPausesAndResumes) {
    player->BitBtnPlayClick();
    ClearLog();
    player->MenuItemUpdateDeviceClick();
    const QStringList transport = Transport();
    ASSERT_FALSE(transport.isEmpty());
    EXPECT_EQ(First(transport), "pause");
    EXPECT_EQ(Last(transport), "resume");
    EXPECT_EQ(player->State(), PlayState::Playing);
    EXPECT_EQ(layer.openCount(), 1u);
}

TEST_F(DeviceChoiceTest, ASearchWhilePausedStaysPaused) {
    player->BitBtnPlayClick();
    player->BitBtnPauseClick();
    ClearLog();
    player->MenuItemUpdateDeviceClick();
    EXPECT_FALSE(Transport().contains("resume"));
    EXPECT_FALSE(Transport().contains("pause"));
    EXPECT_EQ(player->State(), PlayState::Paused);
}

TEST_F(DeviceChoiceTest, ChoosingADeviceWhilePausedRestartsTheEntryOnIt) {
    player->MenuItemUpdateDeviceClick();
    player->BitBtnPlayClick();
    Tick(6);
    player->BitBtnPauseClick();
    ClearLog();

    player->MenuItemDeviceClick(1);

    EXPECT_EQ(player->DeviceName(), "MPEGVideo");
    EXPECT_EQ(view.checkedDevice, 1);
    ASSERT_GE(sim.log->entries().size(), 2u);
    EXPECT_EQ(sim.log->entries()[0].type, "ActiveMovie");
    EXPECT_EQ(sim.log->entries()[0].text, "close");
    EXPECT_EQ(sim.log->entries()[1].type, "MPEGVideo");
    EXPECT_EQ(sim.log->entries()[1].text, Open(movie_));
    EXPECT_EQ(Last(Transport()), "play 10000 60000");
    EXPECT_EQ(player->State(), PlayState::Playing);
}

TEST_F(DeviceChoiceTest, ChoosingADeviceWhileClosedOnlyRemembersIt) {
    player->MenuItemUpdateDeviceClick();
    ClearLog();
    player->MenuItemDeviceClick(1);
    EXPECT_TRUE(AllCommands().isEmpty());
    EXPECT_EQ(player->DeviceName(), "MPEGVideo");
    player->BitBtnPlayClick();
    ASSERT_FALSE(sim.log->entries().empty());
    EXPECT_EQ(sim.log->entries().front().type, "MPEGVideo");
}

TEST_F(DeviceChoiceTest, ConfiguringReappliesThePlaybackState) {
    player->BitBtnPlayClick();
    ClearLog();
    player->ConfigureClick(nullptr);
    EXPECT_EQ(Transport(), (QStringList{"open", "configure", "close", "pause", "resume"}));
    EXPECT_EQ(player->State(), PlayState::Playing);

    player->BitBtnPauseClick();
    ClearLog();
    player->ConfigureClick(nullptr);
    EXPECT_EQ(Transport(), (QStringList{"open", "configure", "close", "resume", "pause"}));
    EXPECT_EQ(player->State(), PlayState::Paused);

    player->SetDeviceName(QStringLiteral("Gone"));
    player->BitBtnStopClick();
    ClearLog();
    player->ConfigureClick(nullptr);
    EXPECT_TRUE(AllCommands().isEmpty()) << "a device that does not open is not configured";
}

}  // namespace
}  // namespace cinevan::test
