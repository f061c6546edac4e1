#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QSlider>
#include <QStackedWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QUrl>

#include "app/ApplicationTitle.h"
#include "playback/mci/simulated/SimulatedDevice.h"
#include "tests/support/SimulatedWindows.h"
#include "ui/FullScreen.h"
#include "ui/Main.h"

namespace cinevan {
namespace {

// The main window on simulated devices: every button, label and title it shows.
class MainWindowTest : public test::SimulatedWindowsTest {
protected:
    void SetUp() override { ASSERT_TRUE(ShowActive(CreateMain())); }

    void Load(const QStringList& names) { Player().ProcessCommandLine(names); }
    PlayState State() { return Player().State(); }
    // The control that has the focus in the main window, or gets it back when it is activated.
    QString FocusName() const {
        const QWidget* focused = main_->focusWidget();
        return focused ? focused->objectName() : QString();
    }
};

TEST_F(MainWindowTest, EmptyListShowsOnlyADisabledPlayButton) {
    Load({});
    TFormMain& w = *main_;
    EXPECT_TRUE(w.BitBtnPlay->isVisible());
    EXPECT_FALSE(w.BitBtnPlay->isEnabled());
    EXPECT_FALSE(w.BitBtnPause->isVisible());
    EXPECT_FALSE(w.BitBtnStop->isEnabled());
    EXPECT_FALSE(w.BitBtnPrior->isEnabled());
    EXPECT_FALSE(w.BitBtnNext->isEnabled());
    EXPECT_EQ(w.LabelPositions->text(), "");
    EXPECT_EQ(w.LabelTitle->text(), "");
    EXPECT_EQ(w.windowTitle(), "Cinevan");
    EXPECT_EQ(ApplicationTitle(), "Cinevan");
}

TEST_F(MainWindowTest, ButtonsLabelsAndTitleFollowEveryState) {
    TFormMain& w = *main_;
    Load({Movie("first.mpg"), Movie("Tom & Jerry.b.mpg")});
    ASSERT_EQ(State(), PlayState::Playing);
    EXPECT_FALSE(w.BitBtnPlay->isVisible());
    EXPECT_TRUE(w.BitBtnPause->isVisible());
    EXPECT_TRUE(w.BitBtnPause->isEnabled());
    EXPECT_TRUE(w.BitBtnStop->isEnabled());
    EXPECT_FALSE(w.BitBtnPrior->isEnabled()) << "first entry without Loop";
    EXPECT_TRUE(w.BitBtnNext->isEnabled());
    EXPECT_EQ(w.windowTitle(), "first - [1/2]");
    EXPECT_EQ(w.PageControl->currentWidget(), w.TabSheetMovie);
    EXPECT_EQ(w.LabelDuration->text(), "0:10:00");

    QTest::mouseClick(w.BitBtnPause, Qt::LeftButton);
    EXPECT_EQ(State(), PlayState::Paused);
    EXPECT_TRUE(w.BitBtnPlay->isVisible());
    EXPECT_TRUE(w.BitBtnPlay->isEnabled());
    EXPECT_FALSE(w.BitBtnPause->isVisible());
    EXPECT_TRUE(w.BitBtnStop->isEnabled());

    QTest::mouseClick(w.BitBtnNext, Qt::LeftButton);
    EXPECT_EQ(State(), PlayState::Closed) << "Next while paused stops and does not play";
    EXPECT_EQ(w.LabelTitle->text(), "Tom & Jerry.b") << "the ampersand shows as it is";
    EXPECT_EQ(w.windowTitle(), "Tom & Jerry.b - [2/2]");
    EXPECT_TRUE(w.BitBtnPrior->isEnabled());
    EXPECT_FALSE(w.BitBtnNext->isEnabled());
    EXPECT_FALSE(w.BitBtnStop->isEnabled());
    EXPECT_EQ(w.PageControl->currentWidget(), w.TabSheetPreview);
    EXPECT_EQ(w.LabelDuration->text(), "");

    QTest::mouseClick(w.CheckBoxLoop, Qt::LeftButton);
    EXPECT_TRUE(w.BitBtnNext->isEnabled()) << "Loop enables Next at the last entry at once";
}

TEST_F(MainWindowTest, PlayWithNothingToPlayMovesOnlyTheFocusToTheTrackBar) {
    TFormMain& w = *main_;
    w.BitBtnOpen->setFocus();
    ASSERT_TRUE(w.BitBtnOpen->hasFocus());
    Load({});  // the start-up play action with an empty command line
    EXPECT_TRUE(w.TrackBar->hasFocus());
    EXPECT_EQ(State(), PlayState::Closed);

    Load({Movie("a.mpg")});
    w.Player().ClearMovies();
    w.CheckBoxLoop->setFocus();
    w.Player().BitBtnPlayClick();
    EXPECT_TRUE(w.TrackBar->hasFocus()) << "no current entry: the focus still moves";
}

TEST_F(MainWindowTest, FocusFollowsPlayAndPauseButKeyShortcutsLeaveIt) {
    TFormMain& w = *main_;
    Load({Movie("a.mpg")});
    QTest::mouseClick(w.BitBtnPause, Qt::LeftButton);
    ASSERT_EQ(State(), PlayState::Paused);

    w.BitBtnPlay->setFocus();
    QTest::keyClick(w.BitBtnPlay, Qt::Key_Space);
    EXPECT_EQ(State(), PlayState::Playing);
    EXPECT_TRUE(w.BitBtnPause->hasFocus())
        << "the focus moves to the button that took Play's place";
    QTest::keyClick(w.BitBtnPause, Qt::Key_Space);
    EXPECT_EQ(State(), PlayState::Paused);
    EXPECT_TRUE(w.BitBtnPlay->hasFocus());

    w.CheckBoxShuffle->setFocus();
    QTest::keyClick(&w, Qt::Key_Z);
    EXPECT_EQ(State(), PlayState::Playing) << "Z toggles playback";
    EXPECT_TRUE(w.CheckBoxShuffle->hasFocus()) << "without moving the focus";
    QTest::keyClick(&w, Qt::Key_Z);
    EXPECT_EQ(State(), PlayState::Paused);
    QTest::keyClick(&w, Qt::Key_X);
    EXPECT_EQ(State(), PlayState::Closed);
}

// Play and Pause share one place: when the shown one swaps while it holds the focus, the focus
// goes to the one that took its place, never to the hidden one, also in a window that is not
// active at the time (the focus it gets back on activation).
TEST_F(MainWindowTest, TheFocusNeverStaysOnTheHiddenOfPlayAndPause) {
    TFormMain& w = *main_;
    const auto focusIsShown = [&w] {
        const QWidget* focused = w.focusWidget();
        return focused && focused->isVisible() && focused->isEnabled();
    };
    Load({Movie("a.mpg"), Movie("b.mpg")});
    ASSERT_EQ(State(), PlayState::Playing);

    w.BitBtnPause->setFocus();
    QTest::keyClick(&w, Qt::Key_X);
    ASSERT_EQ(State(), PlayState::Closed);
    EXPECT_EQ(FocusName().toStdString(), "BitBtnPlay") << "Stop: Play took Pause's place";
    QTest::keyClick(&w, Qt::Key_Z);
    ASSERT_EQ(State(), PlayState::Playing);
    EXPECT_EQ(FocusName().toStdString(), "BitBtnPause") << "Z: Pause took Play's place";

    w.BitBtnPause->setFocus();
    QWidget other;
    ASSERT_TRUE(ShowActive(other));
    ASSERT_EQ(FocusName().toStdString(), "BitBtnPause");
    w.Player().BitBtnStopClick();
    ASSERT_EQ(State(), PlayState::Closed);
    EXPECT_EQ(FocusName().toStdString(), "BitBtnPlay") << "stopped from another window";
    other.hide();
    ASSERT_TRUE(ShowActive(w));
    EXPECT_TRUE(w.BitBtnPlay->hasFocus());

    w.Player().BitBtnSkipClick(+1);
    w.Player().BitBtnPlayClick();
    ASSERT_EQ(State(), PlayState::Playing);
    w.BitBtnPause->setFocus();
    for (int tick = 0; tick < 20 && State() == PlayState::Playing; ++tick) {
        sim_.clock->advance(60000);
        w.Player().ActiveMovieTimer();
    }
    ASSERT_NE(State(), PlayState::Playing) << "the last entry ends";
    EXPECT_EQ(FocusName().toStdString(), "BitBtnPlay") << "end of the list";

    for (int press = 0; press < 30; ++press) {
        QTest::keyClick(QApplication::focusWidget(), press < 15 ? Qt::Key_Tab : Qt::Key_Backtab);
        ASSERT_TRUE(focusIsShown()) << "Tab " << press;
    }
}

// Prior and Next, as buttons and as the C and V keys, step one entry through the list.
TEST_F(MainWindowTest, PriorAndNextStepOneEntryByButtonAndKey) {
    TFormMain& w = *main_;
    Load({Movie("a.mpg"), Movie("b.mpg"), Movie("c.mpg")});
    const MovieList& list = Player().List();
    ASSERT_EQ(list.Current(), 0);
    QTest::mouseClick(w.BitBtnNext, Qt::LeftButton);
    EXPECT_EQ(list.Current(), 1);
    QTest::keyClick(&w, Qt::Key_V);
    EXPECT_EQ(list.Current(), 2);
    QTest::mouseClick(w.BitBtnPrior, Qt::LeftButton);
    EXPECT_EQ(list.Current(), 1);
    QTest::keyClick(&w, Qt::Key_C);
    EXPECT_EQ(list.Current(), 0);
    EXPECT_EQ(State(), PlayState::Playing);
}

TEST_F(MainWindowTest, TrackBarFollowsThePositionAndSeeksOnRelease) {
    TFormMain& w = *main_;
    Load({Movie("a.mpg")});
    sim_.clock->advance(3200);
    w.Player().ActiveMovieTimer();
    EXPECT_EQ(w.TrackBar->value(), 4);
    EXPECT_EQ(w.LabelCurrent->text(), "0:00:04");
    EXPECT_EQ(w.TrackBar->maximum(), 600);
    EXPECT_EQ(w.TrackBar->pageStep(), 60);

    // Dragging the thumb with the keyboard while playing continues from the thumb.
    w.TrackBar->setFocus();
    sim_.log->clear();
    QTest::keyClick(w.TrackBar, Qt::Key_PageUp);
    EXPECT_EQ(w.TrackBar->value(), 64);
    EXPECT_EQ(State(), PlayState::Playing);
    EXPECT_EQ(sim_.log->commands(mci::SimulatedLog::Filter::Actions),
              (QStringList{"pause", "play 64000 600000"}));
}

TEST_F(MainWindowTest, FilesDroppedOnTheWindowReplaceTheListAndPlay) {
    TFormMain& w = *main_;
    Load({Movie("old.mpg")});
    QTest::mouseClick(w.BitBtnStop, Qt::LeftButton);
    ASSERT_EQ(State(), PlayState::Closed);

    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(Movie("one.mpg")), QUrl::fromLocalFile(Movie("two.mpg"))});
    QDragEnterEvent enter(QPoint(50, 50), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&w, &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(50, 50), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&w, &drop);

