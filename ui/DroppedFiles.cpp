#include "ui/DroppedFiles.h"

#include <QMimeData>
#include <QSysInfo>
#include <algorithm>

namespace cinevan {
namespace {

const QString kUriList = QStringLiteral("text/uri-list");

// The host part of a "file:" URI names this machine when it is empty or "localhost"; some file
// managers write the host name.
bool IsLocalHost(const QByteArray& host) {
    return host.isEmpty() || host.compare("localhost", Qt::CaseInsensitive) == 0 ||
           host == QSysInfo::machineHostName().toUtf8();
}

// The file name of one URI of the list, empty for anything but a local file.
QByteArray LocalFileOf(const QByteArray& uri) {
    if (!uri.startsWith("file:")) {
        return {};
    }
    QByteArray rest = uri.mid(5);
    if (rest.startsWith("//")) {
        const qsizetype slash = rest.indexOf('/', 2);
        if (slash < 0 || !IsLocalHost(rest.mid(2, slash - 2))) {
            return {};
        }
        rest = rest.mid(slash);
    }
    // A query or a fragment is no part of a file name (a literal '?' or '#' is percent-encoded).
    qsizetype end = rest.size();
    for (const char mark : {'?', '#'}) {
        const qsizetype at = rest.indexOf(mark);
        end = at >= 0 ? std::min(end, at) : end;
    }
    const QByteArray path = QByteArray::fromPercentEncoding(rest.left(end));
    return path.startsWith('/') && !path.contains('\0') ? path : QByteArray();
}

}  // namespace

QByteArrayList DroppedLocalFiles(const QMimeData& data) {
    QByteArrayList names;
    if (!data.hasFormat(kUriList)) {
        return names;
    }
    for (QByteArray line : data.data(kUriList).split('\n')) {
        line = line.trimmed();
        if (line.isEmpty() || line.startsWith('#')) {
            continue;
        }
        const QByteArray name = LocalFileOf(line);
        if (!name.isEmpty()) {
            names.append(name);
        }
    }
    return names;
}

}  // namespace cinevan
