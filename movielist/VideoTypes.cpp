#include "movielist/VideoTypes.h"

#include <QFile>
#include <QMimeDatabase>
#include <QMimeType>
#include <algorithm>

namespace cinevan::videotypes {

namespace {

bool IsVideoType(const QMimeType& type) {
    const auto video = [](const QString& name) { return name.startsWith(QLatin1String("video/")); };
    if (video(type.name())) {
        return true;
    }
    const QStringList ancestors = type.allAncestors();
    return std::any_of(ancestors.cbegin(), ancestors.cend(), video);
}

}  // namespace

bool isVideoName(const QByteArray& name) {
    const QMimeDatabase database;
    return IsVideoType(
        database.mimeTypeForFile(QFile::decodeName(name), QMimeDatabase::MatchExtension));
}

QStringList videoPatterns() {
    QStringList patterns;
    const QMimeDatabase database;
    for (const QMimeType& type : database.allMimeTypes()) {
        if (IsVideoType(type)) {
            patterns += type.globPatterns();
        }
    }
    patterns.sort(Qt::CaseInsensitive);
    patterns.removeDuplicates();
    return patterns;
}

}  // namespace cinevan::videotypes
