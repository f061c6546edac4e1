#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileDialog>
#include <QGroupBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <functional>
#include <optional>

#include "app/StrCont.h"
#include "controls/FileCheck.h"
#include "controls/ImageEx.h"
#include "controls/MaskEdit.h"
#include "controls/OpenPictureDialog.h"
#include "pictures/Picture.h"
#include "platform/BoundedCall.h"
#include "playback/mci/simulated/SimulatedDevice.h"
#include "tests/support/Files.h"
#include "tests/support/HangingShare.h"
#include "tests/support/ModalDialogs.h"
#include "tests/support/SimulatedWindows.h"
#include "ui/Main.h"
#include "ui/MovieLink.h"
#include "ui/MovieList.h"

namespace cinevan {
namespace {

using test::WhenModal;

// The main window, the Movie List Editor and the dialog on simulated devices, wired to each
// other as in the program.
class EditDialogTest : public test::SimulatedWindowsTest {
protected:
    void SetUp() override {
        CreateMain();
        CreateEditor();
        edit_ = std::make_unique<TFormEdit>(main_->Player(), *editor_, *main_->ImagePreview,
                                            editor_.get());
        editor_->SetEditDialog(*edit_);
        realShowError_ = edit_->EditStart->ShowError;
        for (TMaskEdit* box : {edit_->EditStart, edit_->EditStop}) {
            box->ShowError = [this](QWidget*, const QString& text) { errors_.append(text); };
        }
    }

    void TearDown() override {
        edit_.reset();
        DestroyWindows();
    }

    QString Cover(const QString& name, int width, int height) {
        QImage image(width, height, QImage::Format_RGB32);
        image.fill(Qt::darkGreen);
        const QString path = folder_.filePath(name);
        EXPECT_TRUE(image.save(path, "BMP"));
        return path;
    }

    // Loads the files as the command line does: the first entry starts playing.
    void Load(const QStringList& names) { main_->Player().ProcessCommandLine(names); }
    MovieList& List() { return main_->Player().List(); }
    PlayState State() { return main_->Player().State(); }
    QString Field(int index, int field) {
        return QString::fromLocal8Bit(List().GetMovieField(index, field));
    }
    void SetField(int index, int field, const QString& value) {
        List().SetMovieField(index, field, value.toLocal8Bit());
    }

    // Opens the dialog for entry `index` of the editor's list, as its Edit button does but
    // without a modal loop.
    void Open(int index) {
        editor_->ListBoxMovies->setCurrentRow(index);
        edit_->show();
        edit_->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(edit_.get()));
    }

    static void Type(TMaskEdit* box, const QString& digits) {
        box->setFocus(Qt::TabFocusReason);
        box->selectAll();
        QTest::keyClicks(box, digits);
    }

    // Moves the focus on to the title box, which runs the exit handler of the box left.
    void Leave() {
        edit_->EditTitle->setFocus(Qt::TabFocusReason);
        QApplication::processEvents();
    }

    static QString Long(int seconds) {
        return FormatLongTime(SecondsToTime(seconds), EditTimeLocale());
    }

