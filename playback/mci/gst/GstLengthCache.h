#pragma once

#include <gst/gst.h>

#include <QDateTime>
#include <QSize>
#include <QString>
#include <list>
#include <mutex>
#include <optional>

namespace cinevan::mci::gst {

// Which contents of a movie were measured: a file that is written again gets another size or
// modification time. A Video CD track read from its sectors counts its payload bytes as size.
struct GstMovieIdentity {
    QString path;
    qint64 size = -1;
    QDateTime modified;

    // The identity of the file at `path` as it is now; `payloadBytes` (>= 0) replaces the size
    // on disk, for a track read from its raw sectors. Null (no path) when there is no such file.
    static GstMovieIdentity of(const QString& path, qint64 payloadBytes = -1);
    bool isNull() const { return path.isEmpty(); }
    bool operator==(const GstMovieIdentity&) const = default;
};

// What decoding a movie's tail found out, with the facts of the open it was made for.
struct GstMeasuredLength {
    QSize source;
    gint64 originNs = 0;
    gint64 demuxerDurationNs = -1;
    qint64 lengthMs = 0;
    bool operator==(const GstMeasuredLength&) const = default;
};

// The lengths measured in this process, so that opening the same movie again (a looping list,
// a list naming one movie twice) does not decode its tail again. Holds the most recently used
// `capacity` movies. Safe to use from any thread.
class GstLengthCache {
public:
    explicit GstLengthCache(int capacity) : capacity_(capacity) {}

    // The cache every open of the process shares.
    static GstLengthCache& shared();

    // The length measured for `movie` when it opened with the same picture size and first time
    // stamp; nothing for a null identity.
    std::optional<GstMeasuredLength> find(const GstMovieIdentity& movie, QSize source,
                                          gint64 originNs);
    void remember(const GstMovieIdentity& movie, const GstMeasuredLength& length);

private:
    struct Entry {
        GstMovieIdentity movie;
        GstMeasuredLength length;
    };

    const int capacity_;
    std::mutex mutex_;
    std::list<Entry> entries_;  // most recently used first
};

}  // namespace cinevan::mci::gst
