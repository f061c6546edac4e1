#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QDropEvent>
#include <QFile>
#include <QFileDialog>
#include <QImage>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QMimeData>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QUrl>
#include <QWindow>
#include <functional>

#include "app/FormLocalizer.h"
#include "platform/PrivateProfile.h"
#include "playback/mci/simulated/SimulatedDevice.h"
#include "tests/support/Files.h"
#include "tests/support/SimulatedWindows.h"
#include "ui/FileDialogDescription.h"
#include "ui/Main.h"
#include "ui/MovieItemDelegate.h"
#include "ui/MovieLink.h"
#include "ui/MovieList.h"

namespace cinevan {
namespace {

// The editor beside the main window on simulated devices; the main window's refreshes reach
// the editor as in the program.
class MovieListEditorTest : public test::SimulatedWindowsTest {
protected:
    void SetUp() override {
        CreateMain();
        CreateEditor();
        main_->show();
        ASSERT_TRUE(ShowActive(*editor_));
        // Every test starts unlinked, whatever an earlier one left in the stored settings.
        editor_->CheckBoxLink->setChecked(false);
    }

    void TearDown() override { QDir::setCurrent(startFolder_); }

    // Loads movies named a.mpg, b.mpg ... (titles "a", "b" ...); the first one plays.
    void LoadMovies(int count) {
        QStringList names;
        for (int i = 0; i < count; ++i) {
            names.append(Movie(QString(QChar('a' + i)) + ".mpg"));
        }
        Player().ProcessCommandLine(names);
    }

    QListWidget* List() { return editor_->ListBoxMovies; }

    QStringList Titles() {
        QStringList titles;
        for (int i = 0; i < List()->count(); ++i) {
            titles.append(List()->item(i)->text());
        }
        return titles;
    }

    void ClickItem(int row) {
        const QRect rect = List()->visualItemRect(List()->item(row));
        QTest::mouseClick(List()->viewport(), Qt::LeftButton, {}, rect.center());
    }

    void PressOnList(Qt::Key key, Qt::KeyboardModifiers modifiers = {}) {
        List()->setFocus();
        QTest::keyClick(List(), key, modifiers);
    }

    QPoint ItemCenter(int row) { return List()->visualItemRect(List()->item(row)).center(); }

    int OpenCount() {
        return int(sim_.log->commands(mci::SimulatedLog::Filter::Actions)
                       .filter(QRegularExpression("^open ."))
                       .size());
    }

    // Saves through the real file dialog into the test's folder under the name "chosen";
    // `choose` works in the dialog first and answers false to cancel it. Returns how many looks
    // at the open dialog it took.
    int SaveAsChosen(const std::function<bool(QFileDialog&)>& choose) {
        QDir::setCurrent(folder_.path());
        QTimer poll;
        int tries = 0;
        QObject::connect(&poll, &QTimer::timeout, [&] {
            auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            if (!dialog) {
                return;
            }
            auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
            if (++tries > 100 || !name || !choose(*dialog)) {
                dialog->reject();
                return;
            }
            // Typed into the file name box: selectFile() leaves the box alone once it has the
            // keyboard focus, and accepting an empty name keeps the dialog open.
            name->setText(QStringLiteral("chosen"));
            QMetaObject::invokeMethod(dialog, "accept");
        });
        poll.start(20);
        editor_->ButtonSaveAsClick();
        return tries;
    }

