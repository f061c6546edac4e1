#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "movielist/MovieFolder.h"
#include "movielist/MovieList.h"
#include "movielist/MoviePath.h"
#include "tests/support/CurrentFolder.h"

namespace cinevan {
namespace {

// A folder of clips on disk, given to the movie list the way a drop or the command line does.
class MovieFolderTest : public ::testing::Test {
protected:
    QByteArray root() const { return QFile::encodeName(dir_.path()); }
    QByteArray path(const QByteArray& relative) const { return root() + '/' + relative; }

    void touch(const QByteArray& relative) {
        const QByteArray full = path(relative);
        ASSERT_TRUE(QDir().mkpath(QFileInfo(QFile::decodeName(full)).path()));
        FILE* file = std::fopen(full.constData(), "w");
        ASSERT_NE(file, nullptr) << full.constData();
        std::fclose(file);
    }

    QByteArrayList fileNames(const MovieList& list) const {
        QByteArrayList names;
        for (int i = 0; i < list.MovieCount(); ++i) {
            names.append(list.GetMovieField(i, MovieList::kFileName));
        }
        return names;
    }

    test::CurrentFolderGuard folderGuard_;
    QTemporaryDir dir_;
};

TEST_F(MovieFolderTest, AFolderStandsForItsMovieFilesInNaturalOrder) {
    for (const char* name : {"clip10.dat", "b.MPEG", "clip2.dat", "a.mpg", "notes.txt",
                             ".hidden.mpg", "cover.jpg", "list.mls"}) {
        touch(QByteArray("clips/") + name);
    }
    ASSERT_TRUE(QDir().mkpath(QFile::decodeName(path("clips/sub.mpg"))));  // a folder
    ASSERT_EQ(::symlink("a.mpg", path("clips/link.mpg").constData()), 0);
    ASSERT_EQ(::mkfifo(path("clips/pipe.mpg").constData(), 0600), 0);

    MovieList list;
    list.AddMovies({path("clips")}, true);

    EXPECT_EQ(fileNames(list),
              QByteArrayList({path("clips/a.mpg"), path("clips/b.MPEG"), path("clips/clip2.dat"),
                              path("clips/clip10.dat"), path("clips/link.mpg")}));
    EXPECT_EQ(list.Current(), 0);
    EXPECT_EQ(moviepath::currentFolder(), root()) << "the folder holding the given folder";
}

TEST_F(MovieFolderTest, RelativeFolderResolvesBeforeTheCurrentFolderChanges) {
    touch("clips/a.mpg");
    touch("other.mpg");
    ASSERT_TRUE(moviepath::setCurrentFolder(root()));

    MovieList list;
    list.AddMovies({"clips/", "other.mpg"}, true);

    // Every given name means the folder it was typed in, although clips/ became current.
    EXPECT_EQ(fileNames(list), QByteArrayList({path("clips/a.mpg"), path("other.mpg")}));
}

TEST_F(MovieFolderTest, VideoCdRootGivesTheTracksOfItsMpegavFolder) {
    touch("disc/MPEGAV/AVSEQ02.DAT");
    touch("disc/MPEGAV/AVSEQ01.DAT");
    touch("disc/VCD/INFO.VCD");

    EXPECT_EQ(moviefolder::moviesIn(path("disc")),
              QByteArrayList({path("disc/MPEGAV/AVSEQ01.DAT"), path("disc/MPEGAV/AVSEQ02.DAT")}));
}

TEST_F(MovieFolderTest, FolderWithoutMoviesAddsNothingAndFilesStayAsTheyWere) {
    touch("empty/readme.txt");
    touch("plain.mpg");

    MovieList list;
    list.AddMovies({path("empty"), path("missing-folder/"), path("plain.mpg")}, false);

    // A missing name still becomes an entry, as any missing file does.
    EXPECT_EQ(fileNames(list), QByteArrayList({path("missing-folder"), path("plain.mpg")}));
}

TEST_F(MovieFolderTest, NamesThatAreNotValidTextAreKeptAsBytes) {
    const QByteArray name = "caf\xe9 \xff.mpg";
    touch("raw/" + name);

    EXPECT_EQ(moviefolder::moviesIn(path("raw")), QByteArrayList({path("raw/" + name)}));
    ::unlink(path("raw/" + name).constData());  // a name QTemporaryDir cannot remove
}

TEST(NaturalOrder, DigitRunsCompareByValueAndLettersWithoutCase) {
    EXPECT_TRUE(moviefolder::naturalLess("clip2", "clip10"));
    EXPECT_FALSE(moviefolder::naturalLess("clip10", "clip2"));
    EXPECT_TRUE(moviefolder::naturalLess("Apple", "banana"));
    EXPECT_TRUE(moviefolder::naturalLess("a", "ab"));
    EXPECT_TRUE(moviefolder::naturalLess("track9z", "track010"));
    // Equal but for case or leading zeros: still a strict order, one way only.
    EXPECT_NE(moviefolder::naturalLess("A1", "a01"), moviefolder::naturalLess("a01", "A1"));
    EXPECT_FALSE(moviefolder::naturalLess("same", "same"));
}

}  // namespace
}  // namespace cinevan
