// Drops from other programs on the main window and the Movie List Editor: what they add, and
// that a drop naming no local file changes nothing.

#include <fcntl.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <QApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QListWidget>
#include <QMimeData>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QUrl>

#include "playback/mci/simulated/SimulatedDevice.h"
#include "tests/support/SimulatedWindows.h"
#include "ui/DroppedFiles.h"
#include "ui/Main.h"
#include "ui/MovieList.h"

namespace cinevan {
namespace {

QMimeData* UriList(const QByteArray& list) {
    auto* data = new QMimeData;
    data->setData(QStringLiteral("text/uri-list"), list);
    return data;
}

TEST(DroppedLocalFiles, KeepsOnlyLocalFilesByteForByte) {
    const std::unique_ptr<QMimeData> data(
        UriList("# a comment\r\n"
                "file:///m/a%20b.mpg\r\n"
                "https://example.com/c.mpg\r\n"
                "file://localhost/m/say%20%22hi%22%2C%20now.mpg\r\n"
                "file://elsewhere.example/m/remote.mpg\r\n"
                "file:///m/caf%E9%FF.mpg\n"
                "file:///m/what%3F%23.mpg?query#part\r\n"
                "mailto:someone@example.com\r\n"
                "file:///m/nul%00.mpg\r\n"
                "file:/m/short.mpg"));
    EXPECT_EQ(DroppedLocalFiles(*data),
              (QByteArrayList{"/m/a b.mpg", "/m/say \"hi\", now.mpg", "/m/caf\xe9\xff.mpg",
                              "/m/what?#.mpg", "/m/short.mpg"}));
}

TEST(DroppedLocalFiles, TextAndWebLinksCarryNoFiles) {
    QMimeData text;
    text.setText(QStringLiteral("/m/a.mpg"));
    EXPECT_TRUE(DroppedLocalFiles(text).isEmpty());
    QMimeData link;
    link.setUrls({QUrl(QStringLiteral("https://example.com/movie.mpg"))});
    EXPECT_TRUE(DroppedLocalFiles(link).isEmpty());
    QMimeData local;
    local.setUrls({QUrl::fromLocalFile(QStringLiteral("/m/x y.mpg"))});
    EXPECT_EQ(DroppedLocalFiles(local), QByteArrayList{"/m/x y.mpg"});
}

// The main window and the editor side by side on simulated devices, a list playing.
class DropOnWindowsTest : public test::SimulatedWindowsTest {
protected:
    void SetUp() override {
        CreateMain();
        CreateEditor();
        main_->show();
        editor_->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(editor_.get()));
        main_->Player().ProcessCommandLine({Movie("a.mpg"), Movie("b.mpg")});
        ASSERT_EQ(main_->Player().State(), PlayState::Playing);
    }

    // Drags `data` over `target` and drops it; returns whether the drag was taken.
    static bool Drop(QWidget* target, const QMimeData& data) {
        QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &data, Qt::LeftButton, {});
        QApplication::sendEvent(target, &enter);
        QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &data, Qt::LeftButton, {});
        QApplication::sendEvent(target, &drop);
        return enter.isAccepted();
    }

    void ExpectUnchanged(const QByteArrayList& lines) {
        EXPECT_EQ(main_->Player().List().Lines(), lines);
        EXPECT_EQ(main_->Player().List().Current(), 0);
        EXPECT_EQ(main_->Player().State(), PlayState::Playing);
        EXPECT_EQ(editor_->ListBoxMovies->count(), lines.size());
    }
};

TEST_F(DropOnWindowsTest, DropsWithoutLocalFilesChangeNothingAnywhere) {
    const QByteArrayList lines = main_->Player().List().Lines();
    QMimeData link;
    link.setUrls({QUrl(QStringLiteral("https://example.com/movie.mpg"))});
    QMimeData text;
    text.setText(QStringLiteral("just some text"));
    for (QWidget* target :
         {static_cast<QWidget*>(main_.get()), static_cast<QWidget*>(editor_.get()),
          editor_->ListBoxMovies->viewport()}) {
        for (const QMimeData* data : {&link, &text}) {
            EXPECT_FALSE(Drop(target, *data)) << target->objectName().toStdString();
            ExpectUnchanged(lines);
        }
    }
    main_->Player().DropFilesOnMainWindow({QByteArray()});
    ExpectUnchanged(lines);
}

TEST_F(DropOnWindowsTest, NamesThatAreNotUtf8ArriveUnchanged) {
    const QByteArray name = QFile::encodeName(folder_.path()) + "/caf\xe9 \"x\".mpg";
    const int fd = ::open(name.constData(), O_WRONLY | O_CREAT, 0644);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::write(fd, "movie", 5), 5);
    ::close(fd);
    const std::unique_ptr<QMimeData> data(
        UriList("file://" + QFile::encodeName(folder_.path()).toPercentEncoding("/") +
                "/caf%E9%20%22x%22.mpg\r\n"));
    EXPECT_TRUE(Drop(editor_->ListBoxMovies->viewport(), *data));
    ASSERT_EQ(main_->Player().List().MovieCount(), 3);
    EXPECT_EQ(main_->Player().List().GetMovieField(2, MovieList::kFileName), name);
    EXPECT_TRUE(Drop(main_.get(), *data));
    ASSERT_EQ(main_->Player().List().MovieCount(), 1);
    EXPECT_EQ(main_->Player().List().GetMovieField(0, MovieList::kFileName), name);
    EXPECT_EQ(main_->Player().List().GetMovieField(0, MovieList::kTitle), "caf\xe9 \"x\"");
}

}  // namespace
}  // namespace cinevan