    QString startFolder_ = QDir::currentPath();
};

TEST_F(MovieListEditorTest, EmptyListEnablesOnlyAddCloseAndLinked) {
    LoadMovies(2);
    QTest::mouseClick(editor_->ButtonClear, Qt::LeftButton);
    ASSERT_EQ(List()->count(), 0);
    EXPECT_EQ(Player().State(), PlayState::Closed);
    TFormMovieList& e = *editor_;
    EXPECT_TRUE(e.ButtonAdd->isEnabled());
    EXPECT_TRUE(e.ButtonClose->isEnabled());
    EXPECT_TRUE(e.CheckBoxLink->isEnabled());
    for (QPushButton* button : {e.ButtonSaveAs, e.ButtonClear, e.ButtonEdit, e.ButtonCopy,
                                e.ButtonSkip, e.ButtonDelete, e.ButtonUp, e.ButtonDown}) {
        EXPECT_FALSE(button->isEnabled()) << button->objectName().toStdString();
    }
    EXPECT_EQ(e.LabelPositions->text(), "0/0/0");
    e.CheckBoxLink->click();
    EXPECT_EQ(e.LabelPositions->text(), "0/0");
}

TEST_F(MovieListEditorTest, CounterAndButtonsFollowSelectionAndCurrentEntry) {
    LoadMovies(3);
    EXPECT_EQ(Titles(), (QStringList{"a", "b", "c"}));
    EXPECT_EQ(List()->visualItemRect(List()->item(1)).height(), MovieItemDelegate::kItemHeight);
    EXPECT_EQ(editor_->SelectedIndex(), 0) << "a list without selection selects its first item";
    Player().GoToMovie(2);
    ClickItem(1);
    EXPECT_EQ(editor_->LabelPositions->text(), "2/3/3");
    EXPECT_TRUE(editor_->ButtonSkip->isEnabled());
    EXPECT_TRUE(editor_->ButtonUp->isEnabled());
    EXPECT_TRUE(editor_->ButtonDown->isEnabled());
    ClickItem(2);
    EXPECT_FALSE(editor_->ButtonSkip->isEnabled()) << "the selected entry is current";
    EXPECT_FALSE(editor_->ButtonDown->isEnabled());
    editor_->CheckBoxLink->click();
    EXPECT_EQ(editor_->LabelPositions->text(), "3/3");
}

TEST_F(MovieListEditorTest, RebuildKeepsTheSelectionInsideTheList) {
    LoadMovies(3);
    ClickItem(2);
    PressOnList(Qt::Key_Delete);
    EXPECT_EQ(Titles(), (QStringList{"a", "b"}));
    EXPECT_EQ(editor_->SelectedIndex(), 1) << "beyond the new end selects the last item";
    ClickItem(0);
    QTest::mouseClick(editor_->ButtonCopy, Qt::LeftButton);
    EXPECT_EQ(Titles(), (QStringList{"a", "b", "a"}));
    EXPECT_EQ(editor_->SelectedIndex(), 2) << "the copy is selected";
    Player().List().AddMovies({QFile::encodeName(Movie("d.mpg"))}, false);
    EXPECT_EQ(editor_->SelectedIndex(), 2) << "an index still inside the list stays";
    EXPECT_EQ(Player().List().Current(), 0);
}

TEST_F(MovieListEditorTest, MoveShortcutsChangeNothingAtTheEnds) {
    LoadMovies(4);
    ClickItem(3);
    EXPECT_FALSE(editor_->ButtonDown->isEnabled());
    PressOnList(Qt::Key_Down, Qt::ControlModifier);
    EXPECT_EQ(Titles(), (QStringList{"a", "b", "c", "d"}));
    EXPECT_EQ(editor_->SelectedIndex(), 3);
    ClickItem(0);
    PressOnList(Qt::Key_Up, Qt::ControlModifier);
    EXPECT_EQ(Titles(), (QStringList{"a", "b", "c", "d"}));
    EXPECT_EQ(editor_->SelectedIndex(), 0);

    ClickItem(1);
    PressOnList(Qt::Key_Up, Qt::ControlModifier);
    EXPECT_EQ(Titles(), (QStringList{"b", "a", "c", "d"}));
    EXPECT_EQ(editor_->SelectedIndex(), 0);
    EXPECT_EQ(Player().List().Current(), 1) << "the current entry follows its move";
    EXPECT_EQ(Player().State(), PlayState::Paused) << "a move pauses the playing movie";
    QTest::mouseClick(editor_->ButtonDown, Qt::LeftButton);
    QTest::mouseClick(editor_->ButtonDown, Qt::LeftButton);
    EXPECT_EQ(Titles(), (QStringList{"a", "c", "b", "d"}));
    EXPECT_EQ(editor_->SelectedIndex(), 2);
}

TEST_F(MovieListEditorTest, MovingInAOneEntryListKeepsTheSelection) {
    LoadMovies(1);
    PressOnList(Qt::Key_Down, Qt::ControlModifier);
    PressOnList(Qt::Key_Up, Qt::ControlModifier);
    EXPECT_EQ(editor_->SelectedIndex(), 0);
    EXPECT_TRUE(editor_->ButtonEdit->isEnabled());
}

TEST_F(MovieListEditorTest, DroppingAnItemBelowPlacesItAfterAndAbovePlacesItBefore) {
    LoadMovies(4);
    ClickItem(0);
    EXPECT_FALSE(editor_->ListBoxMoviesDragOver(List(), ItemCenter(0)))
        << "not onto the dragged item itself";
    EXPECT_FALSE(editor_->ListBoxMoviesDragOver(editor_->ButtonAdd, ItemCenter(2)))
        << "only drags from the list itself";
    EXPECT_TRUE(editor_->ListBoxMoviesDragOver(List(), ItemCenter(2)));
    EXPECT_EQ(editor_->DragOverIndex(), 2);
    editor_->ListBoxMoviesDragDrop(List(), ItemCenter(2));
    EXPECT_EQ(Titles(), (QStringList{"b", "c", "a", "d"}));
    EXPECT_EQ(editor_->SelectedIndex(), 2);
    EXPECT_EQ(editor_->DragOverIndex(), -1);

    ClickItem(3);
    editor_->ListBoxMoviesDragOver(List(), ItemCenter(0));
    editor_->ListBoxMoviesDragDrop(List(), ItemCenter(0));
    EXPECT_EQ(Titles(), (QStringList{"d", "b", "c", "a"}));
    EXPECT_EQ(editor_->SelectedIndex(), 0);

    const QPoint belowLast = ItemCenter(3) + QPoint(0, 2 * MovieItemDelegate::kItemHeight);
    ASSERT_EQ(List()->indexAt(belowLast), QModelIndex());
    EXPECT_TRUE(editor_->ListBoxMoviesDragOver(List(), belowLast));
    editor_->ListBoxMoviesDragDrop(List(), belowLast);
    EXPECT_EQ(Titles(), (QStringList{"b", "c", "a", "d"})) << "below the last item goes last";
    EXPECT_EQ(editor_->SelectedIndex(), 3);
}

TEST_F(MovieListEditorTest, CurrentEntryIsDrawnBoldWhetherSelectedOrNot) {
    Player().List().AddMovies(
        {QFile::encodeName(Movie("WWWW.mpg")), QFile::encodeName(Movie("WWWW.mpeg")),
         QFile::encodeName(Movie("other.mpg"))},
        false);
    ClickItem(2);
    const auto inkOf = [this](int row) {
        const QImage image = List()->viewport()->grab().toImage();
        const QRect rect = List()->visualItemRect(List()->item(row));
        const QRgb background = image.pixel(rect.right() - 1, rect.center().y());
        int ink = 0;
        for (int y = rect.top(); y <= rect.bottom(); ++y) {
            for (int x = rect.left(); x <= rect.right(); ++x) {
                ink += image.pixel(x, y) != background ? 1 : 0;
            }
        }
        return ink;
    };
    ASSERT_EQ(Player().List().Current(), 0);
    const int currentInk = inkOf(0);
    const int otherInk = inkOf(1);
    EXPECT_GT(otherInk, 0);
    EXPECT_GT(currentInk, otherInk);
    Player().GoToMovie(1);
    EXPECT_GT(inkOf(1), inkOf(0)) << "the bold face moves with the current entry";
}

TEST_F(MovieListEditorTest, LongTitlesEndInAnEllipsisAndAmpersandsShow) {
    const QFontMetrics metrics(List()->font());
    const QString title = QStringLiteral("Tom & Jerry");
    EXPECT_EQ(ElidedItemText(title, metrics, 1000), title);
    const QString cut = ElidedItemText(title + QString(40, 'x'), metrics, 60);
    EXPECT_TRUE(cut.endsWith(QChar(0x2026))) << cut.toStdString();
    EXPECT_TRUE(cut.startsWith("Tom &")) << cut.toStdString();
    EXPECT_LE(metrics.horizontalAdvance(cut), 60);
    EXPECT_EQ(ElidedItemText("two\nlines", metrics, 1000), "two lines");

    Player().List().AddMovies({QFile::encodeName(Movie(title + QString(80, 'x') + ".mpg"))}, false);
    EXPECT_EQ(List()->visualItemRect(List()->item(0)).width(), List()->viewport()->width())
        << "a long title is cut at the list's width, not scrolled";
}

TEST_F(MovieListEditorTest, LinkedSelectionWithDownSwitchesThePlayingMovieOnce) {
    LoadMovies(3);
    ASSERT_EQ(Player().State(), PlayState::Playing);
    editor_->CheckBoxLink->click();
    sim_.log->clear();
    PressOnList(Qt::Key_Down);
    EXPECT_EQ(Player().List().Current(), 1);
    EXPECT_EQ(Player().State(), PlayState::Playing);
    EXPECT_EQ(OpenCount(), 1) << sim_.log->commands().join("\n").toStdString();
    EXPECT_EQ(editor_->SelectedIndex(), 1);
    EXPECT_EQ(editor_->LabelPositions->text(), "2/3");

    ClickItem(2);
    EXPECT_EQ(Player().List().Current(), 2);
    EXPECT_EQ(OpenCount(), 2);
}

// The editor is active: the main window's shortcuts and mnemonics stay out of it.
TEST_F(MovieListEditorTest, MainWindowKeysDoNotActInTheEditor) {
    LoadMovies(2);
    ASSERT_EQ(Player().State(), PlayState::Playing);
    for (const Qt::Key key : {Qt::Key_X, Qt::Key_Z, Qt::Key_V}) {
        PressOnList(key);
    }
    EXPECT_EQ(Player().State(), PlayState::Playing);
    EXPECT_EQ(Player().List().Current(), 0);
    // The editor's own mnemonics are checked under a window manager (tests/e2e).
    editor_->ButtonClose->setFocus();
    QTest::keyClick(editor_->ButtonClose, Qt::Key_O, Qt::AltModifier);
    QTest::keyClick(editor_->ButtonClose, Qt::Key_L, Qt::AltModifier);
    QTest::keyClick(editor_->ButtonClose, Qt::Key_F, Qt::AltModifier);
    EXPECT_FALSE(main_->CheckBoxOnTop->isChecked()) << "the main window's On top is not reached";
    EXPECT_FALSE(main_->CheckBoxLoop->isChecked());
    EXPECT_FALSE(main_->CheckBoxFullScreen->isChecked());
    EXPECT_TRUE(editor_->isActiveWindow());
}

TEST_F(MovieListEditorTest, LinkedModePutsProgrammaticSelectionsBack) {
    LoadMovies(3);
    Player().BitBtnStopClick();
    ClickItem(2);
    editor_->CheckBoxLink->click();
    EXPECT_EQ(editor_->SelectedIndex(), 0) << "linking selects the current entry";
    List()->setCurrentRow(1);
    EXPECT_EQ(editor_->SelectedIndex(), 0);
    EXPECT_EQ(Player().List().Current(), 0);
    Player().GoToMovie(2);
    EXPECT_EQ(editor_->SelectedIndex(), 2) << "the selection follows the current entry";
    QTest::mouseClick(editor_->ButtonCopy, Qt::LeftButton);
    EXPECT_EQ(List()->count(), 4);
    EXPECT_EQ(editor_->SelectedIndex(), 3) << "Copy selects the copy also while linked";
    EXPECT_EQ(Player().List().Current(), 2) << "without making it current";
    EXPECT_EQ(editor_->LabelPositions->text(), "3/4");
    editor_->RefreshList(false);
    EXPECT_EQ(editor_->SelectedIndex(), 2) << "the next refresh brings the link back";

    // Keys released outside the list do not leave it believing the user is selecting.
    List()->setFocus();
    QTest::keyPress(List(), Qt::Key_Tab);
    List()->setCurrentRow(0);
    EXPECT_EQ(Player().List().Current(), 2);
}

TEST_F(MovieListEditorTest, SpaceResumesThePausedCurrentEntryAndSkipsToOthers) {
    LoadMovies(2);
    Player().BitBtnPauseClick();
    ASSERT_EQ(Player().State(), PlayState::Paused);
    ASSERT_EQ(editor_->SelectedIndex(), 0);
    EXPECT_FALSE(editor_->ButtonSkip->isEnabled());
    PressOnList(Qt::Key_Space);
    EXPECT_EQ(Player().State(), PlayState::Playing) << "the shortcut runs its disabled button";

    ClickItem(1);
    PressOnList(Qt::Key_Space);
    EXPECT_EQ(Player().List().Current(), 1);
    EXPECT_EQ(Player().State(), PlayState::Playing) << "it was playing, so the new one plays";

    QTest::mouseClick(List()->viewport(), Qt::LeftButton, Qt::ControlModifier, ItemCenter(1));
    ASSERT_EQ(editor_->SelectedIndex(), -1);
    sim_.log->clear();
    PressOnList(Qt::Key_Space);
    EXPECT_EQ(OpenCount(), 0) << "nothing selected: the playing movie is left alone";
    EXPECT_EQ(Player().State(), PlayState::Playing);

    Player().BitBtnStopClick();
    ClickItem(0);
    QTest::mouseDClick(List()->viewport(), Qt::LeftButton, {}, ItemCenter(0));
    EXPECT_EQ(Player().List().Current(), 0) << "a double click skips";
    EXPECT_EQ(Player().State(), PlayState::Closed) << "nothing was playing";
}

TEST_F(MovieListEditorTest, FilesDroppedFromTheShellAreAppendedWhilePlaybackGoesOn) {
    LoadMovies(1);
    ASSERT_EQ(Player().State(), PlayState::Playing);
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(Movie("x.mpg")), QUrl::fromLocalFile(Movie("y.mpg"))});
    QWidget* viewport = List()->viewport();
    QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &data, Qt::LeftButton, {});
    QApplication::sendEvent(viewport, &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &data, Qt::LeftButton, {});
    QApplication::sendEvent(viewport, &drop);
    EXPECT_EQ(Titles(), (QStringList{"a", "x", "y"}));

    QDragEnterEvent enterWindow(QPoint(5, 5), Qt::CopyAction, &data, Qt::LeftButton, {});
    QApplication::sendEvent(editor_.get(), &enterWindow);
    EXPECT_TRUE(enterWindow.isAccepted());
    QDropEvent onWindow(QPointF(5, 5), Qt::CopyAction, &data, Qt::LeftButton, {});
    QApplication::sendEvent(editor_.get(), &onWindow);
    EXPECT_EQ(List()->count(), 5);
    EXPECT_EQ(Player().State(), PlayState::Playing);
    EXPECT_EQ(Player().List().Current(), 0);
}

