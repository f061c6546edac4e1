#include "movielist/MovieFolder.h"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <memory>

#include "movielist/MoviePath.h"
#include "movielist/VideoTypes.h"

namespace cinevan::moviefolder {
namespace {

struct DirCloser {
    void operator()(DIR* dir) const { closedir(dir); }
};
using DirHandle = std::unique_ptr<DIR, DirCloser>;

bool isMovieName(const QByteArray& name) {
    const QByteArray extension = moviepath::lowerExtension(name);
    return extension == ".mpg" || extension == ".mpeg" || extension == ".dat" ||
           videotypes::isVideoName(name);
}

bool isPlainFile(const QByteArray& path) {
    struct stat info {};
    return ::stat(path.constData(), &info) == 0 && S_ISREG(info.st_mode);
}

bool isFolderPath(const QByteArray& path) {
    struct stat info {};
    return ::stat(path.constData(), &info) == 0 && S_ISDIR(info.st_mode);
}

// Names of the entries of `folder`, without "." and "..".
QByteArrayList entriesOf(const QByteArray& folder, const Step& step) {
    QByteArrayList names;
    const DirHandle dir(opendir(folder.constData()));
    if (!dir) {
        return names;
    }
    while (const dirent* entry = readdir(dir.get())) {
        const QByteArray name(entry->d_name);
        if (name != "." && name != "..") {
            names.append(name);
        }
        step();
    }
    return names;
}

QByteArray joined(const QByteArray& folder, const QByteArray& name) {
    return folder.endsWith('/') ? folder + name : folder + '/' + name;
}

QByteArrayList movieFilesOf(const QByteArray& folder, const Step& step) {
    QByteArrayList movies;
    for (const QByteArray& name : entriesOf(folder, step)) {
        const QByteArray path = joined(folder, name);
        if (!name.startsWith('.') && isMovieName(name) && isPlainFile(path)) {
            movies.append(path);
        }
        step();
    }
    std::sort(movies.begin(), movies.end(), naturalLess);
    return movies;
}

QByteArray videoCdTrackFolder(const QByteArray& folder, const Step& step) {
    for (const QByteArray& name : entriesOf(folder, step)) {
        QByteArray path = joined(folder, name);
        if (name.toLower() == "mpegav" && isFolderPath(path)) {
            return path;
        }
    }
    return {};
}

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

char lowerAscii(char c) {
    return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c;
}

// Compares the digit runs starting at a[i] and b[j] by value and advances past them; returns
// <0, 0 or >0.
int compareNumbers(const QByteArray& a, qsizetype& i, const QByteArray& b, qsizetype& j) {
    while (i < a.size() && a[i] == '0') {
        ++i;
    }
    while (j < b.size() && b[j] == '0') {
        ++j;
    }
    const qsizetype startA = i;
    const qsizetype startB = j;
    while (i < a.size() && isDigit(a[i])) {
        ++i;
    }
    while (j < b.size() && isDigit(b[j])) {
        ++j;
    }
    const qsizetype lengthA = i - startA;
    const qsizetype lengthB = j - startB;
    if (lengthA != lengthB) {
        return lengthA < lengthB ? -1 : 1;
    }
    return a.mid(startA, lengthA).compare(b.mid(startB, lengthB));
}

}  // namespace

bool isFolder(const QByteArray& name) {
    return !name.isEmpty() && isFolderPath(moviepath::fullPath(name));
}

QByteArrayList moviesIn(const QByteArray& folder, const Step& step) {
    const QByteArray full = moviepath::fullPath(folder);
    QByteArrayList movies = movieFilesOf(full, step);
    if (movies.isEmpty()) {
        const QByteArray tracks = videoCdTrackFolder(full, step);
        if (!tracks.isEmpty()) {
            movies = movieFilesOf(tracks, step);
        }
    }
    return movies;
}

bool naturalLess(const QByteArray& a, const QByteArray& b) {
    qsizetype i = 0;
    qsizetype j = 0;
    while (i < a.size() && j < b.size()) {
        if (isDigit(a[i]) && isDigit(b[j])) {
            const int order = compareNumbers(a, i, b, j);
            if (order != 0) {
                return order < 0;
            }
            continue;
        }
        const char x = lowerAscii(a[i]);
        const char y = lowerAscii(b[j]);
        if (x != y) {
            return static_cast<unsigned char>(x) < static_cast<unsigned char>(y);
        }
        ++i;
        ++j;
    }
    if ((a.size() - i) != (b.size() - j)) {
        return (a.size() - i) < (b.size() - j);
    }
    return a < b;  // names equal but for case or leading zeros still get a fixed order
}

}  // namespace cinevan::moviefolder
