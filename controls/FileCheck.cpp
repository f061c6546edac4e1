#include "controls/FileCheck.h"

#include <QDeadlineTimer>
#include <QFileInfo>

#include "platform/BoundedCall.h"

namespace cinevan {

namespace {

// Asks the file system on a thread of its own, as the answer may never come.
std::optional<bool> CheckWithin(const QString& path, bool (*check)(const QFileInfo&)) {
    if (path.isEmpty()) {
        return false;
    }
    return callWithin(QDeadlineTimer(kFileCheckLimitMs),
                      [path, check] { return check(QFileInfo(path)); });
}

}  // namespace

bool IsLoadableFile(const QString& path) {
    return CheckWithin(path,
                       [](const QFileInfo& info) { return info.isFile() && info.isReadable(); })
        .value_or(false);
}

std::optional<bool> FolderExists(const QString& path) {
    return CheckWithin(path, [](const QFileInfo& info) { return info.isDir(); });
}

}  // namespace cinevan