TEST_F(MovieListEditorTest, SavedListAddsBackThroughTheDialogs) {
    Player().List().AddMovies({QFile::encodeName(Movie("a.mpg"))}, false);
    Player().List().SetMovieField(0, MovieList::kTitle, "A title, with a comma");
    Player().List().AddMovies({QFile::encodeName(Movie("b.mpg"))}, false);
    const QByteArrayList lines = Player().List().Lines();

    QDir(folder_.path()).mkdir("lists");
    const QString saved = folder_.filePath("lists/saved.mls");
    editor_->SaveDialog->SetRunner(
        [&](FileDialogDescription&, QWidget*) { return QStringList{saved}; });
    PressOnList(Qt::Key_F2);
    ASSERT_TRUE(QFile::exists(saved));
    QTest::mouseClick(editor_->ButtonClear, Qt::LeftButton);
    ASSERT_EQ(List()->count(), 0);

    QFile relative(folder_.filePath("lists/relative.mls"));
    ASSERT_TRUE(relative.open(QIODevice::WriteOnly));
    relative.write("\"clip.mpg\"\r\n");
    relative.close();
    QDir::setCurrent(QDir::tempPath());
    editor_->OpenDialog->SetRunner([&](FileDialogDescription&, QWidget*) {
        return QStringList{saved, folder_.filePath("lists/relative.mls")};
    });
    QTest::mouseClick(editor_->ButtonAdd, Qt::LeftButton);
    ASSERT_EQ(Player().List().MovieCount(), 3);
    EXPECT_EQ(Player().List().Lines().mid(0, 2), lines);
    EXPECT_EQ(Titles(), (QStringList{"A title, with a comma", "b", "clip"}));
    EXPECT_EQ(Player().List().GetMovieField(2, MovieList::kFileName),
              QFile::encodeName(folder_.filePath("lists/clip.mpg")))
        << "relative names resolve in the folder the files were chosen in";

    editor_->OpenDialog->SetRunner([](FileDialogDescription&, QWidget*) { return QStringList{}; });
    PressOnList(Qt::Key_Insert);
    EXPECT_EQ(Player().List().MovieCount(), 3) << "a cancelled dialog adds nothing";
}