    EXPECT_EQ(w.Player().List().MovieCount(), 2);
    EXPECT_EQ(State(), PlayState::Playing);
    EXPECT_EQ(w.windowTitle(), "one - [1/2]");
}

TEST_F(MainWindowTest, AFolderDroppedOnTheWindowPlaysTheClipsInIt) {
    TFormMain& w = *main_;
    const QString holiday = folder_.path() + "/holiday";
    ASSERT_TRUE(QDir().mkpath(holiday));
    for (const char* name : {"clip10.mpg", "clip2.mpg", "notes.txt"}) {
        test::WriteStandInMovie(holiday + "/" + name);
    }

    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(holiday)});
    QDragEnterEvent enter(QPoint(50, 50), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&w, &enter);
    QDropEvent drop(QPointF(50, 50), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&w, &drop);

    EXPECT_EQ(w.Player().List().MovieCount(), 2);
    EXPECT_EQ(State(), PlayState::Playing);
    EXPECT_EQ(w.windowTitle(), "clip2 - [1/2]");
}

// The window handed the full-screen window moves the playing video there with Full and back
// with Esc, keeping the movie playing; the focus stays on the control in use.
TEST_F(MainWindowTest, FullMovesThePlayingVideoToTheFullScreenWindowAndEscBringsItBack) {
    TFormFullScreen fullScreen(*main_);
    main_->SetCompanions({.fullScreen = &fullScreen});
    Load({Movie("a.mpg")});
    ASSERT_EQ(State(), PlayState::Playing);
    const auto actions = [this] { return sim_.log->commands(mci::SimulatedLog::Filter::Actions); };

    sim_.log->clear();
    main_->CheckBoxFullScreen->setChecked(true);
    EXPECT_TRUE(fullScreen.isVisible());
    EXPECT_TRUE(main_->FullScreenVisible());
    EXPECT_EQ(actions().mid(0, 2), (QStringList{"pause", "window FormFullScreen"}));
    EXPECT_EQ(actions().last(), "resume");
    EXPECT_EQ(State(), PlayState::Playing);

    sim_.log->clear();
    QTest::keyClick(&fullScreen, Qt::Key_Escape);
    EXPECT_FALSE(main_->CheckBoxFullScreen->isChecked());
    EXPECT_FALSE(fullScreen.isVisible());
    EXPECT_TRUE(actions().contains("window TabSheetMovie"));
    EXPECT_FALSE(actions().contains("window FormFullScreen"));
    EXPECT_EQ(State(), PlayState::Playing);
}

