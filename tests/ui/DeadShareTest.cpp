// Names on a share that stopped answering, given to the windows from the command line, by drops
// and through the editor's dialogs, and a list saved there: the windows keep answering, the names
// on healthy storage come in, and those on the share are taken as missing.

#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QElapsedTimer>
#include <QFile>
#include <QListWidget>
#include <QMessageBox>
#include <QMimeData>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QUrl>
#include <functional>
#include <optional>

#include "controls/FileCheck.h"
#include "controls/ImageEx.h"
#include "pictures/Picture.h"
#include "platform/BoundedCall.h"
#include "tests/support/CurrentFolder.h"
#include "tests/support/Files.h"
#include "tests/support/HangingShare.h"
#include "tests/support/SimulatedWindows.h"
#include "ui/FileDialogDescription.h"

namespace cinevan {
namespace {

class DeadShareWindowsTest : public test::SimulatedWindowsTest {
protected:
    void SetUp() override {
        share_.emplace();
        if (!share_->mounted()) {
            GTEST_SKIP() << "FUSE cannot be mounted here";
        }
        CreateMain();
        CreateEditor();
        main_->show();
        editor_->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(editor_.get()));
        ASSERT_TRUE(QDir(folder_.path()).mkdir(QStringLiteral("clips")));
        for (const char* name : {"a.mpg", "b.mpg", "clips/c2.mpg", "clips/c1.mpg"}) {
            Movie(QString::fromLatin1(name));
        }
        test::WriteFile(folder_.filePath(QStringLiteral("list.mls")), "b.mpg,B\r\n");
    }
    void TearDown() override {
        DestroyWindows();
        if (share_ && share_->mounted()) {
            share_.reset();
            EXPECT_TRUE(QTest::qWaitFor([] { return boundedWorkRunning == 0; }, 20000))
                << "the lookups left waiting end with the share";
        }
    }

    QString local(const char* name) const { return folder_.filePath(QString::fromLatin1(name)); }
    QString dead(const char* name) const { return share_->path(QString::fromLatin1(name)); }

    // Runs `give` and waits until the names it gives are all in; true when the event loop ran
    // (a timer fired) while they were still coming.
    bool EventLoopRanWhileAdding(const std::function<void()>& give) {
        bool fired = false;
        bool addingWhenFired = false;
        QTimer::singleShot(0, [&] {
            fired = true;
            addingWhenFired = Player().AddingNames();
        });
        give();
        EXPECT_TRUE(QTest::qWaitFor([&] { return fired && !Player().AddingNames(); }, 30000));
        return addingWhenFired;
    }

    static void Drop(QWidget* target, const QStringList& names) {
        QMimeData data;
        QList<QUrl> urls;
        for (const QString& name : names) {
            urls.append(QUrl::fromLocalFile(name));
        }
        data.setUrls(urls);
        QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &data, Qt::LeftButton, {});
        QApplication::sendEvent(target, &enter);
        ASSERT_TRUE(enter.isAccepted());
        QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &data, Qt::LeftButton, {});
        QApplication::sendEvent(target, &drop);
    }

    QStringList FileNames() {
        QStringList names;
        for (int i = 0; i < Player().List().MovieCount(); ++i) {
            names.append(QFile::decodeName(Player().List().GetMovieField(i, MovieList::kFileName)));
        }
        return names;
    }

    test::CurrentFolderGuard folderGuard_;
    std::optional<test::HangingShare> share_;
};

TEST_F(DeadShareWindowsTest, CommandLineNamesOnTheShareAreMissingAndTheRestPlays) {
    main_->SetCommandLine({local("a.mpg"), dead("list.mls"), dead("list.m3u"), dead("x.mpg"),
                           local("clips"), local("list.mls")});
    EXPECT_TRUE(EventLoopRanWhileAdding([this] { main_->TimerOpenTimer(); }));
    EXPECT_EQ(FileNames(), (QStringList{local("a.mpg"), dead("x.mpg"), local("clips/c1.mpg"),
                                        local("clips/c2.mpg"), local("b.mpg")}));
    EXPECT_EQ(editor_->ListBoxMovies->count(), 5);
    EXPECT_EQ(Player().List().Current(), 0);
    EXPECT_EQ(Player().State(), PlayState::Playing) << "playing starts once the names are in";
    EXPECT_EQ(QDir::currentPath(), folder_.path());
}

TEST_F(DeadShareWindowsTest, AFolderDroppedFromTheShareOnTheMainWindowReplacesTheListAsMissing) {
    Player().ProcessCommandLine({local("a.mpg")});
    ASSERT_EQ(Player().State(), PlayState::Playing);
    EXPECT_TRUE(EventLoopRanWhileAdding([this] {
        Drop(main_.get(), {local("clips"), dead("movies"), local("list.mls")});
    }));
    EXPECT_EQ(FileNames(), (QStringList{local("clips/c1.mpg"), local("clips/c2.mpg"),
                                        dead("movies"), local("b.mpg")}));
    EXPECT_EQ(Player().List().Current(), 0);
    EXPECT_EQ(Player().State(), PlayState::Playing);
}