TEST_F(MovieListEditorTest, SaveFailureShowsTheErrorBox) {
    LoadMovies(1);
    const QString target = folder_.filePath("missing/folder/list.mls");
    editor_->SaveDialog->SetRunner(
        [&](FileDialogDescription&, QWidget*) { return QStringList{target}; });
    QString shown;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            shown = box->text();
            box->accept();
        }
    });
    poll.start(20);
    QTest::mouseClick(editor_->ButtonSaveAs, Qt::LeftButton);
    EXPECT_EQ(shown, "Cannot create file " + target);
    EXPECT_EQ(Player().List().MovieCount(), 1);
}

TEST_F(MovieListEditorTest, FileDialogsAreDescribedForTheCatalogAndConfigured) {
    QFileDialog open;
    editor_->OpenDialog->Configure(open);
    EXPECT_EQ(open.windowTitle(), "Open Movies");
    EXPECT_EQ(open.fileMode(), QFileDialog::ExistingFiles);
    EXPECT_EQ(open.acceptMode(), QFileDialog::AcceptOpen);
    ASSERT_EQ(open.nameFilters().size(), 5);
    EXPECT_EQ(open.nameFilters()[1], "Playlists (*.m3u;*.m3u8;*.xspf) (*.m3u *.m3u8 *.xspf)");
    EXPECT_EQ(open.nameFilters()[2], "Movie files (*.mpg;*.mpeg;*.dat) (*.mpg *.mpeg *.dat)");
    EXPECT_TRUE(open.nameFilters()[3].startsWith("All video files ("));
    for (const char* pattern : {"*.mp4", "*.mkv", "*.webm", "*.avi", "*.mov", "*.ogv"}) {
        EXPECT_TRUE(open.nameFilters()[3].contains(QString(" ") + pattern + " ") ||
                    open.nameFilters()[3].contains(QString("(") + pattern + " "))
            << pattern;
    }
    EXPECT_EQ(open.nameFilters()[4], "All files (*.*) (*)");
    EXPECT_EQ(open.selectedNameFilter(), "Movie lists (*.mls)") << "shown without the Qt patterns";
    EXPECT_EQ(open.directory().absolutePath(), QDir::currentPath());

    QFileDialog save;
    editor_->SaveDialog->Configure(save);
    EXPECT_EQ(save.windowTitle(), "Save Movie List as");
    EXPECT_EQ(save.acceptMode(), QFileDialog::AcceptSave);
    EXPECT_EQ(save.defaultSuffix(), "mls");
    EXPECT_FALSE(save.testOption(QFileDialog::DontConfirmOverwrite));

    QStringList names;
    for (const LocalizableProperty& property : localizableProperties(editor_->SaveDialog, false)) {
        names.append(property.name);
    }
    EXPECT_EQ(names, (QStringList{"DefaultExt", "FileName", "Filter", "InitialDir", "Title"}));
    EXPECT_EQ(editor_->findChild<FileDialogDescription*>("OpenDialog"), editor_->OpenDialog);
}

