#include "platform/InstanceLock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <QCryptographicHash>
#include <QDir>
#include <QFile>

namespace cinevan {

namespace {

QString lockFolder() {
    const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && QDir(QFile::decodeName(runtime)).exists()) {
        return QFile::decodeName(runtime);
    }
    return QDir::tempPath();
}

// A lock name may hold characters a file name cannot ('/') and may be longer than a file
// name can be; both are mapped so that distinct names stay distinct.
QString fileNameFor(const QString& name) {
    QString safe = name;
    safe.replace('/', '_');
    const QByteArray encoded = QFile::encodeName(safe);
    if (encoded.size() <= 200) {
        return safe + ".lock";
    }
    const QByteArray digest = QCryptographicHash::hash(encoded, QCryptographicHash::Sha256);
    return safe.left(100) + '-' + QString::fromLatin1(digest.toHex()) + ".lock";
}

}  // namespace

QString InstanceLock::lockFilePath(const QString& name) {
    return lockFolder() + '/' + fileNameFor(name);
}

InstanceLock::InstanceLock(const QString& name) {
    const QByteArray path = QFile::encodeName(lockFilePath(name));
    const int fd = ::open(path.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0) {
        return;
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        return;
    }
    fd_ = fd;
}

InstanceLock::~InstanceLock() {
    if (fd_ >= 0) {
        ::close(fd_);  // closing the descriptor drops the lock
    }
}

}  // namespace cinevan
