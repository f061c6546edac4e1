#include "pictures/Picture.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "pictures/LoadLimits.h"
#include "pictures/PictureError.h"
#include "pictures/PictureFormats.h"

namespace cinevan {

namespace {

QByteArray readWholeFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        throw PictureError(QStringLiteral("Cannot open file \"%1\". %2")
                               .arg(QDir::toNativeSeparators(path), file.errorString()));
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
    setGraphic(other && other->m_graphic ? other->m_graphic->clone() : nullptr);
}

void Picture::clear() {
    setGraphic(nullptr);
}

void Picture::setGraphic(std::unique_ptr<Graphic> graphic) {
    m_graphic = std::move(graphic);
    emit changed();
}

}  // namespace cinevan