    std::unique_ptr<TFormEdit> edit_;
    QStringList errors_;
    std::function<void(QWidget*, const QString&)> realShowError_;
};

TEST_F(EditDialogTest, ShowsTheEntryAndItsDefaultTitle) {
    const QString file = Movie("Summer Trip.v2.mpg");
    Load({file});
    const QByteArray line = List().Lines().at(0);
    Open(0);
    EXPECT_EQ(edit_->windowTitle(), "Edit Movie Link");
    EXPECT_EQ(edit_->EditFileName->text(), file);
    EXPECT_TRUE(edit_->EditFileName->isReadOnly());
    EXPECT_EQ(edit_->EditTitle->text(), "Summer Trip.v2");
    EXPECT_TRUE(edit_->EditTitle->hasFocus());
    EXPECT_EQ(edit_->CoverFileName(), "");
    EXPECT_EQ(edit_->ImageLink->picture()->width(), 0);

    QTest::mouseClick(edit_->ButtonOK, Qt::LeftButton);
    EXPECT_EQ(edit_->result(), QDialog::Accepted);
    EXPECT_FALSE(edit_->isVisible());
    EXPECT_EQ(List().Lines().at(0), line) << "the default title is not stored";
}

TEST_F(EditDialogTest, PlayingEntryIsPausedAndTakesTheCurrentPosition) {
    Load({Movie("a.mpg"), Movie("b.mpg")});
    ASSERT_EQ(State(), PlayState::Playing);
    sim_.clock->advance(65200);
    main_->Player().ActiveMovieTimer();
    const int position = main_->Player().PositionSec();
    ASSERT_GT(position, 60);

    Open(0);
    EXPECT_EQ(State(), PlayState::Paused);
    EXPECT_TRUE(edit_->SpeedButtonStart->isEnabled());
    EXPECT_TRUE(edit_->SpeedButtonStop->isEnabled());

    QTest::mouseClick(edit_->SpeedButtonStart, Qt::LeftButton);
    EXPECT_EQ(edit_->EditStart->MaskedText(), Long(position));
    EXPECT_TRUE(edit_->EditStart->hasFocus());

    edit_->EditStop->setFocus(Qt::TabFocusReason);
    QTest::keyClick(edit_->EditStop, Qt::Key_Return, Qt::AltModifier);
    EXPECT_EQ(edit_->EditStop->MaskedText(), Long(position));
    EXPECT_TRUE(edit_->isVisible()) << "Alt+Enter does not press OK";

    edit_->reject();
    EXPECT_EQ(State(), PlayState::Paused) << "closing the dialog does not resume";
}

TEST_F(EditDialogTest, OtherEntriesLeavePlaybackAndDisableThePositionButtons) {
    Load({Movie("a.mpg"), Movie("b.mpg")});
    Open(1);
    EXPECT_EQ(State(), PlayState::Playing);
    EXPECT_FALSE(edit_->SpeedButtonStart->isEnabled());
    EXPECT_FALSE(edit_->SpeedButtonStop->isEnabled());

    SetField(1, MovieList::kStart, "0:00:10");
    edit_->hide();
    Open(1);
    ASSERT_TRUE(edit_->CheckBoxSelection->isChecked());
    const QString before = edit_->EditStart->MaskedText();
    edit_->EditStart->setFocus(Qt::TabFocusReason);
    QTest::keyClick(edit_->EditStart, Qt::Key_Return, Qt::AltModifier);
    EXPECT_EQ(edit_->EditStart->MaskedText(), before);
    EXPECT_TRUE(edit_->isVisible()) << "Alt+Enter with a disabled button does nothing";
}

TEST_F(EditDialogTest, SelectionCheckBoxFollowsTheStoredTimes) {
    Load({Movie("a.mpg"), Movie("b.mpg")});
    Open(1);
    EXPECT_FALSE(edit_->CheckBoxSelection->isChecked());
    EXPECT_FALSE(edit_->GroupBoxSelection->isVisible());
    EXPECT_EQ(edit_->EditStart->MaskedText(), Long(0));
    EXPECT_EQ(edit_->EditStop->MaskedText(), Long(0));
    edit_->hide();

    SetField(1, MovieList::kStop, "0:02:00");
    SetField(1, MovieList::kStart, "nonsense");
    Open(1);
    EXPECT_TRUE(edit_->CheckBoxSelection->isChecked());
    EXPECT_TRUE(edit_->GroupBoxSelection->isVisible());
    EXPECT_EQ(edit_->EditStart->MaskedText(), Long(0)) << "an invalid time shows as 0";
    EXPECT_EQ(edit_->EditStop->MaskedText(), Long(120));

    QTest::mouseClick(edit_->CheckBoxSelection, Qt::LeftButton);
    EXPECT_FALSE(edit_->GroupBoxSelection->isVisible());
}

TEST_F(EditDialogTest, LeavingABoxKeepsStartAndStopInOrder) {
    Load({Movie("a.mpg"), Movie("b.mpg")});
    SetField(1, MovieList::kStart, "00:01:00");
    SetField(1, MovieList::kStop, "00:02:00");
    Open(1);

    Type(edit_->EditStop, "000030");
    Leave();
    EXPECT_EQ(edit_->EditStart->MaskedText(), Long(30)) << "the start moves down to the stop";

    Type(edit_->EditStart, "000500");
    Leave();
    EXPECT_EQ(edit_->EditStop->MaskedText(), Long(300)) << "the stop moves up to the start";

    Type(edit_->EditStop, "000000");
    Leave();
    Type(edit_->EditStart, "001000");
    Leave();
    EXPECT_EQ(edit_->EditStop->MaskedText(), Long(0)) << "a stop of 0 is never corrected";
    EXPECT_TRUE(errors_.isEmpty());
}

TEST_F(EditDialogTest, OkWritesTitleAndSelectionInOrder) {
    Load({Movie("a.mpg"), Movie("b.mpg")});
    Open(1);
    edit_->EditTitle->setText("Second, the best");
    QTest::mouseClick(edit_->CheckBoxSelection, Qt::LeftButton);
    ASSERT_TRUE(edit_->GroupBoxSelection->isVisible());
    Type(edit_->EditStop, "000100");
    Leave();
    QTest::mouseClick(edit_->ButtonOK, Qt::LeftButton);
    EXPECT_FALSE(edit_->isVisible());
    EXPECT_EQ(Field(1, MovieList::kTitle), "Second, the best");
    EXPECT_EQ(Field(1, MovieList::kStart), "") << "a start of 0 is stored empty";
    EXPECT_EQ(Field(1, MovieList::kStop), "00:01:00");
    EXPECT_EQ(editor_->ListBoxMovies->item(1)->text(), "Second, the best");
    EXPECT_EQ(State(), PlayState::Playing) << "another entry's changes leave playback alone";

    Open(1);
    EXPECT_TRUE(edit_->CheckBoxSelection->isChecked());
    QTest::mouseClick(edit_->CheckBoxSelection, Qt::LeftButton);
    QTest::mouseClick(edit_->ButtonOK, Qt::LeftButton);
    EXPECT_EQ(Field(1, MovieList::kStart), "");
    EXPECT_EQ(Field(1, MovieList::kStop), "") << "unchecked Selection empties the times";
    EXPECT_EQ(Field(1, MovieList::kTitle), "Second, the best");
}

TEST_F(EditDialogTest, CancelWritesNothing) {
    Load({Movie("a.mpg")});
    const QByteArrayList lines = List().Lines();
    Open(0);
    edit_->EditTitle->setText("Changed");
    QTest::mouseClick(edit_->CheckBoxSelection, Qt::LeftButton);
    QTest::mouseClick(edit_->ButtonCancel, Qt::LeftButton);
    EXPECT_EQ(edit_->result(), QDialog::Rejected);
    EXPECT_EQ(List().Lines(), lines);
}

TEST_F(EditDialogTest, IncompleteTimeIsRefusedWithTheErrorText) {
    Load({Movie("a.mpg"), Movie("b.mpg")});
    SetField(1, MovieList::kStart, "00:01:00");
    const QByteArray line = List().Lines().at(1);
    Open(1);
    edit_->EditStart->setFocus(Qt::TabFocusReason);
    QTest::keyClick(edit_->EditStart, Qt::Key_End);
    QTest::keyClick(edit_->EditStart, Qt::Key_Backspace);
    Leave();
    EXPECT_TRUE(edit_->EditStart->hasFocus());
    EXPECT_EQ(edit_->EditStart->cursorPosition(), 7);
    EXPECT_EQ(errors_, QStringList{"Invalid input value.  Use escape key to abandon changes"});

    QTest::keyClick(edit_->EditStart, Qt::Key_Return);
    QApplication::processEvents();
    EXPECT_TRUE(edit_->isVisible()) << "OK does not store the incomplete time";
    EXPECT_EQ(List().Lines().at(1), line);
    EXPECT_EQ(errors_.size(), 2);

    QTest::keyClick(edit_->EditStart, Qt::Key_Escape);
    EXPECT_TRUE(edit_->isVisible()) << "the first Escape abandons the change";
    EXPECT_EQ(edit_->EditStart->MaskedText(), Long(60));
    QTest::keyClick(edit_->EditStart, Qt::Key_Escape);
    EXPECT_FALSE(edit_->isVisible());
}

// The real error box takes the keyboard away from the dialog and gives it back when it
// closes; Escape must still go back to the value from before the edit.
TEST_F(EditDialogTest, EscapeAfterTheRealErrorBoxRestoresTheValueBeforeTheEdit) {
    Load({Movie("a.mpg"), Movie("b.mpg")});
    SetField(1, MovieList::kStart, "00:01:00");
    Open(1);
    edit_->EditStart->ShowError = realShowError_;
    Type(edit_->EditStart, "1");
    ASSERT_NE(edit_->EditStart->MaskedText(), Long(60));
    QString message;
    WhenModal([](QWidget* w) { return qobject_cast<QMessageBox*>(w) != nullptr; },
              [&message](QWidget* w) {
                  message = static_cast<QMessageBox*>(w)->text();
                  static_cast<QMessageBox*>(w)->accept();
              });
    Leave();
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return !message.isEmpty() && QApplication::activeModalWidget() == nullptr; }, 5000));
    EXPECT_EQ(message, "Invalid input value.  Use escape key to abandon changes");
    edit_->activateWindow();  // as the window manager does when the box has gone
    ASSERT_TRUE(QTest::qWaitForWindowActive(edit_.get()));
    ASSERT_TRUE(edit_->EditStart->hasFocus());

    QTest::keyClick(edit_->EditStart, Qt::Key_Escape);
    EXPECT_EQ(edit_->EditStart->MaskedText(), Long(60));
    EXPECT_TRUE(edit_->isVisible());
}

