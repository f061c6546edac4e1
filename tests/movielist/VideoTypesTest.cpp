#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "movielist/MovieFolder.h"
#include "movielist/VideoTypes.h"

namespace cinevan {
namespace {

TEST(VideoTypes, TheMimeDatabaseDecidesWhatIsVideo) {
    for (const char* name : {"a.mp4", "b.MKV", "c.webm", "d.avi", "e.mov", "f.ogv", "g.m4v"}) {
        EXPECT_TRUE(videotypes::isVideoName(name)) << name;
    }
    for (const char* name : {"cover.png", "notes.txt", "list.mls", "song.mp3", "noextension"}) {
        EXPECT_FALSE(videotypes::isVideoName(name)) << name;
    }
    QStringList patterns = videotypes::videoPatterns();
    for (const char* pattern : {"*.mp4", "*.mkv", "*.webm", "*.avi", "*.mov", "*.ogv", "*.mpg"}) {
        EXPECT_TRUE(patterns.contains(pattern)) << pattern;
    }
    EXPECT_FALSE(patterns.contains("*.png"));
    EXPECT_EQ(patterns.removeDuplicates(), 0);
}

TEST(VideoTypes, FoldersTakeEveryVideoFile) {
    QTemporaryDir folder;
    for (const char* name : {"a.mp4", "b.mkv", "c.webm", "d.AVI", "e.mov", "f.ogv", "g.mpg",
                             "cover.png", "notes.txt", ".hidden.mp4"}) {
        QFile file(folder.filePath(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }
    const QByteArray root = QFile::encodeName(folder.path()) + '/';
    EXPECT_EQ(moviefolder::moviesIn(QFile::encodeName(folder.path())),
              (QByteArrayList{root + "a.mp4", root + "b.mkv", root + "c.webm", root + "d.AVI",
                              root + "e.mov", root + "f.ogv", root + "g.mpg"}));
}

}  // namespace
}  // namespace cinevan
