#include "pictures/Picture.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <cstring>

#include "pictures/LoadLimits.h"
#include "pictures/PictureError.h"
#include "pictures/PictureFormats.h"

namespace cinevan {

namespace {

QString cannotOpen(const QString& path, const QString& reason) {
    return QStringLiteral("Cannot open file \"%1\". %2")
        .arg(QDir::toNativeSeparators(path), reason);
}

// Reads a regular file. The file is opened without waiting, so that a FIFO or a device named
// like a picture is refused at once instead of blocking (or never ending).
QByteArray readWholeFile(const QString& path) {
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        throw PictureError(cannotOpen(path, QString::fromLocal8Bit(std::strerror(errno))));
    }
    QFile file;
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) ||
        !file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        throw PictureError(cannotOpen(path, QStringLiteral("Not a regular file.")));
    }
    if (file.size() > pictures::kMaxFileBytes) {
        throw PictureError(QStringLiteral("Picture file is too large"));
    }
    QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        throw PictureError(QStringLiteral("Cannot read file \"%1\". %2")
                               .arg(QDir::toNativeSeparators(path), file.errorString()));
    }
    return bytes;
}

}  // namespace

Picture::Picture(QObject* parent) : QObject(parent) {}

Picture::~Picture() = default;

void Picture::loadFromFile(const QString& path) {
    const QString extension = QFileInfo(path).suffix();
    if (!pictures::isKnownExtension(extension)) {
        throw PictureError(QStringLiteral("Unknown picture file extension (.%1)").arg(extension));
    }
    const QByteArray bytes = readWholeFile(path);
    auto forward = [this](const Graphic& source, const ProgressInfo& info) {
        emit progress(source, info);
    };
    auto graphic = pictures::decodeByExtension(extension, bytes, forward);
    // Progress after loading comes from the held graphic only through changes.
    graphic->setProgressHandler({});
    setGraphic(std::move(graphic));
}

void Picture::assign(const Picture* other) {
    if (other == this) {
        return;
    }
    setGraphic(other && other->graphic_ ? other->graphic_->clone() : nullptr);
}

void Picture::clear() {
    setGraphic(nullptr);
}

void Picture::setGraphic(std::unique_ptr<Graphic> graphic) {
    graphic_ = std::move(graphic);
    emit changed();
}

}  // namespace cinevan
