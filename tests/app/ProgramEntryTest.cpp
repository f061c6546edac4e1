#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>

#include "app/AlterEgo.h"
#include "app/ApplicationTitle.h"
#include "app/ProgramEntry.h"
#include "app/StrCont.h"
#include "playback/mci/DeviceLayer.h"
#include "ui/About.h"
#include "ui/Forms.h"
#include "ui/FullScreen.h"
#include "ui/Main.h"
#include "ui/MovieLink.h"
#include "ui/MovieList.h"

namespace cinevan {
namespace {

void WriteFile(const QString& path, const QByteArray& text) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(text);
}

TEST(CompanionFile, ReplacesTheProgramsExtension) {
    EXPECT_EQ(CompanionFile("/opt/cv/cinevan", ".str"), "/opt/cv/cinevan.str");
    EXPECT_EQ(CompanionFile("/opt/cv/cinevan.bin", ".ini"), "/opt/cv/cinevan.ini");
    EXPECT_EQ(CompanionFile("/opt/c.v/cinevan", ".str"), "/opt/c.v/cinevan.str");
}

class StartUp : public ::testing::Test {
protected:
    void SetUp() override {
        program_ = folder_.path() + "/player";
        StringContainer().SetFileName(QString());
        for (int i = 0; i < 3; ++i) {
            StringContainer().SetString(i, QString());
        }
    }
    void TearDown() override { StringContainer().SetFileName(QString()); }

    QTemporaryDir folder_;
    QString program_;
};

TEST_F(StartUp, BuiltInFatalTextsStayWithoutCatalog) {
    PrepareCatalog(program_);
    EXPECT_EQ(StringContainer().GetString(0),
              "Active Movie driver is not installed. Do you want to install it?");
    EXPECT_EQ(StringContainer().GetString(1), "Can not create program's forms");
    EXPECT_EQ(StringContainer().GetString(2), "Can not find/execute Active Movie installer.");
}

TEST_F(StartUp, CatalogMergesOverDefaultsUpToABadKey) {
    WriteFile(program_ + ".str",
              "[Fatal Errors]\n0=Kein Treiber. Installieren?\n1=\nbad=x\n2=never read\n");
    PrepareCatalog(program_);
    EXPECT_EQ(StringContainer().GetString(0), "Kein Treiber. Installieren?");
    EXPECT_EQ(StringContainer().GetString(1), "") << "an empty value removes the default";
    EXPECT_EQ(StringContainer().GetString(2), "Can not find/execute Active Movie installer.");
}

TEST_F(StartUp, WindowsAreCreatedInOrderAndLocalised) {
    WriteFile(program_ + ".str",
              "[FormMain]\nFormMain.Caption=Kino\nBitBtnPlay.Hint=Abspielen (Z)\n"
              "ItemPlayPause.Hint=Datei \"%s\" fehlt\n"
              "[FormAbout]\nFormAbout.Caption=Info\nFormAbout.Name=Renamed\n"
              "[FormMovieList]\nButtonClose.Caption=Schliessen\n"
              "[FormEdit]\nLabelTitle.Caption=\n");
    PrepareCatalog(program_);
    SetApplicationTitle("Cinevanm");
    mci::DeviceLayer devices;
    {
        ProgramWindows windows(devices);
        ASSERT_NE(FormMain, nullptr);
        ASSERT_NE(FormMovieList, nullptr);
        ASSERT_NE(FormFullScreen, nullptr);
        ASSERT_NE(FormEdit, nullptr);
        ASSERT_NE(FormAbout, nullptr);
        EXPECT_EQ(FormMain->BitBtnPlay->toolTip(), "Abspielen (Z)");
        EXPECT_EQ(FormMain->BitBtnPlay->accessibleName(), "Abspielen");
        EXPECT_EQ(FormMain->MissingFileFormat(), "Datei \"%s\" fehlt");
        EXPECT_EQ(FormMain->windowTitle(), "Kino") << "empty list: the window's own caption";
        EXPECT_EQ(FormAbout->windowTitle(), "Info");
        EXPECT_EQ(FormAbout->objectName(), "FormAbout");
        EXPECT_EQ(FormAbout->LabelPrgName->text(), "Cinevanm");
        EXPECT_EQ(FormMovieList->ButtonClose->text(), "Schliessen");
        EXPECT_EQ(FormEdit->LabelTitle->text(), "&Title") << "an empty value keeps the text";
        EXPECT_EQ(FormFullScreen->objectName(), "FormFullScreen");
    }
    EXPECT_EQ(FormMain, nullptr);
    EXPECT_EQ(FormAbout, nullptr);
}

TEST_F(StartUp, SystemMenuCarriesTheLocalisedAboutItem) {
    WriteFile(program_ + ".str", "[FormMain]\nItemAbout.Caption=&Info...\n");
    PrepareCatalog(program_);
    mci::DeviceLayer devices;
    ProgramWindows windows(devices);
    const auto& items = windows.Main().SystemMenuItems().Items();
    ASSERT_EQ(items.size(), 2);
    EXPECT_EQ(items[0].commandId, 0);
    EXPECT_EQ(items[0].position, 5);
    EXPECT_EQ(items[1].position, 6);
    EXPECT_EQ(items[1].commandId, 1);
    EXPECT_EQ(items[1].text, "&Info...\tF1");
}

}  // namespace
}  // namespace cinevan
