#include "movielist/SaveTemporaries.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <climits>
#include <memory>

namespace cinevan::savetemporaries {
namespace {

constexpr int kHostTagDigits = 8;

// The 32-bit FNV-1a hash of the machine's name in hexadecimal: short enough to fit any list
// name, and the same in every process of the machine.
QByteArray hostTag() {
    std::array<char, HOST_NAME_MAX + 1> name{};
    if (::gethostname(name.data(), name.size() - 1) != 0) {
        name[0] = '\0';
    }
    quint32 hash = 2166136261u;
    for (const char* c = name.data(); *c != '\0'; ++c) {
        hash = (hash ^ static_cast<unsigned char>(*c)) * 16777619u;
    }
    return QByteArray::number(hash, 16).rightJustified(kHostTagDigits, '0');
}

struct TargetParts {
    QByteArray folder;  // with its trailing slash, empty for the current folder
    QByteArray prefix;  // ".<name>."
};

TargetParts partsOf(const QByteArray& target) {
    const qsizetype slash = target.lastIndexOf('/');
    return {target.left(slash + 1), '.' + target.mid(slash + 1) + '.'};
}

bool allOf(const QByteArray& text, bool (*allowed)(char)) {
    if (text.isEmpty()) {
        return false;
    }
    for (const char c : text) {
        if (!allowed(c)) {
            return false;
        }
    }
    return true;
}

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}
bool isHexDigit(char c) {
    return isDigit(c) || (c >= 'a' && c <= 'f');
}
bool isBase36Digit(char c) {
    return isDigit(c) || (c >= 'a' && c <= 'z');
}

// True only when the process certainly does not exist; one of another user still counts.
bool processGone(pid_t pid) {
    return ::kill(pid, 0) != 0 && errno == ESRCH;
}

struct DirCloser {
    void operator()(DIR* dir) const { ::closedir(dir); }
};

}  // namespace

Writer thisWriter() {
    static const QByteArray host = hostTag();
    return {::getpid(), host};
}

QByteArray nameFor(const QByteArray& target, const Writer& writer, quint32 random) {
    const TargetParts parts = partsOf(target);
    return parts.folder + parts.prefix + QByteArray::number(writer.pid) + '-' + writer.host + '.' +
           QByteArray::number(random, 36);
}

std::optional<Writer> writerOf(const QByteArray& target, const QByteArray& fileName) {
    const TargetParts parts = partsOf(target);
    if (!fileName.startsWith(parts.prefix)) {
        return std::nullopt;
    }
    const QByteArray rest = fileName.mid(parts.prefix.size());
    const qsizetype dash = rest.indexOf('-');
    const qsizetype dot = rest.indexOf('.');
    if (dash < 0 || dot < dash || rest.indexOf('.', dot + 1) >= 0) {
        return std::nullopt;
    }
    const QByteArray pid = rest.left(dash);
    const QByteArray host = rest.mid(dash + 1, dot - dash - 1);
    if (!allOf(pid, isDigit) || host.size() != kHostTagDigits || !allOf(host, isHexDigit) ||
        !allOf(rest.mid(dot + 1), isBase36Digit)) {
        return std::nullopt;
    }
    bool ok = false;
    const qlonglong number = pid.toLongLong(&ok);
    if (!ok || number <= 0 || number > INT_MAX) {
        return std::nullopt;
    }
    return Writer{static_cast<pid_t>(number), host};
}

int removeLeftovers(const QByteArray& target) {
    const TargetParts parts = partsOf(target);
    const QByteArray folder = parts.folder.isEmpty() ? QByteArray(".") : parts.folder;
    const std::unique_ptr<DIR, DirCloser> dir(::opendir(folder.constData()));
    if (!dir) {
        return 0;
    }
    const Writer self = thisWriter();
    const int dirFd = ::dirfd(dir.get());
    int removed = 0;
    while (const dirent* entry = ::readdir(dir.get())) {
        const QByteArray name(entry->d_name);
        const std::optional<Writer> writer = writerOf(target, name);
        if (!writer || writer->host != self.host || !processGone(writer->pid)) {
            continue;
        }
        struct stat info {};
        if (::fstatat(dirFd, name.constData(), &info, AT_SYMLINK_NOFOLLOW) == 0 &&
            S_ISREG(info.st_mode) && info.st_uid == ::geteuid() &&
            ::unlinkat(dirFd, name.constData(), 0) == 0) {
            ++removed;
        }
    }
    return removed;
}

}  // namespace cinevan::savetemporaries
