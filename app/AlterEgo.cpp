#include "app/AlterEgo.h"

#include <QFile>
#include <QFileInfo>
#include <memory>

#include "platform/InstanceLock.h"

namespace cinevan {

QString InstanceMutexName(const QString& programPath) {
    QString name = QStringLiteral("APPLICATION-") + programPath.toUpper();
    name.replace('\\', '_');
    name.replace('/', '_');
    return name;
}

QString ProgramFilePath() {
    // Available before any QCoreApplication exists, unlike applicationFilePath().
    const QString exe = QFile::symLinkTarget(QStringLiteral("/proc/self/exe"));
    return exe.isEmpty() ? QString() : QFileInfo(exe).absoluteFilePath();
}

QString CompanionFile(const QString& programPath, const QString& extension) {
    const QString suffix = QFileInfo(programPath).suffix();
    QString base = programPath;
    if (!suffix.isEmpty()) {
        base.chop(suffix.size() + 1);
    }
    return base + extension;
}

bool FirstInstance() {
    static const std::unique_ptr<InstanceLock> lock =
        std::make_unique<InstanceLock>(InstanceMutexName(ProgramFilePath()));
    // Without a private place for the lock the program runs unguarded rather than not at all.
    return !lock->heldElsewhere();
}

}  // namespace cinevan
