#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QPushButton>
#include <QSettings>
#include <QTest>
#include <QTimer>
#include <memory>

#include "playback/mci/simulated/SimulatedDevice.h"
#include "settings/FormStorage.h"
#include "tests/support/SimulatedWindows.h"
#include "tests/support/TestEnvironment.h"
#include "ui/Main.h"
#include "ui/MovieList.h"

namespace cinevan {
namespace {

QString ConfigFile() {
    return test::privateHome() + "/config/Vantrel/Cinevan/1.0.conf";
}

QVariant Raw(const QString& section, const QString& name) {
    return QSettings(ConfigFile(), QSettings::IniFormat).value(section + "/" + name);
}

void Store(const QString& section, const QString& name, const QString& value) {
    QSettings(ConfigFile(), QSettings::IniFormat).setValue(section + "/" + name, value);
}

// Alt+E is a shortcut of the main window: it works while that window is active. The editor
// takes the activation when Alt+E shows it, so the main window is made the active one first.
void PressAltE(TFormMain& window) {
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitFor([&] { return QApplication::activeWindow() == &window; }));
    QTest::keyClick(&window, Qt::Key_E, Qt::AltModifier);
}

void SetFrameRect(QWidget& window, const QRect& frame) {
    const QSize extra = window.frameGeometry().size() - window.size();
    window.move(frame.topLeft());
    window.resize(frame.size() - extra);
}

// The main window and the Movie List Editor on simulated devices, as the program makes them.
class WindowStorageTest : public test::SimulatedWindowsTest {
protected:
    void SetUp() override {
        QFile::remove(ConfigFile());
        TFormPlacement::SetErrorDisplay(
            [this](QWidget*, const QString& text) { errors_.append(text); });
    }

    void TearDown() override {
        DestroyWindows();
        TFormPlacement::SetErrorDisplay(nullptr);
        QFile::remove(ConfigFile());
    }

    TFormMain& Create() {
        DestroyWindows();
        CreateMain();
        CreateEditor();
        return *main_;
    }

    TFormMain& CreateAndShow() {
        TFormMain& window = Create();
        EXPECT_TRUE(ShowActive(window));
        return window;
    }

    QStringList errors_;
};

TEST_F(WindowStorageTest, FirstRunUsesActiveMovieAndCloseSavesEverything) {
    TFormMain& window = CreateAndShow();
    EXPECT_EQ(window.Player().DeviceName(), "ActiveMovie");
    window.Player().SetDeviceName("MPEGVideo");
    window.CheckBoxShuffle->setChecked(true);
    ASSERT_TRUE(window.close());

    EXPECT_EQ(Raw("Main", "CurrentDevice").toString(), "MPEGVideo");
    EXPECT_EQ(Raw("Main", "CheckBoxShuffle_Checked").toString(), "True");
    for (const char* box : {"CheckBoxFullScreen", "CheckBoxLoop", "CheckBoxOnTop"}) {
        EXPECT_EQ(Raw("Main", QString::fromLatin1(box) + "_Checked").toString(), "False") << box;
    }
    EXPECT_EQ(Raw("Main", "Visible").toString(), "0");
    EXPECT_EQ(Raw("Main", "ShowCmd").toString(), "1");
    EXPECT_TRUE(Raw("Main", "NormPos").isValid());
    EXPECT_FALSE(Raw("Playlist", "NormPos").isValid()) << "the editor was never shown";
    EXPECT_TRUE(errors_.isEmpty());

    TFormMain& again = CreateAndShow();
    EXPECT_EQ(again.Player().DeviceName(), "MPEGVideo");
    EXPECT_TRUE(again.CheckBoxShuffle->isChecked());
}

TEST_F(WindowStorageTest, RestoredCheckBoxesRunTheirHandlers) {
    Store("Main", "CheckBoxOnTop_Checked", "True");
    Store("Main", "CheckBoxLoop_Checked", "true");
    TFormMain& window = CreateAndShow();
    EXPECT_TRUE(window.CheckBoxLoop->isChecked());
    EXPECT_TRUE(window.CheckBoxOnTop->isChecked());
    EXPECT_TRUE(window.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_TRUE(window.isVisible());
}

TEST_F(WindowStorageTest, MainWindowDestroyedWithoutClosingStillSavesItsDevice) {
    Create();  // never shown: nothing to save
    DestroyWindows();
    EXPECT_FALSE(QFile::exists(ConfigFile()));

    TFormMain& window = CreateAndShow();
    window.Player().SetDeviceName("MPEGVideo");
    DestroyWindows();
    EXPECT_EQ(Raw("Main", "CurrentDevice").toString(), "MPEGVideo");
    EXPECT_EQ(Raw("Main", "Visible").toString(), "1");
}

TEST_F(WindowStorageTest, EditorHiddenWithAltEReappearsAtItsSavedPlace) {
    TFormMain& window = CreateAndShow();
    TFormMovieList& editor = *editor_;
    PressAltE(window);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&editor));
    SetFrameRect(editor, QRect(200, 150, 300, 250));
    editor.CheckBoxLink->setChecked(true);
    ASSERT_TRUE(editor.close());
    EXPECT_EQ(Raw("Playlist", "NormPos").toString(), "200,150,500,400");
    EXPECT_EQ(Raw("Playlist", "CheckBoxLink_Checked").toString(), "True");

    PressAltE(window);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&editor));
    SetFrameRect(editor, QRect(20, 30, 260, 200));
    PressAltE(window);
    ASSERT_FALSE(editor.isVisible());
    PressAltE(window);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&editor));
    EXPECT_EQ(editor.frameGeometry(), QRect(200, 150, 300, 250));
}

TEST_F(WindowStorageTest, EditorCannotBeMadeSmallerThan180By132) {
    CreateAndShow();
    TFormMovieList& editor = *editor_;
    editor.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&editor));
    editor.resize(60, 40);
    EXPECT_EQ(editor.frameGeometry().size(), QSize(180, 132)) << "the frame counts";
    EXPECT_EQ(editor.FormStorage->MinMaxInfo().MinTrackWidth, 180);
}

}  // namespace
}  // namespace cinevan