TEST_F(EditDialogTest, ClearRemovesTheCoverAndTheMainPreview) {
    const QString cover = Cover("cover.bmp", 40, 30);
    Load({Movie("a.mpg")});
    SetField(0, MovieList::kCover, cover);
    main_->LoadCoverPreview();
    ASSERT_EQ(main_->ImagePreview->picture()->width(), 40);

    Open(0);
    EXPECT_EQ(edit_->CoverFileName(), cover);
    EXPECT_EQ(edit_->ImageLink->picture()->width(), 40);
    QTest::mouseClick(edit_->ButtonClear, Qt::LeftButton);
    EXPECT_EQ(edit_->ImageLink->picture()->width(), 0);
    QTest::mouseClick(edit_->ButtonOK, Qt::LeftButton);
    EXPECT_EQ(Field(0, MovieList::kCover), "");
    EXPECT_EQ(main_->ImagePreview->picture()->width(), 0);
}

// The entry's cover on a share whose server stopped answering: the dialog opens after a
// moment's wait without it, keeps its name, and another cover can still be chosen.
TEST_F(EditDialogTest, ACoverOnAShareThatStoppedAnsweringIsPassedOver) {
    std::optional<test::HangingShare> share(std::in_place);
    if (!share->mounted()) {
        GTEST_SKIP() << "FUSE cannot be mounted here";
    }
    const QString dead = share->path(QStringLiteral("covers/cover.bmp"));
    Load({Movie("a.mpg"), Movie("b.mpg")});
    SetField(1, MovieList::kCover, Cover("old.bmp", 40, 30));
    Open(1);
    ASSERT_EQ(edit_->ImageLink->picture()->width(), 40);
    edit_->hide();
    SetField(1, MovieList::kCover, dead);
    QElapsedTimer clock;
    clock.start();
    Open(1);
    EXPECT_LT(clock.elapsed(), kFileCheckLimitMs + 2000) << "well before the picture's own limit";
    EXPECT_EQ(edit_->ImageLink->picture()->width(), 0);
    EXPECT_EQ(edit_->CoverFileName(), dead);
    QTest::mouseClick(edit_->ButtonOK, Qt::LeftButton);
    EXPECT_EQ(Field(1, MovieList::kCover), dead) << "OK keeps the name as it was";

    share.reset();
    EXPECT_TRUE(QTest::qWaitFor([] { return boundedWorkRunning == 0; }, 20000))
        << "the checks left waiting end with the share";
}