TEST_F(DeadShareWindowsTest, AMovieTheUserPausedMeanwhileStaysPausedWhenTheNamesAreIn) {
    Drop(main_.get(), {local("a.mpg"), dead("x.mpg")});
    ASSERT_TRUE(QTest::qWaitFor([this] { return Player().List().MovieCount() == 1; }, 10000));
    ASSERT_TRUE(Player().AddingNames());
    QTest::mouseClick(main_->BitBtnPlay, Qt::LeftButton);
    ASSERT_EQ(Player().State(), PlayState::Playing);
    QTest::mouseClick(main_->BitBtnPause, Qt::LeftButton);
    ASSERT_EQ(Player().State(), PlayState::Paused);
    ASSERT_TRUE(QTest::qWaitFor([this] { return !Player().AddingNames(); }, 30000));
    EXPECT_EQ(FileNames(), (QStringList{local("a.mpg"), dead("x.mpg")}));
    EXPECT_EQ(Player().State(), PlayState::Paused);
    EXPECT_EQ(Player().List().Current(), 0);
}

TEST_F(DeadShareWindowsTest, TheEditorAppendsDropsAndChosenFilesInTheirOrderWhilePlaying) {
    Player().ProcessCommandLine({local("a.mpg")});
    ASSERT_EQ(Player().State(), PlayState::Playing);
    editor_->OpenDialog->SetRunner([this](FileDialogDescription&, QWidget*) {
        return QStringList{dead("list.xspf"), local("clips/c1.mpg")};
    });
    EXPECT_TRUE(EventLoopRanWhileAdding([this] {
        Drop(editor_->ListBoxMovies->viewport(), {dead("x.mpg"), local("b.mpg")});
        QTest::mouseClick(editor_->ButtonAdd, Qt::LeftButton);
    }));
    EXPECT_EQ(FileNames(),
              (QStringList{local("a.mpg"), dead("x.mpg"), local("b.mpg"), local("clips/c1.mpg")}));
    EXPECT_EQ(editor_->ListBoxMovies->count(), 4);
    EXPECT_EQ(Player().List().Current(), 0);
    EXPECT_EQ(Player().State(), PlayState::Playing) << "appending leaves playback alone";
}

TEST_F(DeadShareWindowsTest, ClearingTheListDropsTheNamesStillToCome) {
    Player().ProcessCommandLine({local("a.mpg")});
    Drop(editor_->ListBoxMovies->viewport(), {dead("x.mpg"), local("b.mpg")});
    ASSERT_TRUE(Player().AddingNames());
    QTest::mouseClick(editor_->ButtonClear, Qt::LeftButton);
    EXPECT_FALSE(Player().AddingNames());
    QTest::qWait(static_cast<int>(kNameLookupStall.count()) + 1000);
    EXPECT_EQ(Player().List().MovieCount(), 0);
    EXPECT_EQ(editor_->ListBoxMovies->count(), 0);
}

TEST_F(DeadShareWindowsTest, ACoverOnTheShareLeavesThePreviewEmptyAfterAMoment) {
    Player().ProcessCommandLine({local("a.mpg")});
    Player().BitBtnStopClick();
    Player().List().SetMovieField(0, MovieList::kCover, QFile::encodeName(dead("cover.bmp")));
    QElapsedTimer clock;
    clock.start();
    main_->LoadCoverPreview();
    EXPECT_LT(clock.elapsed(), kFileCheckLimitMs + 2000) << "well before the picture's own limit";
    EXPECT_EQ(main_->ImagePreview->picture()->width(), 0);
}

TEST_F(DeadShareWindowsTest, ASaveToTheShareShowsTheErrorBoxLaterAndKeepsTheList) {
    Player().ProcessCommandLine({local("a.mpg"), local("b.mpg")});
    const QByteArrayList lines = Player().List().Lines();
    const QString target = dead("saved.mls");
    editor_->SaveDialog->SetRunner(
        [&](FileDialogDescription&, QWidget*) { return QStringList{target}; });
    std::optional<bool> boxWhenTimerFired;
    QString shown;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (!boxWhenTimerFired) {
            boxWhenTimerFired = !shown.isEmpty();
        }
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            shown = box->text();
            box->accept();
        }
    });
    poll.start(20);
    QTest::mouseClick(editor_->ButtonSaveAs, Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !shown.isEmpty(); }, 30000));
    EXPECT_EQ(boxWhenTimerFired, false) << "the window answered while the save was waited for";
    EXPECT_EQ(shown, "Cannot create file " + target);
    EXPECT_EQ(Player().List().Lines(), lines);
}

}  // namespace
}  // namespace cinevan
