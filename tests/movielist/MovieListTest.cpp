#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "movielist/MovieList.h"
#include "movielist/MovieListErrors.h"
#include "movielist/MovieListListener.h"
#include "movielist/MoviePath.h"
#include "tests/support/CurrentFolder.h"

namespace cinevan {
namespace {

using ::testing::InSequence;
using ::testing::NiceMock;

class MockListener : public MovieListListener {
public:
    MOCK_METHOD(void, PausePlayback, (), (override));
    MOCK_METHOD(void, RefreshDisplay, (), (override));
    MOCK_METHOD(void, LoadCoverPreview, (), (override));
    MOCK_METHOD(void, RefreshList, (bool), (override));
};

class MovieListTest : public ::testing::Test {
protected:
    QByteArray root() const { return QFile::encodeName(dir.path()); }
    QByteArray file(const QByteArray& relative) const { return root() + '/' + relative; }
    void writeFile(const QByteArray& relative, const QByteArray& bytes) {
        const QString name = QFile::decodeName(file(relative));
        QDir().mkpath(QFileInfo(name).path());
        QFile out(name);
        ASSERT_TRUE(out.open(QIODevice::WriteOnly));
        out.write(bytes);
    }

    test::CurrentFolderGuard folderGuard;
    QTemporaryDir dir;
    MovieList list;
};

TEST_F(MovieListTest, EmptyListReadsNothing) {
    EXPECT_EQ(list.MovieCount(), 0);
    EXPECT_EQ(list.Current(), -1);
    EXPECT_EQ(list.GetMovieField(0, 0), "");
    EXPECT_EQ(list.GetMovieField(-1, 1), "");
}

TEST_F(MovieListTest, MlsDetectionByLowerCasedExtension) {
    writeFile("A.MLS", "inner.mpg\r\n");
    writeFile("a.mls.txt", "not read\r\n");
    list.AddMovies({file("A.MLS"), file("a.mls.txt")}, false);
    ASSERT_EQ(list.MovieCount(), 2);
    EXPECT_EQ(list.GetMovieField(1, 0), file("a.mls.txt"));
    EXPECT_EQ(list.Current(), 0);
}

TEST_F(MovieListTest, RelativeNamesResolveAgainstTheirOwnListsFolder) {
    writeFile("lists/one.mls", "\"clip.mpg\"\r\nsub\\b.mpg,Title,..\\covers\\c.jpg\r\n");
    writeFile("other/two.mls", "d.mpg\r\n");
    moviepath::setCurrentFolder("/");
    list.AddMovies({file("lists/one.mls"), file("other/two.mls")}, true);
    ASSERT_EQ(list.MovieCount(), 3);
    EXPECT_EQ(list.Lines()[0], file("lists/clip.mpg"));
    EXPECT_EQ(list.GetMovieField(1, 0), file("lists/sub/b.mpg"));
    EXPECT_EQ(list.GetMovieField(1, 2), file("covers/c.jpg"));
    EXPECT_EQ(list.GetMovieField(2, 0), file("other/d.mpg"));
    EXPECT_EQ(moviepath::currentFolder(), file("lists"));
}

TEST_F(MovieListTest, FolderThatCannotBeEnteredIsIgnored) {
    moviepath::setCurrentFolder(root());
    list.AddMovies({"/no/such/folder/a.mpg", "b.mpg"}, true);
    EXPECT_EQ(moviepath::currentFolder(), root());
    EXPECT_EQ(list.GetMovieField(1, 0), file("b.mpg"));
}

TEST_F(MovieListTest, NestedListsAreNotExpanded) {
    writeFile("outer.mls", "inner.mls\r\n");
    writeFile("inner.mls", "movie.mpg\r\n");
    list.AddMovies({file("outer.mls")}, true);
    ASSERT_EQ(list.MovieCount(), 1);
    EXPECT_EQ(list.GetMovieField(0, 0), file("inner.mls"));
}

TEST_F(MovieListTest, SameMovieTwiceAndEmptyLines) {
    writeFile("l.mls", "a.mpg\r\n\r\na.mpg\r\n");
    list.AddMovies({file("l.mls")}, true);
    ASSERT_EQ(list.MovieCount(), 3);
    EXPECT_EQ(list.Lines()[1], "");
    EXPECT_EQ(list.GetMovieField(1, 1), "");
    EXPECT_EQ(list.GetMovieField(0, 0), list.GetMovieField(2, 0));
}

TEST_F(MovieListTest, UnreadableListIsSkipped) {
    list.AddMovies({file("missing.mls"), "/m/a.mpg"}, false);
    ASSERT_EQ(list.MovieCount(), 1);
    EXPECT_EQ(list.Lines()[0], "\"/m/a.mpg\"");
}

TEST_F(MovieListTest, AddedNameIsQuotedUntilRewritten) {
    list.AddMovies({"/m/My Movie.mpg", "/m/b.mpg"}, false);
    EXPECT_EQ(list.Lines()[0], "\"/m/My Movie.mpg\"");
    EXPECT_EQ(list.Lines()[1], "\"/m/b.mpg\"");
    EXPECT_EQ(list.GetMovieField(0, 1), "My Movie");
}

TEST_F(MovieListTest, SetFieldAppendsEmptyFields) {
    list.AddMovies({"/m/a.mpg"}, false);
    list.SetMovieField(0, MovieList::kStop, "00:01:00");
    EXPECT_EQ(list.Lines()[0], "/m/a.mpg,,,,00:01:00");
    list.SetMovieField(0, MovieList::kTitle, "A, B");
    EXPECT_EQ(list.Lines()[0], "/m/a.mpg,\"A, B\",,,00:01:00");
}

TEST_F(MovieListTest, SetFieldOutsideTheListRaisesIndexError) {
    list.AddMovies({"/m/a.mpg"}, false);
    try {
        list.SetMovieField(5, 1, "x");
        FAIL() << "no exception";
    } catch (const EListError& error) {
        EXPECT_STREQ(error.what(), "List index out of bounds (5)");
    }
    EXPECT_NO_THROW(list.SetMovieField(5, 1, ""));
}

TEST_F(MovieListTest, SaveAndReloadKeepsTitleWithCommaAndBlanks) {
    list.AddMovies({"/m/a.mpg"}, false);
    list.SetMovieField(0, MovieList::kTitle, " A, B  and \"C\" ");
    list.SaveMovies(file("saved.mls"));
    MovieList reloaded;
    reloaded.AddMovies({file("saved.mls")}, false);
    EXPECT_EQ(reloaded.GetMovieField(0, MovieList::kTitle), " A, B  and \"C\" ");
    EXPECT_EQ(reloaded.Lines(), list.Lines());
}

TEST_F(MovieListTest, SaveFailureLeavesListAndOldFile) {
    list.AddMovies({"/m/a.mpg"}, false);
    EXPECT_THROW(list.SaveMovies(file("missing/x.mls")), EFCreateError);
    EXPECT_EQ(list.MovieCount(), 1);
}

TEST_F(MovieListTest, PlainIndexOperationsKeepTheCurrentEntry) {
    list.AddMovies({"/0", "/1", "/2", "/3", "/4"}, false);
    for (int i = 0; i < list.MovieCount(); ++i) {
        list.SetMovieField(i, MovieList::kTitle, "T");
    }
    list.SetCurrent(2);
    EXPECT_FALSE(list.WouldMove(1, 2));
    EXPECT_EQ(list.Move(1, 2), 1);
    EXPECT_EQ(list.Move(0, 3), 2);
    EXPECT_EQ(list.Current(), 1);
    EXPECT_EQ(list.Lines(), (QByteArrayList{"/1,T", "/2,T", "/0,T", "/3,T", "/4,T"}));
    EXPECT_EQ(list.Move(4, 0), 0);
    EXPECT_EQ(list.Current(), 2);
    EXPECT_EQ(list.Move(2, 99), 4);
    EXPECT_EQ(list.Current(), 4);
    EXPECT_EQ(list.Copy(0), 5);
    EXPECT_EQ(list.Copy(6), -1);
    EXPECT_EQ(list.Lines().last(), list.Lines().first());
    EXPECT_FALSE(list.Delete(6));
    EXPECT_TRUE(list.Delete(0));
    EXPECT_EQ(list.Current(), 3);
    EXPECT_TRUE(list.Delete(4));
    EXPECT_EQ(list.Current(), 3);
    EXPECT_TRUE(list.Delete(3));
    EXPECT_EQ(list.Current(), 2);
    list.Clear();
    EXPECT_EQ(list.Current(), -1);
    EXPECT_EQ(list.Move(0, 1), -1);
}

TEST_F(MovieListTest, DeletingTheOnlyEntryEmptiesCurrent) {
    list.AddMovies({"/0"}, false);
    EXPECT_TRUE(list.Delete(0));
    EXPECT_EQ(list.Current(), -1);
}

class MovieListRefreshTest : public MovieListTest {
protected:
    MovieListRefreshTest() { list.SetListener(&listener); }
    NiceMock<MockListener> listener;
};

TEST_F(MovieListRefreshTest, AddMoviesToEmptyListLoadsCoverThenRefreshesOnce) {
    InSequence order;
    EXPECT_CALL(listener, PausePlayback()).Times(0);
    EXPECT_CALL(listener, LoadCoverPreview()).Times(1);
    EXPECT_CALL(listener, RefreshDisplay()).Times(1);
    EXPECT_CALL(listener, RefreshList(true)).Times(1);
    list.AddMovies({"a.mpg", "b.mpg", "c.mpg"}, false);
}

TEST_F(MovieListRefreshTest, AddMoviesToFilledListKeepsCoverAndCurrent) {
    list.AddMovies({"/a.mpg"}, false);
    ::testing::Mock::VerifyAndClearExpectations(&listener);
    EXPECT_CALL(listener, LoadCoverPreview()).Times(0);
    EXPECT_CALL(listener, PausePlayback()).Times(0);
    EXPECT_CALL(listener, RefreshDisplay()).Times(1);
    EXPECT_CALL(listener, RefreshList(true)).Times(1);
    list.AddMovies({"b.mpg"}, false);
    EXPECT_EQ(list.Current(), 0);
}

TEST_F(MovieListRefreshTest, AddingNothingToEmptyListStillRefreshes) {
    EXPECT_CALL(listener, LoadCoverPreview()).Times(0);
    EXPECT_CALL(listener, RefreshDisplay()).Times(1);
    EXPECT_CALL(listener, RefreshList(true)).Times(1);
    list.AddMovies({file("missing.mls")}, false);
    EXPECT_EQ(list.Current(), -1);
}

TEST_F(MovieListRefreshTest, EditingCurrentEntryPausesThenRefreshes) {
    list.AddMovies({"/a.mpg", "/b.mpg"}, false);
    ::testing::Mock::VerifyAndClearExpectations(&listener);
    {
        InSequence order;
        EXPECT_CALL(listener, PausePlayback()).Times(1);
        EXPECT_CALL(listener, RefreshDisplay()).Times(1);
        EXPECT_CALL(listener, RefreshList(true)).Times(1);
    }
    list.SetMovieField(0, MovieList::kTitle, "New");
    ::testing::Mock::VerifyAndClearExpectations(&listener);
    EXPECT_CALL(listener, PausePlayback()).Times(0);
    EXPECT_CALL(listener, RefreshDisplay()).Times(1);
    EXPECT_CALL(listener, RefreshList(true)).Times(1);
    list.SetMovieField(1, MovieList::kTitle, "Other");
}

TEST_F(MovieListRefreshTest, StoringTheDefaultTitleDoesNothing) {
    list.AddMovies({"/m/clip.mpg"}, false);
    const QByteArray line = list.Lines()[0];
    EXPECT_CALL(listener, PausePlayback()).Times(0);
    EXPECT_CALL(listener, RefreshDisplay()).Times(0);
    EXPECT_CALL(listener, RefreshList).Times(0);
    list.SetMovieField(0, MovieList::kTitle, "clip");
    list.SetMovieField(0, MovieList::kTitle, "");
    list.SetMovieField(0, MovieList::kCover, "");
    EXPECT_EQ(list.Lines()[0], line);
}

}  // namespace
}  // namespace cinevan

