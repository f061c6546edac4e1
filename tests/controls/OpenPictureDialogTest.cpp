#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QImage>
#include <QImageReader>
#include <QLabel>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <functional>
#include <optional>

#include "controls/FileCheck.h"
#include "controls/ImageEx.h"
#include "controls/OpenPictureDialog.h"
#include "pictures/Picture.h"
#include "platform/BoundedCall.h"
#include "tests/support/HangingShare.h"

namespace cinevan {
namespace {

// Runs `step` on the modal window that the next call opens; any modal window still open
// after a few seconds is rejected so that a failing test never hangs.
void OnNextModal(std::function<void(QWidget*)> step) {
    QTimer::singleShot(0, [step = std::move(step)] {
        QWidget* modal = QApplication::activeModalWidget();
        ASSERT_NE(modal, nullptr);
        step(modal);
    });
    QTimer::singleShot(10000, [] {
        if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
            dialog->reject();
        }
    });
}

TEST(PreviewRect, FitsOrScalesTheLongerSideIntoTheThumbnailArea) {
    const QRect box(0, 0, 153, 141);
    EXPECT_EQ(PreviewRect(box, {100, 100}), QRect(26, 20, 100, 100));
    EXPECT_EQ(PreviewRect(box, {400, 100}), QRect(0, 0, 153, 38));
    EXPECT_EQ(PreviewRect(box, {100, 400}), QRect(0, 0, 35, 141));
    EXPECT_EQ(PreviewRect(box, {160, 155}), QRect(0, 0, 153, 148)) << "taller than the box";
    EXPECT_EQ(PreviewRect(box, {153, 141}), box);
    EXPECT_EQ(PreviewRect(QRect(10, 20, 153, 141), {400, 100}), QRect(10, 20, 153, 38));
}

TEST(PreviewRect, MulDivRoundsHalvesAwayFromZero) {
    EXPECT_EQ(MulDiv(100, 153, 400), 38);   // 38.25
    EXPECT_EQ(MulDiv(155, 153, 160), 148);  // 148.2
    EXPECT_EQ(MulDiv(5, 1, 2), 3);
    EXPECT_EQ(MulDiv(-5, 1, 2), -3);
    EXPECT_EQ(MulDiv(7, 1, -2), -4);
    EXPECT_EQ(MulDiv(1 << 30, 1 << 30, 1 << 30), 1 << 30) << "the product is 64 bits wide";
    EXPECT_EQ(MulDiv(1, 1, 0), -1);
    EXPECT_EQ(MulDiv(1 << 30, 8, 1), -1) << "a quotient beyond 32 bits";
}

TEST(PictureFilter, ConvertsPairsIntoNameFilters) {
    EXPECT_EQ(PictureNameFilters("Bitmaps (*.bmp;*.dib)|*.bmp;*.dib|All Files (*.*)|*.*"),
              (QStringList{"Bitmaps (*.bmp;*.dib) (*.bmp *.dib)", "All Files (*.*) (*)"}));
    // WebP is listed where Qt has a reader for it.
    const bool webp = QImageReader::supportedImageFormats().contains("webp");
    EXPECT_EQ(
        DefaultPictureFilter(),
        QString("All (*.bmp;*.dib;*.jpg;*.jpeg;*.gif;*.ico;*.wmf;*.emf;*.png%1)|"
                "*.bmp;*.dib;*.jpg;*.jpeg;*.gif;*.ico;*.wmf;*.emf;*.png%1|"
                "Bitmaps (*.bmp;*.dib)|*.bmp;*.dib|JPEG Compliant (*.jpg;*.jpeg)|*.jpg;*.jpeg|"
                "CompuServe GIF Image (*.gif)|*.gif|Icons (*.ico)|*.ico|"
                "Metafiles (*.wmf;*.emf)|*.wmf;*.emf|"
                "Portable Network Graphics (*.png)|*.png%2")
            .arg(webp ? ";*.webp" : "", webp ? "|WebP (*.webp)|*.webp" : ""));
}

// The preview area at the size it has in the dialog's description: a 153 by 141 thumbnail.
class PicturePanelTest : public ::testing::Test {
protected:
    void SetUp() override {
        panel_.resize(169, 180);
        panel_.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&panel_));
    }

    QString Red(int width, int height, const QString& name = {}) {
        QImage image(width, height, QImage::Format_RGB32);
        image.fill(Qt::red);
        const QString path = folder_.filePath(
            name.isEmpty() ? QStringLiteral("%1x%2.bmp").arg(width).arg(height) : name);
        EXPECT_TRUE(image.save(path, "BMP"));
        return path;
    }

    QString Text(const QString& name) {
        const QString path = folder_.filePath(name);
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("this is no picture\n");
        return path;
    }

    // Bounds of the red pixels drawn in the thumbnail area.
    QRect RedArea() {
        const QImage shot = panel_.PaintBox->grab().toImage();
        QRect area;
        for (int y = 0; y < shot.height(); ++y) {
            for (int x = 0; x < shot.width(); ++x) {
                if (shot.pixel(x, y) == qRgb(255, 0, 0)) {
                    area |= QRect(x, y, 1, 1);
                }
            }
        }
        return area;
    }

    QTemporaryDir folder_;
    Picture picture_;
    TPicturePanel panel_{picture_};
};

