#include "playback/mci/ReadableFile.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
#include <QTemporaryDir>

namespace cinevan::test {

namespace {

using mci::checkReadableFile;
namespace Error = mci::Error;

class ReadableFileTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dir_.isValid()); }

    QString write(const QString& name, const QByteArray& bytes) {
        const QString path = dir_.filePath(name);
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        return path;
    }

    QString link(const QString& name, const QString& target) {
        const QString path = dir_.filePath(name);
        EXPECT_TRUE(QFile::link(target, path));
        return path;
    }

    static QByteArray native(const QString& path) { return QFile::encodeName(path); }

    QTemporaryDir dir_;
};

}  // namespace

TEST_F(ReadableFileTest, AcceptsReadableFilesAndLinksToThem) {
    const QString movie = write("movie.mpg", QByteArray(2048, '\x42'));
    EXPECT_EQ(checkReadableFile(movie), Error::None);
    EXPECT_EQ(checkReadableFile(link("alias.mpg", movie)), Error::None);
}

TEST_F(ReadableFileTest, MissingPathsAreNotFound) {
    const QString file = write("plain.mpg", "data");
    EXPECT_EQ(checkReadableFile(dir_.filePath("absent.mpg")), Error::FileNotFound);
    EXPECT_EQ(checkReadableFile(dir_.filePath("absent/movie.mpg")), Error::FileNotFound);
    EXPECT_EQ(checkReadableFile(file + "/movie.mpg"), Error::FileNotFound);
    EXPECT_EQ(checkReadableFile(link("dangling.mpg", dir_.filePath("gone.mpg"))),
              Error::FileNotFound);
    EXPECT_EQ(checkReadableFile(QString()), Error::FileNotFound);
}

// A FIFO or a device would block the engine that reads it; an empty file holds no movie.
TEST_F(ReadableFileTest, RefusesWhatIsNoRegularFileWithContent) {
    const QString fifo = dir_.filePath("stalled.mpg");
    ASSERT_EQ(::mkfifo(native(fifo).constData(), 0600), 0);
    EXPECT_EQ(checkReadableFile(fifo), Error::InvalidFile);
    EXPECT_EQ(checkReadableFile(link("to-fifo.mpg", fifo)), Error::InvalidFile);
    EXPECT_EQ(checkReadableFile(dir_.path()), Error::InvalidFile);
    EXPECT_EQ(checkReadableFile(QStringLiteral("/dev/zero")), Error::InvalidFile);
    EXPECT_EQ(checkReadableFile(write("empty.mpg", {})), Error::InvalidFile);
}

TEST_F(ReadableFileTest, PathsThatCannotBeFollowedAreReadErrors) {
    const QString loop = dir_.filePath("loop.mpg");
    ASSERT_EQ(::symlink(native(loop).constData(), native(loop).constData()), 0);
    EXPECT_EQ(checkReadableFile(loop), Error::FileRead);
    EXPECT_EQ(checkReadableFile(dir_.filePath(QString(5000, 'x'))), Error::FileRead);
}

TEST_F(ReadableFileTest, UnreadableFileIsAReadError) {
    if (::geteuid() == 0) {
        GTEST_SKIP() << "root reads any file";
    }
    const QString locked = write("locked.mpg", "data");
    ASSERT_EQ(::chmod(native(locked).constData(), 0), 0);
    EXPECT_EQ(checkReadableFile(locked), Error::FileRead);
}

}  // namespace cinevan::test