namespace cinevan {
namespace {

class ThrowingPause : public MockListener {
public:
    void PausePlayback() override {
        if (fail) {
            throw std::runtime_error("pause failed");
        }
    }
    bool fail = false;
};

TEST(MovieListErrors, AddMoviesRefreshesAndClearsUpdatingWhenAnErrorEscapes) {
    NiceMock<ThrowingPause> listener;
    MovieList list(&listener);
    list.AddMovies({"/m/a.mpg"}, false);
    // The edit dialog may store a relative cover; the next AddMovies rewrites the current
    // entry, and its pause fails.
    list.SetMovieField(0, MovieList::kCover, "cover.jpg");
    ::testing::Mock::VerifyAndClearExpectations(&listener);
    listener.fail = true;
    EXPECT_CALL(listener, RefreshDisplay()).Times(1);
    EXPECT_CALL(listener, RefreshList(true)).Times(1);
    EXPECT_THROW(list.AddMovies({"/m/b.mpg"}, false), std::runtime_error);
    EXPECT_EQ(list.MovieCount(), 2);
    ::testing::Mock::VerifyAndClearExpectations(&listener);
    // Not updating any more: an edit of another entry refreshes again.
    EXPECT_CALL(listener, RefreshDisplay()).Times(1);
    EXPECT_CALL(listener, RefreshList(true)).Times(1);
    list.SetMovieField(1, MovieList::kTitle, "B");
}

}  // namespace
}  // namespace cinevan
