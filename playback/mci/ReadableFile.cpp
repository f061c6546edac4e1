#include "playback/mci/ReadableFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QByteArray>
#include <QFile>
#include <cerrno>

namespace cinevan::mci {

namespace {

MciError statError(int error) {
    return (error == ENOENT || error == ENOTDIR) ? Error::FileNotFound : Error::FileRead;
}

MciError checkKind(const struct stat& info) {
    return S_ISREG(info.st_mode) && info.st_size > 0 ? Error::None : Error::InvalidFile;
}

}  // namespace

MciError checkReadableFile(const QString& path) {
    const QByteArray name = QFile::encodeName(path);
    struct stat info {};
    if (::stat(name.constData(), &info) != 0) {
        return statError(errno);
    }
    if (const MciError error = checkKind(info)) {
        return error;
    }
    // Non-blocking, in case the name has been given to a FIFO since it was looked at; what was
    // opened is looked at again for that reason.
    const int fd = ::open(name.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        return errno == ENOENT ? Error::FileNotFound : Error::FileRead;
    }
    const MciError error = ::fstat(fd, &info) == 0 ? checkKind(info) : Error::FileRead;
    ::close(fd);
    return error;
}

}  // namespace cinevan::mci
