#include "platform/FolderSearch.h"

#include <dirent.h>
#include <sys/stat.h>

#include <QFile>
#include <functional>
#include <memory>

namespace cinevan {

namespace {

struct DirCloser {
    void operator()(DIR* dir) const { closedir(dir); }
};

QString JoinPath(const QString& folder, const QString& name) {
    return folder.endsWith('/') ? folder + name : folder + '/' + name;
}

// Calls `visit` with each entry name of `folder` in directory order until it returns false.
void ForEachEntry(const QString& folder, const std::function<bool(const QString&)>& visit) {
    const std::unique_ptr<DIR, DirCloser> dir(opendir(QFile::encodeName(folder).constData()));
    if (!dir) {
        return;
    }
    while (const dirent* entry = readdir(dir.get())) {
        const QString name = QFile::decodeName(entry->d_name);
        if (name == QLatin1String(".") || name == QLatin1String("..")) {
            continue;
        }
        if (!visit(name)) {
            return;
        }
    }
}

bool IsPlainFile(const QString& path) {
    struct stat info {};
    return stat(QFile::encodeName(path).constData(), &info) == 0 && S_ISREG(info.st_mode);
}

bool IsFolder(const QString& path) {
    struct stat info {};
    return stat(QFile::encodeName(path).constData(), &info) == 0 && S_ISDIR(info.st_mode);
}

// The first entry of `folder` named `name` without regard to case that `accept` takes.
QString FindMatching(const QString& folder, const QString& name,
                     const std::function<bool(const QString&)>& accept) {
    QString found;
    ForEachEntry(folder, [&](const QString& entry) {
        const QString path = JoinPath(folder, entry);
        if (entry.compare(name, Qt::CaseInsensitive) != 0 || !accept(path)) {
            return true;
        }
        found = path;
        return false;
    });
    return found;
}

}  // namespace

QString FindEntryNoCase(const QString& folder, const QString& name) {
    return FindMatching(folder, name, [](const QString&) { return true; });
}

QString FindFolderNoCase(const QString& folder, const QString& name) {
    return FindMatching(folder, name, IsFolder);
}

QString ResolvePathNoCase(const QString& root, const QString& relative) {
    QStringList names = QString(relative).replace('\\', '/').split('/', Qt::SkipEmptyParts);
    QStringList resolved;
    for (const QString& name : names) {
        if (name == QLatin1String(".")) {
            continue;
        }
        if (name == QLatin1String("..")) {
            if (!resolved.isEmpty()) {
                resolved.removeLast();
            }
            continue;
        }
        const QString folder = JoinPath(root, resolved.join('/'));
        const QString entry = FindEntryNoCase(folder, name);
        if (entry.isEmpty()) {
            return {};
        }
        resolved.append(entry.mid(entry.lastIndexOf('/') + 1));
    }
    return resolved.isEmpty() ? QString() : JoinPath(root, resolved.join('/'));
}

QStringList ListFilesNoCase(const QString& folder, const QString& suffix) {
    QStringList files;
    ForEachEntry(folder, [&](const QString& name) {
        const QString path = JoinPath(folder, name);
        if (!name.startsWith('.') && name.endsWith(suffix, Qt::CaseInsensitive) &&
            IsPlainFile(path)) {
            files.append(path);
        }
        return true;
    });
    return files;
}

}  // namespace cinevan
