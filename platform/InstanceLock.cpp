#include "platform/InstanceLock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <cerrno>

namespace cinevan {

namespace {

// A folder that only this user can change: a real folder (no link), owned by the user, which
// neither the group nor others may write.
bool isPrivateFolder(const QByteArray& folder) {
    struct stat info {};
    return !folder.isEmpty() && ::lstat(folder.constData(), &info) == 0 && S_ISDIR(info.st_mode) &&
           info.st_uid == ::geteuid() && (info.st_mode & 022) == 0;
}

// Makes the folder (its parent must exist) unless it is there, then checks it.
bool makePrivateFolder(const QByteArray& folder) {
    if (::mkdir(folder.constData(), 0700) != 0 && errno != EEXIST) {
        return false;
    }
    return isPrivateFolder(folder);
}

QByteArray cacheFolder() {
    const QByteArray cache = qgetenv("XDG_CACHE_HOME");
    if (cache.startsWith('/')) {
        return cache;
    }
    const QByteArray home = qgetenv("HOME");
    return home.startsWith('/') ? home + "/.cache" : QByteArray();
}

QByteArray lockFolder() {
    const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
    if (runtime.startsWith('/') && isPrivateFolder(runtime)) {
        return runtime;
    }
    const QByteArray own = QFile::encodeName(QDir::tempPath()) + "/cinevan-" +
                           QByteArray::number(static_cast<qulonglong>(::geteuid()));
    if (makePrivateFolder(own)) {
        return own;
    }
    const QByteArray cache = cacheFolder();
    if (!cache.isEmpty() && QDir().mkpath(QFile::decodeName(cache)) &&
        makePrivateFolder(cache + "/cinevan")) {
        return cache + "/cinevan";
    }
    return {};
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
    const QByteArray folder = lockFolder();
    return folder.isEmpty() ? QString() : QFile::decodeName(folder) + '/' + fileNameFor(name);
}

InstanceLock::InstanceLock(const QString& name) {
    const QString path = lockFilePath(name);
    if (path.isEmpty()) {
        return;
    }
    const int fd = ::open(QFile::encodeName(path).constData(),
                          O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0) {
        return;
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        heldElsewhere_ = errno == EWOULDBLOCK;
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
