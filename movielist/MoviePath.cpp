#include "movielist/MoviePath.h"

#include <unistd.h>

#include <QByteArrayList>
#include <algorithm>
#include <cerrno>
#include <vector>

namespace cinevan::moviepath {
namespace {

constexpr char kSlash = '/';
constexpr char kBackslash = '\\';

QByteArray withForwardSlashes(const QByteArray& name) {
    return isAbsolute(name) ? name : QByteArray(name).replace(kBackslash, kSlash);
}

// Drops empty and "." parts and lets ".." remove the part before it (never above the root).
QByteArray canonicalAbsolute(const QByteArray& absolute) {
    std::vector<QByteArray> parts;
    for (const QByteArray& part : absolute.split(kSlash)) {
        if (part.isEmpty() || part == ".") {
            continue;
        }
        if (part == "..") {
            if (!parts.empty()) {
                parts.pop_back();
            }
            continue;
        }
        parts.push_back(part);
    }
    QByteArray result;
    for (const QByteArray& part : parts) {
        result += kSlash;
        result += part;
    }
    return result.isEmpty() ? QByteArray(1, kSlash) : result;
}

}  // namespace

bool isAbsolute(const QByteArray& name) {
    return name.startsWith(kSlash);
}

qsizetype lastFolderSeparator(const QByteArray& name) {
    const qsizetype slash = name.lastIndexOf(kSlash);
    if (isAbsolute(name)) {
        return slash;
    }
    return std::max(slash, name.lastIndexOf(kBackslash));
}

QByteArray folderOf(const QByteArray& name) {
    return name.left(lastFolderSeparator(name) + 1);
}

QByteArray fullPath(const QByteArray& name, const QByteArray& folder) {
    if (name.isEmpty()) {
        return {};
    }
    const QByteArray path = withForwardSlashes(name);
    return canonicalAbsolute(isAbsolute(path) ? path : folder + kSlash + path);
}

QByteArray localFullPath(const QByteArray& name, const QByteArray& folder) {
    if (name.isEmpty()) {
        return {};
    }
    return canonicalAbsolute(isAbsolute(name) ? name : folder + kSlash + name);
}

QByteArray fullPath(const QByteArray& name) {
    return fullPath(name, currentFolder());
}

QByteArray currentFolder() {
    std::vector<char> buffer(4096);
    while (::getcwd(buffer.data(), buffer.size()) == nullptr) {
        if (errno != ERANGE) {
            return QByteArray(1, kSlash);
        }
        buffer.resize(buffer.size() * 2);
    }
    return QByteArray(buffer.data());
}

bool setCurrentFolder(const QByteArray& folder) {
    return !folder.isEmpty() && ::chdir(withForwardSlashes(folder).constData()) == 0;
}

QByteArray lowerExtension(const QByteArray& name) {
    const qsizetype dot = name.lastIndexOf('.');
    if (dot < 0 || dot < lastFolderSeparator(name)) {
        return {};
    }
    QByteArray extension = name.mid(dot);
    for (char& c : extension) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return extension;
}

QByteArray defaultTitle(const QByteArray& fileName) {
    const QByteArray base = fileName.mid(lastFolderSeparator(fileName) + 1);
    const qsizetype dot = base.lastIndexOf('.');
    return dot < 0 ? base : base.left(dot);
}

QString displayText(const QByteArray& text) {
    return QString::fromLocal8Bit(text);
}

}  // namespace cinevan::moviepath
