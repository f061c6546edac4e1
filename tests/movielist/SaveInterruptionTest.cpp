#include <gtest/gtest.h>
#include <poll.h>
#include <sys/inotify.h>
#include <sys/mount.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <optional>
#include <thread>

#include "movielist/MovieList.h"
#include "movielist/MovieListErrors.h"
#include "movielist/SaveTemporaries.h"
#include "tests/support/Files.h"

namespace cinevan {
namespace {

constexpr int kEntries = 100000;

// A movie list of `count` entries with every field filled; `tag` makes lists tell apart.
QByteArray MovieListText(int count, const QByteArray& tag) {
    QByteArray text;
    text.reserve(count * 80);
    for (int i = 0; i < count; ++i) {
        const QByteArray n = QByteArray::number(i);
        text += "\"/movies/" + tag + "/clip" + n + ".mpg\",\"" + tag + " title, " + n +
                "\",\"/covers/" + tag + n + ".jpg\",0:00:01,0:00:0" +
                QByteArray::number(i % 9 + 1) + "\r\n";
    }
    return text;
}

using test::ReadFile;
using test::WriteFile;

// Every file of `folder` but the two given.
QStringList Others(const QString& folder, const QStringList& known) {
    QStringList others =
        QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    for (const QString& name : known) {
        others.removeAll(name);
    }
    return others;
}

// Tells when a file is created or written in a folder.
class WriteWatch {
public:
    explicit WriteWatch(const QString& folder) : fd_(::inotify_init1(IN_CLOEXEC)) {
        if (fd_ >= 0) {
            ::inotify_add_watch(fd_, QFile::encodeName(folder).constData(), IN_CREATE | IN_MODIFY);
        }
    }
    ~WriteWatch() {
        if (fd_ >= 0) {
            ::close(fd_);
        }
    }
    WriteWatch(const WriteWatch&) = delete;
    WriteWatch& operator=(const WriteWatch&) = delete;

    bool valid() const { return fd_ >= 0; }
    bool wait(int milliseconds) const {
        pollfd entry{fd_, POLLIN, 0};
        return ::poll(&entry, 1, milliseconds) == 1;
    }

private:
    int fd_;
};

// The helper process: it loads the new list once and saves it in a forked copy of itself on
// every request, so that each save can be killed without loading the list again.
class SavingChild {
public:
    SavingChild(const QString& source, const QString& target) {
        process_.start(QStringLiteral(CINEVAN_SAVE_CHILD), {source, target});
    }
    ~SavingChild() {
        process_.closeWriteChannel();
        if (!process_.waitForFinished(10000)) {
            process_.kill();
            process_.waitForFinished(10000);
        }
    }
    SavingChild(const SavingChild&) = delete;
    SavingChild& operator=(const SavingChild&) = delete;

    bool Ready() { return WaitForLine() == "ready " + QByteArray::number(kEntries); }
    // Starts one save; returns the saving process's id, or 0.
    pid_t StartSave() {
        process_.write("\n");
        process_.waitForBytesWritten(5000);
        const QByteArray line = WaitForLine();
        return line.startsWith("saving ") ? line.mid(7).toInt() : 0;
    }
    // The wait status of the saving process once it has ended.
    int Ended() {
        const QByteArray line = WaitForLine();
        return line.startsWith("ended ") ? line.mid(6).toInt() : -1;
    }

private:
    QByteArray WaitForLine() {
        while (!process_.canReadLine() && process_.waitForReadyRead(120000)) {
        }
        return process_.readLine().trimmed();
    }

    QProcess process_;
};

class SaveInterruptionTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(folder_.isValid());
        source_ = folder_.filePath("source.mls");
        target_ = folder_.filePath("target.mls");
        WriteFile(source_, MovieListText(kEntries, "new"));
    }

    QTemporaryDir folder_;
    QString source_;
    QString target_;
};

