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
#include "platform/BoundedCall.h"

namespace cinevan {

namespace {

QString cannotOpen(const QString& path, const QString& reason) {
    return QStringLiteral("Cannot open file \"%1\". %2")
        .arg(QDir::toNativeSeparators(path), reason);
}

// Reads a regular file. The file is opened without waiting, so that a FIFO or a device named
// like a picture is refused at once instead of blocking (or never ending). Answers the bytes, or
// the error text.
struct FileRead {
    QByteArray bytes;
    QString error;
};

FileRead readRegularFile(const QString& path) {
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        return {{}, cannotOpen(path, QString::fromLocal8Bit(std::strerror(errno)))};
    }
    QFile file;
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) ||
        !file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return {{}, cannotOpen(path, QStringLiteral("Not a regular file."))};
    }
    if (file.size() > pictures::kMaxFileBytes) {
        return {{}, QStringLiteral("Picture file is too large")};
    }
    QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        return {{},
                QStringLiteral("Cannot read file \"%1\". %2")
                    .arg(QDir::toNativeSeparators(path), file.errorString())};
    }
    return {std::move(bytes), {}};
}

// The read runs apart from the window's thread: a cover on a share whose server stopped
// answering is refused once the time limit has passed instead of freezing the window.
QByteArray readWholeFile(const QString& path) {
    const std::optional<FileRead> read = callWithin(QDeadlineTimer(pictures::kReadTimeLimitMs),
                                                    [path] { return readRegularFile(path); });
    if (!read) {
        throw PictureError(cannotOpen(path, QStringLiteral("The file did not answer in time.")));
    }
    if (!read->error.isEmpty()) {
        throw PictureError(read->error);
    }
    return read->bytes;
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