TEST(FileDialogDescription, CostlyFilterIsMadeOnFirstReadOnlyAndACatalogTextSkipsIt) {
    int made = 0;
    const auto maker = [&made] {
        ++made;
        return QStringLiteral("Videos|*.mp4;*.mkv");
    };
    FileDialogDescription open(FileDialogDescription::Kind::Open, "OpenDialog", {}, nullptr);
    open.SetFilterMaker(maker);
    EXPECT_EQ(made, 0);
    QFileDialog dialog;
    open.Configure(dialog);
    EXPECT_EQ(dialog.nameFilters(), QStringList{"Videos (*.mp4 *.mkv)"});
    EXPECT_EQ(open.Filter(), "Videos|*.mp4;*.mkv");
    EXPECT_EQ(made, 1) << "made once, then kept";

    FileDialogDescription localized(FileDialogDescription::Kind::Open, "OpenDialog", {}, nullptr);
    localized.SetFilterMaker(maker);
    ASSERT_TRUE(localized.setProperty("Filter", QStringLiteral("Filme|*.mpg")));
    EXPECT_EQ(localized.Filter(), "Filme|*.mpg");
    EXPECT_EQ(made, 1) << "the catalog's text replaces the one not yet made";
}

TEST_F(MovieListEditorTest, CatalogReplacesDialogTextsAndShortcutCaptions) {
    const QString catalogFile = folder_.filePath("cinevan.str");
    test::WriteFile(catalogFile,
                    "[FormMovieList]\r\n"
                    "OpenDialog.Title=Filme laden\r\n"
                    "OpenDialog.Filter=Listen (*.mls)|*.mls\r\n"
                    "SaveDialog.DefaultExt=lst\r\n"
                    "ShortcutSkip.Caption=&Springen\r\n"
                    "ButtonAdd.Caption=&Laden...\r\n");
    const PrivateProfile catalog(catalogFile);
    FormLocalizer(catalog).Localize(editor_.get());
    EXPECT_EQ(editor_->OpenDialog->Title(), "Filme laden");
    EXPECT_EQ(editor_->SaveDialog->DefaultExt(), "lst");
    EXPECT_EQ(editor_->SaveDialog->Title(), "Save Movie List as") << "missing keys keep the text";
    EXPECT_EQ(editor_->ShortcutSkip->text(), "&Springen");
    EXPECT_EQ(editor_->ButtonAdd->text(), "&Laden...");
    QFileDialog open;
    editor_->OpenDialog->Configure(open);
    EXPECT_EQ(open.windowTitle(), "Filme laden");
    EXPECT_EQ(open.nameFilters(), QStringList{"Listen (*.mls) (*.mls)"});
}

