#include "movielist/MovieListFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QRandomGenerator>
#include <cerrno>
#include <cstdlib>
#include <memory>
#include <utility>

#include "movielist/MovieListErrors.h"
#include "movielist/SaveTemporaries.h"

// File names are bytes handed to the POSIX calls unchanged: decoding them into QString and back
// would replace bytes that are not valid in the locale's encoding.

namespace cinevan::movielistfile {
namespace {

constexpr char kCr = '\r';
constexpr char kLf = '\n';
constexpr size_t kReadChunk = 64 * 1024;
constexpr int kTemporaryNameAttempts = 100;

class UniqueFd {
public:
    explicit UniqueFd(int fd = -1) : fd_(fd) {}
    UniqueFd(UniqueFd&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
    UniqueFd(const UniqueFd&) = delete;
    UniqueFd& operator=(const UniqueFd&) = delete;
    UniqueFd& operator=(UniqueFd&&) = delete;
    ~UniqueFd() {
        if (fd_ >= 0) {
            ::close(fd_);
        }
    }
    int get() const { return fd_; }
    bool valid() const { return fd_ >= 0; }
    // Closes now and reports whether the close succeeded (it may report a late write error).
    bool close() {
        const int fd = fd_;
        fd_ = -1;
        return ::close(fd) == 0;
    }

private:
    int fd_;
};

// Reads up to the end of the file or its first NUL byte, whichever comes first.
QByteArray readText(int fd) {
    QByteArray text;
    char chunk[kReadChunk];
    while (true) {
        const ssize_t got = ::read(fd, chunk, sizeof chunk);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got <= 0) {
            return text;
        }
        const QByteArray part = QByteArray::fromRawData(chunk, got);
        const qsizetype nul = part.indexOf('\0');
        text.append(part.left(nul >= 0 ? nul : got));
        if (nul >= 0) {
            return text;
        }
    }
}

bool writeAll(int fd, const QByteArray& data) {
    const char* next = data.constData();
    qsizetype left = data.size();
    while (left > 0) {
        const ssize_t written = ::write(fd, next, left);
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written <= 0) {
            return false;
        }
        next += written;
        left -= written;
    }
    return true;
}

QByteArray joinWithCrLf(const QByteArrayList& lines) {
    qsizetype size = 0;
    for (const QByteArray& line : lines) {
        size += line.size() + 2;
    }
    QByteArray text;
    text.reserve(size);
    for (const QByteArray& line : lines) {
        text += line;
        text += "\r\n";
    }
    return text;
}

// The file that writing to `fileName` really replaces: the target of a symbolic link.
QByteArray realTarget(const QByteArray& fileName) {
    const std::unique_ptr<char, decltype(&std::free)> real(
        ::realpath(fileName.constData(), nullptr), &std::free);
    return real ? QByteArray(real.get()) : fileName;
}

// Creates a new file beside `target`; its name is returned in `name`.
UniqueFd createTemporary(const QByteArray& target, QByteArray& name) {
    const savetemporaries::Writer writer = savetemporaries::thisWriter();
    for (int attempt = 0; attempt < kTemporaryNameAttempts; ++attempt) {
        name = savetemporaries::nameFor(target, writer, QRandomGenerator::global()->generate());
        UniqueFd fd(::open(name.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666));
        if (fd.valid() || errno != EEXIST) {
            return fd;
        }
    }
    return UniqueFd();
}

// An existing target must be a regular file that may be written: replacing it through a rename
// would otherwise get around its protection.
bool mayReplace(const QByteArray& target, mode_t& mode) {
    struct stat info {};
    if (::stat(target.constData(), &info) != 0) {
        mode = 0;
        return errno == ENOENT;
    }
    mode = info.st_mode & 07777;
    return S_ISREG(info.st_mode) && (mode & 0222) != 0 && ::access(target.constData(), W_OK) == 0;
}

bool writeReplacing(const QByteArray& target, const QByteArray& text, const CommitGate& mayCommit) {
    mode_t oldMode = 0;
    if (!mayReplace(target, oldMode)) {
        return false;
    }
    // What earlier saves of this list left when they were killed goes before this one writes.
    savetemporaries::removeLeftovers(target);
    QByteArray temporary;
    UniqueFd fd = createTemporary(target, temporary);
    if (!fd.valid()) {
        return false;
    }
    const bool done = writeAll(fd.get(), text) &&
                      (oldMode == 0 || ::fchmod(fd.get(), oldMode) == 0) &&
                      ::fsync(fd.get()) == 0 && fd.close() && mayCommit() &&
                      ::rename(temporary.constData(), target.constData()) == 0;
    if (!done) {
        ::unlink(temporary.constData());
    }
    return done;
}

}  // namespace

QByteArrayList splitLines(const QByteArray& text) {
    const qsizetype nul = text.indexOf('\0');
    const qsizetype end = nul >= 0 ? nul : text.size();
    QByteArrayList lines;
    qsizetype start = 0;
    qsizetype pos = 0;
    while (pos < end) {
        const char c = text[pos];
        if (c != kCr && c != kLf) {
            ++pos;
            continue;
        }
        lines.append(text.mid(start, pos - start));
        ++pos;
        if (c == kCr && pos < end && text[pos] == kLf) {
            ++pos;
        }
        start = pos;
    }
    if (start < end) {
        lines.append(text.mid(start, end - start));
    }
    return lines;
}

QByteArrayList read(const QByteArray& fileName) {
    if (fileName.isEmpty()) {
        return {};
    }
    const UniqueFd fd(::open(fileName.constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    struct stat info {};
    // Only regular files: a folder, a FIFO or a device would fail or never end.
    if (!fd.valid() || ::fstat(fd.get(), &info) != 0 || !S_ISREG(info.st_mode)) {
        return {};
    }
    return splitLines(readText(fd.get()));
}

QByteArray text(const QByteArrayList& lines) {
    return joinWithCrLf(lines);
}

void writeText(const QByteArray& fileName, const QByteArray& text, const CommitGate& mayCommit) {
    if (fileName.isEmpty() || fileName.contains('\0') ||
        !writeReplacing(realTarget(fileName), text, mayCommit)) {
        throw EFCreateError(fileName);
    }
}

void write(const QByteArray& fileName, const QByteArrayList& lines) {
    writeText(fileName, joinWithCrLf(lines));
}

}  // namespace cinevan::movielistfile
