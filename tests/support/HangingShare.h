#pragma once

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

namespace cinevan::test {

// A share mounted through FUSE whose every file lookup waits for two minutes, as a network share
// does whose server went away. Not mounted where FUSE is not available.
class HangingShare {
public:
    HangingShare() {
        QDir().mkpath(mountPoint_);
        server_.start(
            QStringLiteral("/usr/bin/python3"),
            {QStringLiteral(CINEVAN_SOURCE_DIR "/tests/fixtures/hanging-fs.py"), mountPoint_});
        mounted_ =
            server_.waitForStarted() && QTest::qWaitFor([this] { return isMounted(); }, 10000);
    }
    // Killing the server ends the lookups still waiting with an error.
    ~HangingShare() {
        server_.kill();
        server_.waitForFinished(5000);
        QProcess::execute(QStringLiteral("umount"), {QStringLiteral("-l"), mountPoint_});
    }
    HangingShare(const HangingShare&) = delete;
    HangingShare& operator=(const HangingShare&) = delete;

    bool mounted() const { return mounted_; }
    QString path(const QString& name) const { return mountPoint_ + '/' + name; }

private:
    bool isMounted() const {
        QFile table(QStringLiteral("/proc/self/mountinfo"));
        return table.open(QIODevice::ReadOnly) &&
               table.readAll().contains(' ' + QFile::encodeName(mountPoint_) + ' ');
    }

    QTemporaryDir folder_;
    QString mountPoint_ = folder_.path() + QStringLiteral("/share");
    QProcess server_;
    bool mounted_ = false;
};

}  // namespace cinevan::test