TEST_F(MovieListEditorTest, RealSaveDialogAppendsTheDefaultExtension) {
    Player().List().AddMovies({QFile::encodeName(Movie("a.mpg"))}, false);
    EXPECT_EQ(SaveAsChosen([](QFileDialog&) { return true; }), 1) << "the first try is taken";
    EXPECT_TRUE(QFile::exists(folder_.filePath("chosen.mls")));
}

TEST_F(MovieListEditorTest, SaveAsM3u8WritesAPlaylistThatAddsBack) {
    Player().List().AddMovies({QFile::encodeName(Movie("a.mpg"))}, false);
    Player().List().SetMovieField(0, MovieList::kTitle, "A title, with a comma");
    Player().List().SetMovieField(0, MovieList::kStart, "0:00:02");
    Player().List().SetMovieField(0, MovieList::kStop, "0:01:30");
    Player().List().AddMovies({QFile::encodeName(Movie("b.mpg"))}, false);
    const QByteArrayList lines = Player().List().Lines();
    const QString saved = folder_.filePath("saved.m3u8");
    editor_->SaveDialog->SetRunner(
        [&](FileDialogDescription&, QWidget*) { return QStringList{saved}; });
    QTest::mouseClick(editor_->ButtonSaveAs, Qt::LeftButton);
    QFile file(saved);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(),
              "#EXTM3U\n#EXTINF:-1,A title, with a comma\n"
              "#EXTVLCOPT:start-time=2\n#EXTVLCOPT:stop-time=90\n" +
                  QFile::encodeName(Movie("a.mpg")) + "\n#EXTINF:-1,b\n" +
                  QFile::encodeName(Movie("b.mpg")) + "\n");

    QTest::mouseClick(editor_->ButtonClear, Qt::LeftButton);
    editor_->OpenDialog->SetRunner(
        [&](FileDialogDescription&, QWidget*) { return QStringList{saved}; });
    QTest::mouseClick(editor_->ButtonAdd, Qt::LeftButton);
    ASSERT_EQ(Player().List().MovieCount(), 2);
    EXPECT_EQ(Player().List().Lines()[0], lines[0]);
    EXPECT_EQ(Titles(), (QStringList{"A title, with a comma", "b"}));
}