TEST_F(EditDialogTest, BrowseLoadsTheChosenCoverAndReportsBadPictures) {
    const QString good = Cover("good.bmp", 50, 20);
    const QString bad = folder_.filePath("bad.jpg");
    {
        QFile file(bad);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("no picture");
    }
    Load({Movie("a.mpg")});
    Open(0);

    // Typed into the file name box as a person does: with the keyboard in the box, so that
    // the dialog drops the file it had selected for the name it opened with. Scripted too
    // early, the dialog would return both names.
    const auto choose = [](const QString& path) {
        WhenModal([](QWidget* w) { return qobject_cast<QFileDialog*>(w) != nullptr; },
                  [path](QWidget* w) {
                      auto* name = w->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
                      ASSERT_NE(name, nullptr);
                      w->activateWindow();
                      ASSERT_TRUE(QTest::qWaitForWindowActive(w));
                      name->setFocus(Qt::OtherFocusReason);
                      name->setText(path);
                      EXPECT_EQ(static_cast<QFileDialog*>(w)->selectedFiles(), QStringList{path});
                      QMetaObject::invokeMethod(w, "accept");
                  });
    };
    choose(good);
    edit_->ButtonImageClick();
    EXPECT_EQ(edit_->ImageLink->picture()->width(), 50);
    EXPECT_EQ(QFileInfo(edit_->CoverFileName()), QFileInfo(good));

    choose(bad);
    QString message;
    WhenModal([](QWidget* w) { return qobject_cast<QMessageBox*>(w) != nullptr; },
              [&message](QWidget* w) {
                  message = static_cast<QMessageBox*>(w)->text();
                  static_cast<QMessageBox*>(w)->accept();
              });
    edit_->ButtonImageClick();
    EXPECT_FALSE(message.isEmpty()) << "the picture library's error is shown";
    EXPECT_EQ(edit_->ImageLink->picture()->width(), 0);
    QTest::mouseClick(edit_->ButtonOK, Qt::LeftButton);
    EXPECT_EQ(QFileInfo(Field(0, MovieList::kCover)), QFileInfo(bad))
        << "the chosen name is stored although it did not load";
}

