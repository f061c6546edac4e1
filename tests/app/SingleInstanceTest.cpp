#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include "app/AlterEgo.h"
#include "platform/InstanceLock.h"

namespace cinevan {
namespace {

TEST(InstanceMutexName, UpperCasesThePathAndReplacesSeparators) {
    EXPECT_EQ(InstanceMutexName("C:\\Movies\\player.exe"), "APPLICATION-C:_MOVIES_PLAYER.EXE");
    EXPECT_EQ(InstanceMutexName("/opt/Cinevan/cinevan"), "APPLICATION-_OPT_CINEVAN_CINEVAN");
    EXPECT_EQ(InstanceMutexName("/opt/cinevan/CINEVAN"), InstanceMutexName("/OPT/Cinevan/cinevan"));
    EXPECT_NE(InstanceMutexName("/opt/a/cinevan"), InstanceMutexName("/opt/b/cinevan"));
}

TEST(InstanceLock, IsHeldOncePerNameAndReleasedWithItsOwner) {
    const QString name = InstanceMutexName("/test/instance-lock/" + QDir::tempPath());
    {
        InstanceLock first(name);
        ASSERT_TRUE(first.acquired());
        InstanceLock second(name);
        EXPECT_FALSE(second.acquired());
        InstanceLock other(name + "-other");
        EXPECT_TRUE(other.acquired());
    }
    InstanceLock again(name);
    EXPECT_TRUE(again.acquired());
}

TEST(InstanceLock, LongNamesStayDistinct) {
    const QString stem(400, QLatin1Char('A'));
    InstanceLock first(stem + "1");
    InstanceLock second(stem + "2");
    EXPECT_TRUE(first.acquired());
    EXPECT_TRUE(second.acquired());
}

// Sets an environment variable (or removes it for a null value) and restores it afterwards.
class EnvironmentOverride {
public:
    EnvironmentOverride(const char* name, const QByteArray& value)
        : name_(name), had_(qEnvironmentVariableIsSet(name)), old_(qgetenv(name)) {
        value.isNull() ? qunsetenv(name) : qputenv(name, value);
    }
    ~EnvironmentOverride() { had_ ? qputenv(name_, old_) : qunsetenv(name_); }

private:
    const char* name_;
    bool had_;
    QByteArray old_;
};

struct stat StatOf(const QString& path) {
    struct stat info {};
    EXPECT_EQ(::lstat(QFile::encodeName(path).constData(), &info), 0) << path.toStdString();
    return info;
}

// Without a usable runtime folder the lock lives in a folder of the temporary folder that
// belongs to this user alone.
class InstanceLockFolder : public ::testing::Test {
protected:
    QString UserFolder() const { return temp.path() + "/cinevan-" + QString::number(::geteuid()); }
    QTemporaryDir temp;
    QTemporaryDir cache;
    EnvironmentOverride tmpdir{"TMPDIR", QFile::encodeName(temp.path())};
    EnvironmentOverride cacheHome{"XDG_CACHE_HOME", QFile::encodeName(cache.path())};
    const QString name = InstanceMutexName("/test/lock-folder/cinevan");
};

TEST_F(InstanceLockFolder, WithoutARuntimeFolderTheLockIsPrivateToTheUser) {
    EnvironmentOverride runtime("XDG_RUNTIME_DIR", QByteArray());
    const QString path = InstanceLock::lockFilePath(name);
    EXPECT_TRUE(path.startsWith(UserFolder() + '/')) << path.toStdString();
    InstanceLock lock(name);
    ASSERT_TRUE(lock.acquired());
    EXPECT_FALSE(lock.heldElsewhere());
    const struct stat folder = StatOf(UserFolder());
    EXPECT_TRUE(S_ISDIR(folder.st_mode));
    EXPECT_EQ(folder.st_uid, ::geteuid());
    EXPECT_EQ(folder.st_mode & 07777, 0700u);
    EXPECT_EQ(StatOf(path).st_mode & 07777, 0600u);
    InstanceLock second(name);
    EXPECT_FALSE(second.acquired());
    EXPECT_TRUE(second.heldElsewhere());
}

TEST_F(InstanceLockFolder, ARuntimeFolderOthersMayWriteIsNotUsed) {
    QTemporaryDir open;
    ::chmod(QFile::encodeName(open.path()).constData(), 0777);
    EnvironmentOverride runtime("XDG_RUNTIME_DIR", QFile::encodeName(open.path()));
    EXPECT_TRUE(InstanceLock::lockFilePath(name).startsWith(UserFolder() + '/'));

    QTemporaryDir mine;
    EnvironmentOverride privateRuntime("XDG_RUNTIME_DIR", QFile::encodeName(mine.path()));
    ::chmod(QFile::encodeName(mine.path()).constData(), 0700);
    EXPECT_TRUE(InstanceLock::lockFilePath(name).startsWith(mine.path() + '/'));
}

TEST_F(InstanceLockFolder, AFolderPlantedUnderTheUsersNameIsNotTrusted) {
    EnvironmentOverride runtime("XDG_RUNTIME_DIR", QByteArray());
    // Another user (or anyone, through a link) got the user's folder name first.
    QTemporaryDir elsewhere;
    ASSERT_EQ(::symlink(QFile::encodeName(elsewhere.path()).constData(),
                        QFile::encodeName(UserFolder()).constData()),
              0);
    const QString path = InstanceLock::lockFilePath(name);
    EXPECT_TRUE(path.startsWith(cache.path() + "/cinevan/")) << path.toStdString();
    InstanceLock lock(name);
    EXPECT_TRUE(lock.acquired());
    EXPECT_TRUE(QDir(elsewhere.path()).isEmpty()) << "nothing is written through the link";
}

// The real program, started twice from one file and once from a copy in another folder.
class SingleInstanceProcess : public ::testing::Test {
protected:
    static QProcess* Start(const QString& program) {
        auto* process = new QProcess;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("QT_QPA_PLATFORM", "offscreen");
        env.insert("CINEVAN_AUDIO_OUTPUT", "null");
        process->setProcessEnvironment(env);
        process->start(program, {});
        return process;
    }
};

TEST_F(SingleInstanceProcess, SecondStartOfTheSameFileEndsSilentlyACopyRuns) {
    QTemporaryDir folder;
    const QString original = folder.path() + "/one/cinevan";
    const QString copy = folder.path() + "/two/cinevan";
    QDir().mkpath(folder.path() + "/one");
    QDir().mkpath(folder.path() + "/two");
    ASSERT_TRUE(QFile::copy(CINEVAN_BINARY, original));
    ASSERT_TRUE(QFile::copy(CINEVAN_BINARY, copy));

    std::unique_ptr<QProcess> first(Start(original));
    ASSERT_TRUE(first->waitForStarted());
    // Give the first instance time to take its lock and show its window.
    ASSERT_FALSE(first->waitForFinished(3000)) << first->readAllStandardError().toStdString();

    std::unique_ptr<QProcess> second(Start(original));
    EXPECT_TRUE(second->waitForFinished(20000)) << "a second instance must end by itself";
    EXPECT_EQ(second->exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(second->exitCode(), 0);
    EXPECT_TRUE(second->readAllStandardOutput().isEmpty());

    std::unique_ptr<QProcess> elsewhere(Start(copy));
    EXPECT_FALSE(elsewhere->waitForFinished(3000)) << "a copy in another folder runs";

    for (QProcess* process : {first.get(), elsewhere.get()}) {
        process->terminate();
        process->waitForFinished(10000);
    }
}

// Two users of one machine without runtime folders (su, ssh, some containers): each has a lock
// of their own, so that neither keeps the other from starting.
class SingleInstanceUsers : public ::testing::Test {
protected:
    static constexpr uid_t kOtherUser = 65534;

    void SetUp() override {
        if (::geteuid() != 0 || QStandardPaths::findExecutable("setpriv").isEmpty()) {
            GTEST_SKIP() << "acting as a second user needs root and setpriv";
        }
        // The shared temporary folder; the program copied where every user may run it.
        ::chmod(QFile::encodeName(shared.path()).constData(), 01777);
        program = shared.path() + "/cinevan";
        ASSERT_TRUE(QFile::copy(CINEVAN_BINARY, program));
        ::chmod(QFile::encodeName(program).constData(), 0755);
        ASSERT_EQ(::chown(QFile::encodeName(otherHome.path()).constData(), kOtherUser, kOtherUser),
                  0);
    }

    QProcess* Start(const QString& home, const QStringList& prefix,
                    const QString& runtime = QString()) {
        auto* process = new QProcess;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.remove("XDG_RUNTIME_DIR");
        if (!runtime.isEmpty()) {
            env.insert("XDG_RUNTIME_DIR", runtime);
        }
        for (const char* var : {"XDG_CONFIG_HOME", "XDG_CACHE_HOME", "XDG_DATA_HOME"}) {
            env.remove(var);
        }
        env.insert("HOME", home);
        env.insert("TMPDIR", shared.path());
        env.insert("QT_QPA_PLATFORM", "offscreen");
        env.insert("CINEVAN_AUDIO_OUTPUT", "null");
        env.insert("ASAN_OPTIONS", "detect_leaks=0");
        process->setProcessEnvironment(env);
        process->start(prefix.isEmpty() ? program : prefix.front(),
                       prefix.isEmpty() ? QStringList() : prefix.mid(1) + QStringList{program});
        EXPECT_TRUE(process->waitForStarted());
        return process;
    }
    QProcess* StartAsOtherUser(const QString& runtime = QString()) {
        const QString id = QString::number(kOtherUser);
        return Start(otherHome.path(),
                     {"setpriv", "--reuid=" + id, "--regid=" + id, "--clear-groups"}, runtime);
    }

    QTemporaryDir shared;
    QTemporaryDir rootHome;
    QTemporaryDir otherHome;
    QString program;
};

TEST_F(SingleInstanceUsers, AnotherUsersRunningCopyNeverBlocksAStart) {
    std::unique_ptr<QProcess> first(Start(rootHome.path(), {}));
    ASSERT_FALSE(first->waitForFinished(3000)) << first->readAllStandardError().toStdString();

    // As after "su": the runtime folder named is the first user's, which the other may not
    // write.
    QTemporaryDir firstUsersRuntime;
    std::unique_ptr<QProcess> other(StartAsOtherUser(firstUsersRuntime.path()));
    EXPECT_FALSE(other->waitForFinished(3000))
        << "another user's start runs: " << other->readAllStandardError().toStdString();

    std::unique_ptr<QProcess> again(Start(rootHome.path(), {}));
    EXPECT_TRUE(again->waitForFinished(20000)) << "the same user's second start ends";
    std::unique_ptr<QProcess> otherAgain(StartAsOtherUser());
    EXPECT_TRUE(otherAgain->waitForFinished(20000)) << "so does the other user's";
    EXPECT_EQ(otherAgain->exitCode(), 0);

    for (QProcess* process : {first.get(), other.get()}) {
        process->terminate();
        process->waitForFinished(10000);
    }
}

}  // namespace
}  // namespace cinevan