TEST_F(PicturePanelTest, LayoutGivesTheThumbnailAreaAndPlacesTheButton) {
    EXPECT_EQ(panel_.PaintBox->size(), QSize(153, 141));
    EXPECT_EQ(panel_.PictureLabel->geometry(), QRect(6, 6, 157, 23));
    EXPECT_EQ(panel_.PreviewButton->geometry(), QRect(6 + 157 - 23 - 2, 1, 23, 22));
    EXPECT_EQ(panel_.PreviewButton->toolTip(), "Preview");
    EXPECT_FALSE(panel_.PreviewButton->isEnabled());
    EXPECT_EQ(panel_.PictureLabel->text(), "");
}

TEST_F(PicturePanelTest, ThumbnailsAreCentredOrScaledAndClipped) {
    panel_.SelectionChange(Red(100, 100));
    EXPECT_EQ(panel_.PictureLabel->text(), "Picture: (100x100)");
    EXPECT_TRUE(panel_.PreviewButton->isEnabled());
    EXPECT_EQ(RedArea(), QRect(26, 20, 100, 100));

    panel_.SelectionChange(Red(400, 100));
    EXPECT_EQ(panel_.PictureLabel->text(), "Picture: (400x100)");
    EXPECT_EQ(RedArea(), QRect(0, 0, 153, 38));

    panel_.SelectionChange(Red(100, 400));
    EXPECT_EQ(RedArea(), QRect(0, 0, 35, 141));

    panel_.SelectionChange(Red(160, 155));
    EXPECT_EQ(panel_.PictureLabel->text(), "Picture: (160x155)");
    EXPECT_EQ(RedArea(), QRect(0, 0, 153, 141)) << "the bottom 7 rows of 148 are clipped";
}

TEST_F(PicturePanelTest, FilesThatAreNoPicturesShowNone) {
    panel_.SelectionChange(Red(100, 100));
    ASSERT_TRUE(panel_.PreviewButton->isEnabled());

    for (const QString& path : {Text("fake.jpg"), Text("fake.bmp"), Text("notes.txt"),
                                folder_.path(), folder_.filePath("missing.bmp")}) {
        SCOPED_TRACE(path.toStdString());
        panel_.SelectionChange(Red(100, 100));
        panel_.SelectionChange(path);
        EXPECT_EQ(panel_.PictureLabel->text(), "Picture:");
        EXPECT_FALSE(panel_.PreviewButton->isEnabled());
        EXPECT_EQ(picture_.width(), 0) << "the earlier picture is dropped";
        EXPECT_TRUE(RedArea().isEmpty());
    }
    // "(None)" is written in the middle of the area.
    const QImage shot = panel_.PaintBox->grab().toImage();
    const QRgb ground = shot.pixel(0, 0);
    int marks = 0;
    for (int x = 0; x < shot.width(); ++x) {
        for (int y = 60; y < 80; ++y) {
            marks += shot.pixel(x, y) != ground ? 1 : 0;
        }
    }
    EXPECT_GT(marks, 20);
}