// The dialog as a person sees it. Saved into the folder named by CINEVAN_SCREENSHOT_DIR when
// that is set.
TEST_F(EditDialogTest, LayoutWithCoverAndSelection) {
    Load({Movie("a.mpg")});
    SetField(0, MovieList::kCover, Cover("cover.bmp", 160, 90));
    SetField(0, MovieList::kStart, "0:01:05");
    SetField(0, MovieList::kStop, "1:02:03");
    Open(0);
    EXPECT_EQ(edit_->size(), QSize(386, 194));
    EXPECT_EQ(edit_->EditStart->MaskedText(), Long(65));
    EXPECT_EQ(edit_->EditStop->MaskedText(), Long(3723));
    const QRect shown = edit_->ImageLink->PictureRect();
    EXPECT_NEAR(double(shown.width()) / shown.height(), 16.0 / 9, 0.05) << "the aspect ratio stays";
    EXPECT_TRUE(edit_->ImageLink->rect().contains(shown));
    if (const QByteArray dir = qgetenv("CINEVAN_SCREENSHOT_DIR"); !dir.isEmpty()) {
        edit_->grab().save(QDir(QString::fromLocal8Bit(dir)).filePath("edit-movie-link.png"));
    }
}

TEST_F(EditDialogTest, BrowseDialogIsMadeOnFirstUseAndOpensAtTheCover) {
    const QString cover = Cover("cover.bmp", 40, 30);
    Load({Movie("a.mpg")});
    SetField(0, MovieList::kCover, cover);
    Open(0);
    EXPECT_EQ(edit_->findChild<TOpenPictureDialog*>(), nullptr) << "showing needs no dialog";

    QString title;
    QStringList selected;
    QStringList filters;
    WhenModal([](QWidget* w) { return qobject_cast<QFileDialog*>(w) != nullptr; },
              [&](QWidget* w) {
                  auto* dialog = static_cast<QFileDialog*>(w);
                  title = dialog->windowTitle();
                  selected = dialog->selectedFiles();
                  filters = dialog->nameFilters();
                  dialog->reject();
              });
    edit_->ButtonImageClick();
    EXPECT_EQ(title, "Browse Cover Image");
    ASSERT_EQ(selected.size(), 1);
    EXPECT_EQ(QFileInfo(selected.first()), QFileInfo(cover));
    ASSERT_FALSE(filters.isEmpty());
    EXPECT_TRUE(filters.first().startsWith("All Images")) << filters.first().toStdString();
    EXPECT_TRUE(filters.last().startsWith("All Files")) << filters.last().toStdString();
    EXPECT_EQ(edit_->findChildren<TOpenPictureDialog*>().size(), 1);
    EXPECT_EQ(&edit_->PictureDialog(), edit_->findChild<TOpenPictureDialog*>()) << "made once";
    EXPECT_EQ(edit_->CoverFileName(), cover) << "a cancelled Browse keeps the cover";

    QTest::mouseClick(edit_->ButtonOK, Qt::LeftButton);
    EXPECT_EQ(Field(0, MovieList::kCover), cover);
}

