#pragma once

// Helpers shared by the text-parser fuzzers.
#include <unistd.h>

#include <QByteArray>
#include <QByteArrayView>
#include <QFile>
#include <QString>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace cinevan::fuzz {

// Stops the run with a message when a property of the parser does not hold; libFuzzer keeps
// the input as a crash.
inline void require(bool holds, const char* what) {
    if (!holds) {
        std::fprintf(stderr, "property broken: %s\n", what);
        std::abort();
    }
}

inline QByteArray bytesOf(const std::uint8_t* data, std::size_t size) {
    return QByteArray(reinterpret_cast<const char*>(data), qsizetype(size));
}

// A file in shared memory, named after the process, rewritten for every input.
class ScratchFile {
public:
    explicit ScratchFile(const char* suffix)
        : path_(QStringLiteral("/dev/shm/cinevan-fuzz-%1%2").arg(::getpid()).arg(suffix)) {}
    ~ScratchFile() { QFile::remove(path_); }
    ScratchFile(const ScratchFile&) = delete;
    ScratchFile& operator=(const ScratchFile&) = delete;

    const QString& path() const { return path_; }
    void write(const QByteArray& bytes) const {
        QFile file(path_);
        require(file.open(QIODevice::WriteOnly | QIODevice::Truncate), "scratch file opens");
        require(file.write(bytes) == bytes.size(), "scratch file is written");
    }

private:
    QString path_;
};

// Splits the input at its first byte of value `separator` into a head and the rest.
inline std::pair<QByteArray, QByteArray> splitOnce(const QByteArray& bytes, char separator) {
    const qsizetype at = bytes.indexOf(separator);
    if (at < 0) {
        return {QByteArray(), bytes};
    }
    return {bytes.left(at), bytes.mid(at + 1)};
}

}  // namespace cinevan::fuzz