TEST_F(PicturePanelTest, PreviewWindowShowsThePictureAtNaturalSize) {
    panel_.SelectionChange(Red(300, 200));
    const std::unique_ptr<QDialog> window = panel_.CreatePreviewWindow();
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    EXPECT_EQ(window->objectName(), "PreviewForm");
    EXPECT_EQ(window->windowTitle(), "Preview");
    auto* frame = window->findChild<QFrame*>("Panel");
    auto* image = window->findChild<TImageEx*>("Image");
    ASSERT_TRUE(frame && image);
    EXPECT_EQ(frame->contentsRect().size(), QSize(310, 210));
    EXPECT_EQ(image->geometry(),
              QRect(frame->contentsRect().topLeft() + QPoint(5, 5), QSize(300, 200)));
    EXPECT_EQ(image->picture()->width(), 300) << "a copy of the selected picture";
    EXPECT_TRUE(image->stretch());
}

TEST_F(PicturePanelTest, PreviewButtonOpensAWindowThatEscapeCloses) {
    panel_.SelectionChange(Red(300, 200));
    bool seen = false;
    OnNextModal([&seen](QWidget* modal) {
        seen = modal->objectName() == "PreviewForm";
        QTest::keyClick(modal, Qt::Key_Escape);
    });
    QTest::mouseClick(panel_.PreviewButton, Qt::LeftButton);
    EXPECT_TRUE(seen);
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr) << "Escape closed the window";
}

TEST(OpenPictureDialog, PreviewFollowsTheSelectionAndExecuteReturnsTheChoice) {
    QTemporaryDir folder;
    const QString path = folder.filePath("cover.bmp");
    QImage image(64, 48, QImage::Format_RGB32);
    image.fill(Qt::blue);
    ASSERT_TRUE(image.save(path, "BMP"));

    TOpenPictureDialog dialog;
    dialog.SetTitle("Browse Cover Image");
    dialog.SetOptions(TOpenPictureDialog::ofHideReadOnly | TOpenPictureDialog::ofNoChangeDir |
                      TOpenPictureDialog::ofPathMustExist | TOpenPictureDialog::ofFileMustExist);
    dialog.SetInitialDir(folder.path());
    QSignalSpy closed(&dialog, &TOpenPictureDialog::OnClose);
    QSignalSpy selected(&dialog, &TOpenPictureDialog::OnSelectionChange);
    QString label;
    QString title;
    OnNextModal([&](QWidget* modal) {
        auto* files = qobject_cast<QFileDialog*>(modal);
        ASSERT_NE(files, nullptr);
        title = files->windowTitle();
        files->selectFile(path);
        if (auto* panel = files->findChild<TPicturePanel*>("PicturePanel")) {
            label = panel->PictureLabel->text();
        }
        QMetaObject::invokeMethod(files, "accept");
    });
    ASSERT_TRUE(dialog.Execute());
    EXPECT_EQ(title, "Browse Cover Image");
    EXPECT_EQ(label, "Picture: (64x48)");
    EXPECT_EQ(QFileInfo(dialog.FileName()), QFileInfo(path));
    EXPECT_EQ(dialog.SelectedPicture().width(), 64) << "the last picture stays after the run";
    EXPECT_EQ(closed.count(), 1);
    EXPECT_GE(selected.count(), 1);

    OnNextModal([](QWidget* modal) { static_cast<QDialog*>(modal)->reject(); });
    EXPECT_FALSE(dialog.Execute());
    EXPECT_EQ(QFileInfo(dialog.FileName()), QFileInfo(path)) << "cancel keeps the file name";
}