TEST_F(EditDialogTest, CatalogReplacesTextsFilterAndEditMask) {
    const QString catalog = folder_.filePath("cinevan.str");
    test::WriteFile(catalog,
                    "[FormEdit]\r\nFormEdit.Caption=Link bearbeiten\r\n"
                    "OpenPictureDialog.Title=Titelbild\r\nOpenPictureDialog.Filter=Bilder|*.bmp\r\n"
                    "EditStart.EditMask=!90.00.00;1;*\r\nSpeedButtonStop.Hint=Jetzt\r\n"
                    "LabelTitle.Caption=\r\n");
    StringContainer().SetFileName(catalog);
    TFormEdit localized(main_->Player(), *editor_, *main_->ImagePreview);
    // The Browse dialog is made on first use, with the catalog the program keeps bound.
    const TOpenPictureDialog& browse = localized.PictureDialog();
    StringContainer().SetFileName(QString());
    EXPECT_EQ(localized.windowTitle(), "Link bearbeiten");
    EXPECT_EQ(browse.Title(), "Titelbild");
    EXPECT_EQ(browse.Filter(), "Bilder|*.bmp");
    EXPECT_EQ(localized.EditStart->EditMask(), "!90.00.00;1;*");
    EXPECT_EQ(localized.EditStart->inputMask(), "09.99.99;*");
    EXPECT_EQ(localized.EditStop->inputMask(), "09:99:99;_");
    EXPECT_EQ(localized.SpeedButtonStop->toolTip(), "Jetzt");
    EXPECT_EQ(localized.SpeedButtonStart->toolTip(), "Set current position (Alt+Enter)");
    EXPECT_EQ(localized.LabelTitle->text(), "&Title") << "an empty value keeps the text";
}

TEST(EditTimeLocale, KeepsTwentyFourHourFormatsAndDropsDayHalves) {
    TimeLocale locale;
    locale.longTimeFormat = "HH:mm:ss";
    EXPECT_EQ(EditTimeLocale(locale).longTimeFormat, "HH:mm:ss");
    locale.longTimeFormat = "h:mm:ss AP";
    locale.timeSeparator = u'.';
    EXPECT_EQ(EditTimeLocale(locale).longTimeFormat, "HH.mm.ss");
    EXPECT_EQ(FormatLongTime(SecondsToTime(13 * 3600 + 5), EditTimeLocale(locale)), "13.00.05");
}

}  // namespace
}  // namespace cinevan