TEST_F(MovieListEditorTest, RealSaveDialogTakesTheExtensionOfTheChosenType) {
    Player().List().AddMovies({QFile::encodeName(Movie("a.mpg"))}, false);
    const int tries = SaveAsChosen([](QFileDialog& dialog) {
        auto* types = dialog.findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
        if (!types) {
            return false;
        }
        // M3U8 playlists, picked as the user picks it from the list.
        types->setCurrentIndex(1);
        emit types->activated(1);
        emit types->textActivated(types->itemText(1));
        return true;
    });
    EXPECT_EQ(tries, 1) << "the first try is taken";
    ASSERT_TRUE(QFile::exists(folder_.filePath("chosen.m3u8")))
        << QDir(folder_.path()).entryList(QDir::Files).join(' ').toStdString();
    QFile file(folder_.filePath("chosen.m3u8"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_TRUE(file.readAll().startsWith("#EXTM3U\n"));
}

TEST_F(MovieListEditorTest, EnterOpensTheEditDialogForTheSelectedEntry) {
    TFormEdit edit(main_->Player(), *editor_, *main_->ImagePreview, editor_.get());
    editor_->SetEditDialog(edit);
    int shown = 0;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (QApplication::activeModalWidget() == &edit) {
            ++shown;
            edit.reject();
        }
    });
    poll.start(20);
    PressOnList(Qt::Key_Return);
    EXPECT_EQ(shown, 0) << "nothing to edit in an empty list";
    LoadMovies(2);
    ClickItem(1);
    PressOnList(Qt::Key_Return);
    EXPECT_EQ(shown, 1);
}