TEST_F(MainWindowTest, FullWithoutAPlayingMovieLeavesTheVideoInThePage) {
    TFormFullScreen fullScreen(*main_);
    main_->SetCompanions({.fullScreen = &fullScreen});
    Load({Movie("a.mpg")});
    main_->BitBtnPause->click();
    ASSERT_EQ(State(), PlayState::Paused);
    sim_.log->clear();
    main_->CheckBoxFullScreen->setChecked(true);
    EXPECT_FALSE(fullScreen.isVisible());
    EXPECT_EQ(sim_.log->commands(mci::SimulatedLog::Filter::Actions).value(0),
              "window TabSheetMovie");
    EXPECT_EQ(State(), PlayState::Paused);
}

TEST_F(MainWindowTest, CheckBoxesSpreadOverThePanelWidth) {
    TFormMain& w = *main_;
    w.resize(364, 411);
    QTest::qWait(20);
    ASSERT_EQ(w.PanelChecks->width(), 358);
    EXPECT_EQ(w.CheckBoxFullScreen->x(), 13);
    EXPECT_EQ(w.CheckBoxLoop->x(), 105);
    EXPECT_EQ(w.CheckBoxOnTop->x(), 196);
    EXPECT_EQ(w.CheckBoxShuffle->x(), 288);
    w.resize(506, 411);
    QTest::qWait(20);
    ASSERT_EQ(w.PanelChecks->width(), 500);
    EXPECT_EQ(w.CheckBoxLoop->x(), 141);
    EXPECT_EQ(w.CheckBoxOnTop->x(), 269);
    EXPECT_EQ(w.CheckBoxShuffle->x(), 397);
    EXPECT_EQ(w.TrackBar->width(), w.PanelTracker->width());
    EXPECT_EQ(w.TrackBar->height(), 25);
}

