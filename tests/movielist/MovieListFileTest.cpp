#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <csignal>

#include "movielist/MovieListErrors.h"
#include "movielist/MovieListFile.h"
#include "tests/support/Files.h"

namespace cinevan {
namespace {

using movielistfile::splitLines;

using test::ReadFile;
using test::WriteFile;

TEST(MovieListFileSplit, LineBreakKinds) {
    EXPECT_EQ(splitLines("a\r\nb\rc\nd"), (QByteArrayList{"a", "b", "c", "d"}));
    EXPECT_EQ(splitLines("a\n\rb"), (QByteArrayList{"a", "", "b"}));
    EXPECT_EQ(splitLines("a\r\rb"), (QByteArrayList{"a", "", "b"}));
}

TEST(MovieListFileSplit, FinalBreakAddsNoLine) {
    EXPECT_EQ(splitLines("a\r\n"), QByteArrayList{"a"});
    EXPECT_EQ(splitLines("a\r\n\r\n"), (QByteArrayList{"a", ""}));
    EXPECT_EQ(splitLines("a\r\nb"), (QByteArrayList{"a", "b"}));
    EXPECT_EQ(splitLines("\r\n"), QByteArrayList{""});
    EXPECT_TRUE(splitLines("").isEmpty());
}

TEST(MovieListFileSplit, NulEndsTheText) {
    EXPECT_EQ(splitLines(QByteArray("a\r\nb\0c\r\nd", 10)), (QByteArrayList{"a", "b"}));
    EXPECT_TRUE(splitLines(QByteArray("\0a", 2)).isEmpty());
}

TEST(MovieListFileSplit, BytesAreKeptVerbatim) {
    const QByteArray bom(
        "\xef\xbb\xbf"
        "a.mpg");
    EXPECT_EQ(splitLines(bom + "\r\n\xff\xfe\x80"), (QByteArrayList{bom, "\xff\xfe\x80"}));
}

class MovieListFileIo : public ::testing::Test {
protected:
    QByteArray path(const char* name) const { return QFile::encodeName(dir.filePath(name)); }
    QTemporaryDir dir;
};

TEST_F(MovieListFileIo, UnreadableInputGivesNothing) {
    EXPECT_TRUE(movielistfile::read(path("missing.mls")).isEmpty());
    EXPECT_TRUE(movielistfile::read(QFile::encodeName(dir.path())).isEmpty());
    EXPECT_TRUE(movielistfile::read("").isEmpty());
    EXPECT_TRUE(movielistfile::read("/dev/zero").isEmpty());
}

TEST_F(MovieListFileIo, BinaryJunkReadsUpToTheFirstNul) {
    QByteArray junk;
    for (int i = 255; i >= 0; --i) {
        junk += static_cast<char>(i);
    }
    WriteFile(dir.filePath("junk.mls"), junk);
    const QByteArrayList lines = movielistfile::read(path("junk.mls"));
    EXPECT_EQ(lines.join(), junk.left(255).replace('\r', "").replace('\n', ""));
}

TEST_F(MovieListFileIo, WriteEndsEveryLineWithCrLf) {
    movielistfile::write(path("out.mls"), {"\"a b\",T", "", "\xe9\xff"});
    EXPECT_EQ(ReadFile(dir.filePath("out.mls")), "\"a b\",T\r\n\r\n\xe9\xff\r\n");
    EXPECT_EQ(movielistfile::read(path("out.mls")), (QByteArrayList{"\"a b\",T", "", "\xe9\xff"}));
}

TEST_F(MovieListFileIo, EmptyListWritesZeroBytes) {
    WriteFile(dir.filePath("out.mls"), "old\r\n");
    movielistfile::write(path("out.mls"), {});
    EXPECT_TRUE(QFileInfo::exists(dir.filePath("out.mls")));
    EXPECT_EQ(QFileInfo(dir.filePath("out.mls")).size(), 0);
}

TEST_F(MovieListFileIo, NonUtf8FileNamesReachTheFileSystem) {
    const QByteArray name = QFile::encodeName(dir.path()) + "/\xe9t\xe9.mls";
    movielistfile::write(name, {"x"});
    EXPECT_EQ(::access(name.constData(), F_OK), 0);
    EXPECT_EQ(movielistfile::read(name), QByteArrayList{"x"});
}

TEST_F(MovieListFileIo, CreateFailureNamesTheFile) {
    const QByteArray target = path("no/such/folder/out.mls");
    try {
        movielistfile::write(target, {"a"});
        FAIL() << "no exception";
    } catch (const EFCreateError& error) {
        EXPECT_EQ(QByteArray(error.what()), "Cannot create file " + target);
    }
    EXPECT_THROW(movielistfile::write(QFile::encodeName(dir.path()), {"a"}), EFCreateError);
}

TEST_F(MovieListFileIo, AWriteRefusedAtTheLastMomentKeepsTheOldFileAndLeavesNoTemporary) {
    WriteFile(dir.filePath("old.mls"), "old\r\n");
    int asked = 0;
    EXPECT_THROW(movielistfile::writeText(path("old.mls"), "new\r\n",
                                          [&] {
                                              ++asked;
                                              return false;
                                          }),
                 EFCreateError);
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(ReadFile(dir.filePath("old.mls")), "old\r\n");
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"old.mls"});
    movielistfile::writeText(path("old.mls"), "new\r\n", [] { return true; });
    EXPECT_EQ(ReadFile(dir.filePath("old.mls")), "new\r\n");
}