TEST_F(MovieListEditorTest, WindowLayoutKeysAndTabOrder) {
    TFormMovieList& e = *editor_;
    const QMargins frame = e.windowHandle()->frameMargins();
    EXPECT_EQ(e.minimumSize().grownBy(frame), QSize(180, 132)) << "the frame counts";
    EXPECT_LE(e.layout()->minimumSize().width(), 180);
    EXPECT_LE(e.layout()->minimumSize().height(), 132);
    EXPECT_TRUE(e.ListBoxMovies->hasFocus()) << "showing the window focuses the list";

    const QList<QWidget*> order = {e.ButtonClose, e.ButtonAdd,  e.ButtonSaveAs, e.ButtonClear,
                                   e.ButtonEdit,  e.ButtonCopy, e.ButtonSkip,   e.ButtonDelete,
                                   e.ButtonUp,    e.ButtonDown, e.CheckBoxLink};
    QWidget* widget = e.ListBoxMovies;
    for (QWidget* expected : order) {
        widget = widget->nextInFocusChain();
        while (widget->focusPolicy() == Qt::NoFocus) {
            widget = widget->nextInFocusChain();
        }
        EXPECT_EQ(widget, expected) << widget->objectName().toStdString();
    }

    for (QAction* action : e.ListBoxMovies->actions()) {
        EXPECT_EQ(action->shortcutContext(), Qt::WidgetShortcut);
    }
    e.ButtonClose->setFocus();
    QTest::keyClick(e.ButtonClose, Qt::Key_M, Qt::AltModifier);
    EXPECT_TRUE(e.ListBoxMovies->hasFocus()) << "Alt+M focuses the list";
    EXPECT_EQ(e.ShortcutSkip->text(), "S&kip/Play");
    QTest::keyClick(e.ListBoxMovies, Qt::Key_Escape);
    EXPECT_FALSE(e.isVisible()) << "Esc closes the editor";
}

}  // namespace
}  // namespace cinevan
