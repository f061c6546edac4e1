// File names as the file system allows them: how they are resolved when added, and that they
// come back unchanged after a save and a reload.

#include <fcntl.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <random>

#include "movielist/CommaText.h"
#include "movielist/MovieList.h"
#include "movielist/MovieListFile.h"
#include "movielist/MoviePath.h"
#include "tests/support/CurrentFolder.h"

namespace cinevan {
namespace {

class MovieNamesTest : public ::testing::Test {
protected:
    QByteArray root() const { return QFile::encodeName(dir.path()); }
    QByteArray file(const QByteArray& relative) const { return root() + '/' + relative; }
    // Creates the file (and its folders) by its byte name.
    void touch(const QByteArray& relative, const QByteArray& bytes = {}) {
        const QByteArray name = file(relative);
        ASSERT_TRUE(QDir().mkpath(QFile::decodeName(name.left(name.lastIndexOf('/')))));
        const int fd = ::open(name.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        ASSERT_GE(fd, 0) << name.constData();
        ASSERT_EQ(::write(fd, bytes.constData(), bytes.size()), bytes.size());
        ::close(fd);
    }
    QByteArrayList Reload(const MovieList& saved) {
        saved.SaveMovies(file("saved.mls"));
        MovieList reloaded;
        reloaded.AddMovies({file("saved.mls")}, false);
        QByteArrayList names;
        for (int i = 0; i < reloaded.MovieCount(); ++i) {
            names.append(reloaded.GetMovieField(i, MovieList::kFileName));
        }
        return names;
    }

    test::CurrentFolderGuard folderGuard;
    QTemporaryDir dir;
    MovieList list;
};

TEST_F(MovieNamesTest, RelativeNamesGivenDirectlyResolveOnceAgainstTheCurrentFolder) {
    touch("movies/a.mpg");
    touch("here/b.mpg");
    ASSERT_TRUE(moviepath::setCurrentFolder(file("here")));
    list.AddMovies({"../movies/a.mpg", "./b.mpg", "b.mpg"}, true);
    EXPECT_EQ(list.GetMovieField(0, MovieList::kFileName), file("movies/a.mpg"));
    EXPECT_EQ(list.GetMovieField(1, MovieList::kFileName), file("here/b.mpg"));
    EXPECT_EQ(list.GetMovieField(2, MovieList::kFileName), file("here/b.mpg"));
    // The folder of the first name still becomes the current folder.
    EXPECT_EQ(moviepath::currentFolder(), file("movies"));

    MovieList second;
    ASSERT_TRUE(moviepath::setCurrentFolder(root()));
    second.AddMovies({"movies/a.mpg"}, true);
    EXPECT_EQ(second.GetMovieField(0, MovieList::kFileName), file("movies/a.mpg"));
}

TEST_F(MovieNamesTest, RelativeListNameResolvesAndItsEntriesUseItsOwnFolder) {
    touch("x/list.mls", "\"clip.mpg\"\r\nsub\\b.mpg,B,..\\covers\\b.jpg\r\n");
    touch("here/keep");
    ASSERT_TRUE(moviepath::setCurrentFolder(file("here")));
    list.AddMovies({"../x/list.mls"}, true);
    ASSERT_EQ(list.MovieCount(), 2);
    EXPECT_EQ(list.GetMovieField(0, MovieList::kFileName), file("x/clip.mpg"));
    EXPECT_EQ(list.GetMovieField(1, MovieList::kFileName), file("x/sub/b.mpg"));
    EXPECT_EQ(list.GetMovieField(1, MovieList::kCover), file("covers/b.jpg"));
}

TEST_F(MovieNamesTest, ListsAddedLaterStillResolveAgainstTheirOwnFolder) {
    // No folder change, as for "Add from...": the list's folder decides, not the current one.
    touch("lists/l.mls", "clip.mpg\r\n");
    touch("elsewhere/keep");
    list.AddMovies({file("first.mpg")}, false);
    ASSERT_TRUE(moviepath::setCurrentFolder(file("elsewhere")));
    list.AddMovies({file("lists/l.mls")}, false);
    EXPECT_EQ(list.GetMovieField(1, MovieList::kFileName), file("lists/clip.mpg"));
}

TEST_F(MovieNamesTest, BackslashAndColonInGivenNamesAreOrdinaryCharacters) {
    ASSERT_TRUE(moviepath::setCurrentFolder(root()));
    list.AddMovies({"odd\\name.mpg", "Star Trek: Part 2.mpg"}, false);
    EXPECT_EQ(list.GetMovieField(0, MovieList::kFileName), file("odd\\name.mpg"));
    EXPECT_EQ(list.GetMovieField(0, MovieList::kTitle), "odd\\name");
    EXPECT_EQ(list.GetMovieField(1, MovieList::kTitle), "Star Trek: Part 2");
}

TEST_F(MovieNamesTest, NameWithQuotesStaysOneField) {
    const QByteArray name = file("say \"hi\" now.mpg");
    list.AddMovies({name}, false);
    ASSERT_EQ(list.MovieCount(), 1);
    EXPECT_EQ(commatext::read(list.Lines()[0]), QByteArrayList{name});
    EXPECT_EQ(list.GetMovieField(0, MovieList::kTitle), "say \"hi\" now");
    EXPECT_EQ(list.GetMovieField(0, MovieList::kCover), "");
    EXPECT_EQ(Reload(list), QByteArrayList{name});
}

TEST_F(MovieNamesTest, NamesWithALineBreakAreLeftOutSoThatASavedListKeepsItsEntries) {
    // A list file holds one entry a line: such a name would come back as two broken entries.
    touch("box/a.mpg");
    touch("box/b\nc.mpg");
    touch("box/d\re.mpg");
    list.AddMovies({file("box"), file("x\ny.mpg"), file("plain.mpg")}, false);
    const QByteArrayList expected{file("box/a.mpg"), file("plain.mpg")};
    QByteArrayList names;
    for (int i = 0; i < list.MovieCount(); ++i) {
        names.append(list.GetMovieField(i, MovieList::kFileName));
    }
    EXPECT_EQ(names, expected);
    EXPECT_EQ(Reload(list), expected);
}

TEST_F(MovieNamesTest, ListsInTheOriginalFormatReadAsBefore) {
    // Written by earlier versions: one quoted name per added movie, rewritten entries in comma
    // text, and names with quotes stored without doubling (which were read apart then too).
    touch("old.mls",
          "\"/m/My Movie.mpg\"\r\n"
          "/m/a.mpg,\"A, B and C\",/c/a.jpg,0:00:10,0:02:00\r\n"
          "\"/m/say \"hi\" now.mpg\"\r\n"
          "\r\n");
    list.AddMovies({file("old.mls")}, false);
    ASSERT_EQ(list.MovieCount(), 4);
    EXPECT_EQ(list.Lines()[0], "\"/m/My Movie.mpg\"");
    EXPECT_EQ(list.GetMovieField(1, MovieList::kTitle), "A, B and C");
    EXPECT_EQ(list.GetMovieField(1, MovieList::kStop), "0:02:00");
    EXPECT_EQ(list.GetMovieField(2, MovieList::kFileName), "/m/say ");
    EXPECT_EQ(list.Lines()[3], "");
}

// Any byte a file name may hold, apart from '/', NUL and the line breaks a line cannot hold.
QByteArray RandomName(std::mt19937& random) {
    static const QByteArray kCommon = QByteArray("\"\",, ab.\\:'\t;#=") + "\xe9\xc3\xa9\xff\x80";
    std::uniform_int_distribution<int> length(1, 24);
    std::uniform_int_distribution<int> pick(0, 3);
    std::uniform_int_distribution<int> anyByte(1, 255);
    std::uniform_int_distribution<int> common(0, static_cast<int>(kCommon.size()) - 1);
    QByteArray name;
    for (int n = length(random); name.size() < n;) {
        const char c = pick(random) == 0 ? char(anyByte(random)) : kCommon[common(random)];
        if (c != '/' && c != '\r' && c != '\n') {
            name += c;
        }
    }
    return name == "." || name == ".." ? name + 'x' : name;
}

TEST_F(MovieNamesTest, GeneratedNamesAndTitlesSurviveAddingSavingAndReading) {
    std::mt19937 random(20261208);
    for (int round = 0; round < 40; ++round) {
        MovieList movies;
        QByteArrayList names;
        QByteArrayList titles;
        for (int i = 0; i < 12; ++i) {
            const QByteArray name = RandomName(random);
            const QByteArray title = (i % 3 == 0 ? " " : "") + RandomName(random);
            movies.AddMovies({file(name)}, false);
            movies.SetMovieField(i, MovieList::kTitle, title);
            movies.SetMovieField(i, MovieList::kCover, file(RandomName(random)));
            ASSERT_EQ(movies.GetMovieField(i, MovieList::kFileName), file(name))
                << "round " << round << " name " << name.toHex().constData();
            names.append(file(name));
            titles.append(title);
        }
        movies.SaveMovies(file("saved.mls"));
        MovieList reloaded;
        reloaded.AddMovies({file("saved.mls")}, false);
        ASSERT_EQ(reloaded.Lines(), movies.Lines()) << "round " << round;
        for (int i = 0; i < names.size(); ++i) {
            EXPECT_EQ(reloaded.GetMovieField(i, MovieList::kFileName), names[i]);
            EXPECT_EQ(reloaded.GetMovieField(i, MovieList::kTitle), titles[i]);
        }
    }
}

TEST_F(MovieNamesTest, GeneratedRealFilesAddedByRelativeNameRoundTrip) {
    std::mt19937 random(8122026);
    ASSERT_TRUE(moviepath::setCurrentFolder(root()));
    QByteArrayList names;
    for (int i = 0; i < 60; ++i) {
        const QByteArray name = RandomName(random);
        touch(name);
        names.append(name);
    }
    list.AddMovies(names, false);
    ASSERT_EQ(list.MovieCount(), names.size());
    QByteArrayList expected;
    for (int i = 0; i < names.size(); ++i) {
        expected.append(file(names[i]));
        EXPECT_EQ(::access(list.GetMovieField(i, MovieList::kFileName).constData(), F_OK), 0)
            << names[i].toHex().constData();
    }
    EXPECT_EQ(Reload(list), expected);
}

TEST(CommaTextProperty, GeneratedFieldsSurviveWriteAndRead) {
    std::mt19937 random(42);
    std::uniform_int_distribution<int> count(1, 6);
    for (int round = 0; round < 2000; ++round) {
        QByteArrayList fields;
        for (int n = count(random); fields.size() < n;) {
            fields.append(round % 5 == 0 && fields.size() == 1 && n > 2 ? QByteArray()
                                                                        : RandomName(random));
        }
        const QByteArray line = commatext::write(fields);
        ASSERT_FALSE(line.contains('\n') || line.contains('\r'));
        ASSERT_EQ(commatext::read(line), fields) << line.toHex().constData();
        // A stored line read from a file comes back as the same line.
        ASSERT_EQ(movielistfile::splitLines(line + "\r\n"), QByteArrayList{line});
    }
}

}  // namespace
}  // namespace cinevan