TEST_F(MovieListFileIo, WriteProtectedTargetStaysUntouched) {
    WriteFile(dir.filePath("old.mls"), "old\r\n");
    QFile::setPermissions(dir.filePath("old.mls"), QFileDevice::ReadOwner);
    // Replacing the file by a rename would succeed even so; the writer must refuse.
    EXPECT_THROW(movielistfile::write(path("old.mls"), {"new"}), EFCreateError);
    QFile::setPermissions(dir.filePath("old.mls"),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    EXPECT_EQ(ReadFile(dir.filePath("old.mls")), "old\r\n");
}

TEST_F(MovieListFileIo, ReadOnlyFolderLeavesNoFile) {
    if (::geteuid() == 0) {
        GTEST_SKIP() << "folder permissions do not apply to root";
    }
    QDir(dir.path()).mkdir("ro");
    WriteFile(dir.filePath("ro/old.mls"), "old\r\n");
    QFile::setPermissions(dir.filePath("ro"), QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    EXPECT_THROW(movielistfile::write(path("ro/old.mls"), {"new"}), EFCreateError);
    QFile::setPermissions(dir.filePath("ro"),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    EXPECT_EQ(ReadFile(dir.filePath("ro/old.mls")), "old\r\n");
}

TEST_F(MovieListFileIo, WritingThroughALinkKeepsLinkAndPermissions) {
    WriteFile(dir.filePath("real.mls"), "old\r\n");
    QFile::setPermissions(dir.filePath("real.mls"), QFileDevice::ReadOwner |
                                                        QFileDevice::WriteOwner |
                                                        QFileDevice::ReadOther);
    ASSERT_TRUE(QFile::link(dir.filePath("real.mls"), dir.filePath("link.mls")));
    movielistfile::write(path("link.mls"), {"new"});
    EXPECT_TRUE(QFileInfo(dir.filePath("link.mls")).isSymLink());
    EXPECT_EQ(ReadFile(dir.filePath("real.mls")), "new\r\n");
    struct stat info {};
    ASSERT_EQ(::stat(path("real.mls").constData(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0604u);
}

// A file-size limit makes the disk write fail part-way, as a full disk would.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        ::getrlimit(RLIMIT_FSIZE, &saved_);
        oldHandler_ = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = saved_;
        limit.rlim_cur = bytes;
        ::setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit() {
        ::setrlimit(RLIMIT_FSIZE, &saved_);
        std::signal(SIGXFSZ, oldHandler_);
    }

private:
    rlimit saved_{};
    void (*oldHandler_)(int) = nullptr;
};

TEST_F(MovieListFileIo, FailedDiskWriteKeepsOldFileAndLeavesNoTemporary) {
    WriteFile(dir.filePath("old.mls"), "old\r\n");
    const QByteArrayList lines(20000, QByteArray(60, 'x'));
    {
        FileSizeLimit limit(4096);
        EXPECT_THROW(movielistfile::write(path("old.mls"), lines), EFCreateError);
    }
    EXPECT_EQ(ReadFile(dir.filePath("old.mls")), "old\r\n");
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"old.mls"});
}

}  // namespace
}  // namespace cinevan