TEST_F(MainWindowTest, ScaleCommandsSizeTheMoviePage) {
    TFormMain& w = *main_;
    Load({Movie("a.mpg")});
    ASSERT_EQ(w.Player().VideoSize(), QSize(352, 288));
    for (const auto& [percent, size] :
         {std::pair{100, QSize(352, 288)}, std::pair{50, QSize(176, 144)},
          std::pair{200, QSize(704, 576)}}) {
        w.MenuItemScale100Click(percent);
        QTest::qWait(20);
        EXPECT_EQ(w.TabSheetMovie->size(), size) << percent << " %";
    }
}

// Each item of the video's pop-up menu, found by its name as the catalog finds it, does what it
// says: the scales size the movie page, Full switches full screen.
TEST_F(MainWindowTest, PopupMenuItemsScaleAndSwitchFullScreen) {
    TFormMain& w = *main_;
    Load({Movie("a.mpg")});
    ASSERT_EQ(w.Player().VideoSize(), QSize(352, 288));
    for (const auto& [name, size] : {std::pair{"MenuItemScale50", QSize(176, 144)},
                                     std::pair{"MenuItemScale75", QSize(264, 216)},
                                     std::pair{"MenuItemScale100", QSize(352, 288)},
                                     std::pair{"MenuItemScale150", QSize(528, 432)},
                                     std::pair{"MenuItemScale200", QSize(704, 576)}}) {
        auto* item = w.PopupMenu->findChild<QAction*>(QString::fromLatin1(name));
        ASSERT_NE(item, nullptr) << name;
        item->trigger();
        EXPECT_TRUE(QTest::qWaitFor([&] { return w.TabSheetMovie->size() == size; }))
            << name << " gave " << w.TabSheetMovie->width() << "x" << w.TabSheetMovie->height();
    }
    auto* full = w.PopupMenu->findChild<QAction*>(QStringLiteral("MenuItemScale1"));
    ASSERT_NE(full, nullptr);
    full->trigger();
    EXPECT_TRUE(w.CheckBoxFullScreen->isChecked());
    full->trigger();
    EXPECT_FALSE(w.CheckBoxFullScreen->isChecked());
}

TEST_F(MainWindowTest, ScaleRoundsHalvesToEven) {
    mci::SimulatedTypeScript odd;
    odd.name = "ActiveMovie";
    odd.defaultElement.sourceSize = QSize(321, 241);
    mci::DeviceLayer layer;
    sim_.add(layer, odd);
    TFormMain w(layer);
    w.show();
    w.TimerOpen->stop();
    w.Player().ProcessCommandLine({Movie("odd.mpg")});
    w.MenuItemScale100Click(50);
    QTest::qWait(20);
    EXPECT_EQ(w.TabSheetMovie->size(), QSize(160, 120)) << "160.5 and 120.5 go to the even side";
}

}  // namespace
}  // namespace cinevan