TEST_F(SaveInterruptionTest, KilledAtAnyPointLeavesTheOldFileOrTheNewOne) {
    SavingChild child(source_, target_);
    ASSERT_TRUE(child.Ready());
    // One save that runs to its end gives the new file and how long it writes for.
    const auto longest = [&] {
        const WriteWatch watch(folder_.path());
        EXPECT_NE(child.StartSave(), 0);
        EXPECT_TRUE(watch.wait(30000));
        const auto start = std::chrono::steady_clock::now();
        EXPECT_EQ(child.Ended(), 0);
        return std::chrono::duration_cast<std::chrono::microseconds>(
                   std::chrono::steady_clock::now() - start) *
               3 / 2;
    }();
    const QByteArray newText = ReadFile(target_);
    ASSERT_EQ(newText, MovieListText(kEntries, "new"));
    const QByteArray oldText = MovieListText(kEntries / 2, "old");

    constexpr int kTrials = 40;
    int killedWhileWriting = 0;
    int finished = 0;
    for (int trial = 0; trial < kTrials; ++trial) {
        WriteFile(target_, oldText);
        const WriteWatch watch(folder_.path());
        ASSERT_TRUE(watch.valid());
        const pid_t saver = child.StartSave();
        ASSERT_NE(saver, 0);
        ASSERT_TRUE(watch.wait(30000)) << "the save begins to write";
        // Kill points sweep from at once to past the end of the save, densest early on.
        const qint64 delay = longest.count() * trial * trial / (kTrials * kTrials);
        std::this_thread::sleep_for(std::chrono::microseconds(delay));
        ::kill(saver, SIGKILL);
        child.Ended();

        const QByteArray now = ReadFile(target_);
        ASSERT_TRUE(now == oldText || now == newText)
            << "trial " << trial << " after " << delay << " us: " << now.size() << " bytes";
        const QStringList left = Others(folder_.path(), {"source.mls", "target.mls"});
        if (now == oldText) {
            killedWhileWriting += left.isEmpty() ? 0 : 1;
        } else {
            ++finished;
        }
        for (const QString& name : left) {
            QFile::remove(folder_.filePath(name));
        }
    }
    EXPECT_GT(killedWhileWriting, 0) << "some kills came while the new list was being written";
    std::printf("killed while writing: %d, finished before the kill: %d\n", killedWhileWriting,
                finished);
}

// A save killed while writing leaves its temporary beside the list; the next save of that list
// removes it, and nothing that may belong to a save still going on or to someone else.
TEST_F(SaveInterruptionTest, TheNextSaveRemovesWhatAKilledSaveLeftAndNothingElse) {
    SavingChild child(source_, target_);
    ASSERT_TRUE(child.Ready());
    const QByteArray oldText = MovieListText(10, "old");
    QStringList left;
    for (int trial = 0; trial < 20 && left.isEmpty(); ++trial) {
        WriteFile(target_, oldText);
        const WriteWatch watch(folder_.path());
        const pid_t saver = child.StartSave();
        ASSERT_NE(saver, 0);
        ASSERT_TRUE(watch.wait(30000)) << "the save begins to write";
        ::kill(saver, SIGKILL);
        child.Ended();
        left = Others(folder_.path(), {"source.mls", "target.mls"});
    }
    ASSERT_EQ(left.size(), 1) << "a kill came while the list was being written";
    ASSERT_EQ(ReadFile(target_), oldText);

    const QByteArray target = QFile::encodeName(target_);
    const std::optional<savetemporaries::Writer> killed =
        savetemporaries::writerOf(target, QFile::encodeName(left.first()));
    ASSERT_TRUE(killed) << left.first().toStdString();
    const savetemporaries::Writer self = savetemporaries::thisWriter();
    ASSERT_EQ(killed->host, self.host);
    const auto plant = [](const QByteArray& name) {
        WriteFile(QFile::decodeName(name), "partial");
        return QFileInfo(QFile::decodeName(name)).fileName();
    };
    const QString deadToo = plant(savetemporaries::nameFor(target, *killed, 7));
    const QStringList kept{
        plant(savetemporaries::nameFor(target, self, 1)),
        plant(savetemporaries::nameFor(target, {::getppid(), self.host}, 2)),
        plant(savetemporaries::nameFor(
            target,
            {killed->pid,
             self.host == "0badc0de" ? QByteArray("0badc0df") : QByteArray("0badc0de")},
            3)),
        plant(
            savetemporaries::nameFor(QFile::encodeName(folder_.filePath("other.mls")), *killed, 4)),
    };
    const QString foreign = plant(savetemporaries::nameFor(target, *killed, 5));
    const bool chowned =
        ::chown(QFile::encodeName(folder_.filePath(foreign)).constData(), 65534, 65534) == 0;
    if (!chowned) {
        QFile::remove(folder_.filePath(foreign));
    }
    const QString link =
        QFileInfo(QFile::decodeName(savetemporaries::nameFor(target, *killed, 6))).fileName();
    ASSERT_TRUE(QFile::link(source_, folder_.filePath(link)));
    const QString folder =
        QFileInfo(QFile::decodeName(savetemporaries::nameFor(target, *killed, 8))).fileName();
    ASSERT_TRUE(QDir(folder_.path()).mkdir(folder));

    MovieList list;
    list.AddMovies({QFile::encodeName(source_)}, false);
    list.SaveMovies(target);
    EXPECT_EQ(ReadFile(target_), MovieListText(kEntries, "new"));
    QStringList expected = kept + QStringList{link, folder};
    if (chowned) {
        expected.append(foreign);
    }
    QStringList now =
        QDir(folder_.path())
            .entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    now.removeAll("source.mls");
    now.removeAll("target.mls");
    expected.sort();
    now.sort();
    EXPECT_EQ(now, expected) << "removed: " << left.first().toStdString() << " and "
                             << deadToo.toStdString();
}