// The dialog as a person sees it, with the preview of the selected file on the right. Saved
// into the folder named by CINEVAN_SCREENSHOT_DIR when that is set.
TEST(OpenPictureDialog, PreviewPanelSitsRightOfTheStandardControls) {
    QTemporaryDir folder;
    const QString path = folder.filePath("landscape.bmp");
    QImage image(320, 180, QImage::Format_RGB32);
    image.fill(QColor(30, 90, 200));
    ASSERT_TRUE(image.save(path, "BMP"));

    TOpenPictureDialog dialog;
    dialog.SetFileName(path);
    QRect panelBounds;
    QRect dialogBounds;
    OnNextModal([&](QWidget* modal) {
        modal->resize(640, 360);
        QTest::qWait(200);  // the file list fills in from its own thread
        auto* panel = modal->findChild<TPicturePanel*>("PicturePanel");
        ASSERT_NE(panel, nullptr);
        EXPECT_EQ(panel->PictureLabel->text(), "Picture: (320x180)") << "the preset file";
        panelBounds = QRect(panel->mapTo(modal, QPoint()), panel->size());
        dialogBounds = modal->rect();
        if (const QByteArray dir = qgetenv("CINEVAN_SCREENSHOT_DIR"); !dir.isEmpty()) {
            modal->grab().save(QDir(QString::fromLocal8Bit(dir)).filePath("open-picture.png"));
        }
        static_cast<QDialog*>(modal)->reject();
    });
    EXPECT_FALSE(dialog.Execute());
    EXPECT_GT(panelBounds.left(), dialogBounds.width() / 2);
    EXPECT_LE(panelBounds.right(), dialogBounds.right());
    EXPECT_EQ(panelBounds.width(), 169);
    EXPECT_GT(panelBounds.height(), 180);
}

// Pictures named on a share whose server stopped answering: the window waits for the share no
// longer than a moment and takes the names as no picture files.
class DeadSharePictureTest : public ::testing::Test {
protected:
    void SetUp() override {
        share_.emplace();
        if (!share_->mounted()) {
            GTEST_SKIP() << "FUSE cannot be mounted here";
        }
        QImage image(64, 48, QImage::Format_RGB32);
        image.fill(Qt::blue);
        ASSERT_TRUE(image.save(good_, "BMP"));
        clock_.start();
    }
    void TearDown() override {
        if (share_ && share_->mounted()) {
            share_.reset();
            EXPECT_TRUE(QTest::qWaitFor([] { return boundedWorkRunning == 0; }, 20000))
                << "the checks left waiting end with the share";
        }
    }

    QString dead(const char* name) const { return share_->path(QString::fromLatin1(name)); }
    // Far below the two minutes the share keeps every lookup waiting.
    bool answeredInTime() const { return clock_.elapsed() < kFileCheckLimitMs + 4000; }

    QTemporaryDir folder_;
    const QString good_ = folder_.filePath("good.bmp");
    std::optional<test::HangingShare> share_;
    QElapsedTimer clock_;
};

TEST_F(DeadSharePictureTest, ASelectionOnTheShareShowsNoPicture) {
    Picture picture;
    TPicturePanel panel(picture);
    panel.SelectionChange(good_);
    ASSERT_TRUE(panel.PreviewButton->isEnabled());
    clock_.restart();
    panel.SelectionChange(dead("cover.bmp"));
    EXPECT_TRUE(answeredInTime()) << clock_.elapsed() << " ms";
    EXPECT_EQ(panel.PictureLabel->text(), "Picture:");
    EXPECT_FALSE(panel.PreviewButton->isEnabled());
    EXPECT_EQ(picture.width(), 0);
    EXPECT_FALSE(IsLoadableFile(dead("other.bmp")));
    EXPECT_TRUE(IsLoadableFile(good_)) << "healthy storage still answers";
}

TEST_F(DeadSharePictureTest, TheDialogOpensOnAPresetNameOrFolderOnTheShare) {
    for (const bool asFolder : {false, true}) {
        SCOPED_TRACE(asFolder ? "initial folder" : "file name");
        TOpenPictureDialog dialog;
        if (asFolder) {
            dialog.SetInitialDir(dead("covers"));
        } else {
            dialog.SetFileName(dead("covers/cover.bmp"));
        }
        std::optional<qint64> shownAfter;
        QString label;
        clock_.restart();
        OnNextModal([&](QWidget* modal) {
            shownAfter = clock_.elapsed();
            label = modal->findChild<TPicturePanel*>("PicturePanel")->PictureLabel->text();
            static_cast<QDialog*>(modal)->reject();
        });
        EXPECT_FALSE(dialog.Execute());
        ASSERT_TRUE(shownAfter);
        EXPECT_TRUE(answeredInTime())
            << *shownAfter << " ms to show, " << clock_.elapsed() << " ms in all";
        EXPECT_EQ(label, "") << "nothing on the share is shown";
    }
}

}  // namespace
}  // namespace cinevan
