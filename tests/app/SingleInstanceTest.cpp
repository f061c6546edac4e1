#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>
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

}  // namespace
}  // namespace cinevan