TEST(SaveTemporaryNames, OnlyNamesOfTheSameListWithAWriterAreTemporaries) {
    const QByteArray target = "/lists/my list.mls";
    const savetemporaries::Writer writer{4321, "00c0ffee"};
    const QByteArray name = savetemporaries::nameFor(target, writer, 35);
    EXPECT_EQ(name, "/lists/.my list.mls.4321-00c0ffee.z");
    const auto parsed = savetemporaries::writerOf(target, name.mid(7));
    ASSERT_TRUE(parsed);
    EXPECT_EQ(parsed->pid, 4321);
    EXPECT_EQ(parsed->host, "00c0ffee");
    for (const QByteArray other :
         {"my list.mls", ".my list.mls.", ".my list.mls.abc", ".my list.mls.4321-00c0ffee",
          ".my list.mls.4321-00c0ffee.", ".my list.mls.4321-00c0ffee.z.z",
          ".my list.mls.4321-00C0FFEE.z", ".my list.mls.4321-c0ffee.z", ".my list.mls.-00c0ffee.z",
          ".my list.mls.0-00c0ffee.z", ".my list.mls.99999999999-00c0ffee.z",
          ".my list.mls.4321-00c0ffee.Z", ".other.mls.4321-00c0ffee.z",
          ".my list.mls.x.4321-00c0ffee.z", ".my list.mls.1k1a2b3"}) {
        EXPECT_FALSE(savetemporaries::writerOf(target, other)) << other.constData();
    }
}

// A small tmpfs mounted for the life of the object: a disk that fills up.
class SmallDisk {
public:
    SmallDisk(const QString& folder, int kibibytes) : folder_(QFile::encodeName(folder)) {
        const QByteArray options = "size=" + QByteArray::number(kibibytes) + "k,mode=0755";
        if (::mount("tmpfs", folder_.constData(), "tmpfs", MS_NOSUID | MS_NODEV,
                    options.constData()) == 0) {
            mounted_ = true;
        } else {
            error_ = std::strerror(errno);
        }
    }
    ~SmallDisk() {
        if (mounted_) {
            ::umount2(folder_.constData(), MNT_DETACH);
        }
    }
    SmallDisk(const SmallDisk&) = delete;
    SmallDisk& operator=(const SmallDisk&) = delete;

    bool Mounted() const { return mounted_; }
    const char* Error() const { return error_; }

private:
    QByteArray folder_;
    bool mounted_ = false;
    const char* error_ = "";
};

TEST_F(SaveInterruptionTest, FullDiskReportsCannotCreateAndKeepsTheOldList) {
    const QString mountPoint = folder_.filePath("disk");
    ASSERT_TRUE(QDir().mkpath(mountPoint));
    const SmallDisk disk(mountPoint, 256);
    if (!disk.Mounted()) {
        GTEST_SKIP() << "a small tmpfs cannot be mounted here (mounting needs root with "
                        "CAP_SYS_ADMIN, which containers often withhold): "
                     << disk.Error();
    }
    const QString target = mountPoint + "/list.mls";
    const QByteArray oldText = MovieListText(1000, "old");
    WriteFile(target, oldText);

    MovieList list;
    list.AddMovies({QFile::encodeName(source_)}, false);
    ASSERT_EQ(list.MovieCount(), kEntries);
    const QByteArrayList before = list.Lines();
    try {
        list.SaveMovies(QFile::encodeName(target));
        FAIL() << "a list of " << kEntries << " entries does not fit on 256 KiB";
    } catch (const EFCreateError& error) {
        EXPECT_EQ(std::string(error.what()), "Cannot create file " + target.toStdString());
    }
    EXPECT_TRUE(ReadFile(target) == oldText) << "the old list is kept";
    EXPECT_EQ(Others(mountPoint, {"list.mls"}), QStringList()) << "the partial copy is removed";
    EXPECT_EQ(list.Lines(), before);

    // The space the failed save took is free again: a small list still fits.
    MovieList small;
    small.AddMovies({QFile::encodeName(target)}, false);
    small.Delete(0);
    small.SaveMovies(QFile::encodeName(target));
    EXPECT_EQ(small.MovieCount(), 999);
    EXPECT_TRUE(ReadFile(target) == oldText.mid(oldText.indexOf("\r\n") + 2));
}

}  // namespace
}  // namespace cinevan
