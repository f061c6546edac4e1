#pragma once

#include <QByteArray>
#include <QString>
#include <memory>
#include <mutex>
#include <vector>

struct _CdIo;  // libcdio's disc handle (CdIo_t)

namespace cinevan {
class DriveTable;
}

namespace cinevan::mci {

// A Video CD track read from the disc's raw sectors. The tracks of a Video CD (MPEGAV/*.DAT,
// and MPEG2/*.MPG of a Super Video CD) are CD-ROM XA Mode 2 Form 2 sectors of 2324 payload
// bytes, which the kernel's iso9660 driver cannot return; this reads them from the drive or
// disc image with libcdio and offers the track's payload as a random-access byte stream.
//
// Every member may be called from any thread; reads of one instance are serialised.
class VideoCdTrack {
public:
    static constexpr qint64 kPayloadBytes = 2324;  // per Mode 2 Form 2 sector

    // Opens the track that `path` names on the CD-ROM drive holding it. Null when the path is
    // no track file of a disc's track folders, or when the disc cannot be read raw (no access,
    // no such file on the disc, not Mode 2 Form 2): the file is then read like any other.
    static std::unique_ptr<VideoCdTrack> open(const QString& path);
    static std::unique_ptr<VideoCdTrack> open(const QString& path, const DriveTable& drives);

    // True for a path, relative to the disc's root, in a disc's track folders: MPEGAV/*.DAT or
    // MPEG2/*.MPG, in any case.
    static bool isTrackName(const QString& relativePath);

    // The URI under which the media engines read the track of `path`, and back. pathOfUri
    // answers empty for any other URI.
    static QByteArray uriFor(const QString& path);
    static QString pathOfUri(const QByteArray& uri);
    static const char* scheme() { return "cinevan-vcd"; }

    // Test aid that makes the drive stop answering: lets `passing` more sector reads through,
    // counted over every track of the process, then holds each further read until called
    // again with a negative number, which lets every read through as usual.
    static void stallReadsForTesting(int passing);

    ~VideoCdTrack();
    VideoCdTrack(const VideoCdTrack&) = delete;
    VideoCdTrack& operator=(const VideoCdTrack&) = delete;

    qint64 size() const { return sectors_ * kPayloadBytes; }

    // Copies up to `count` bytes from `offset` into `data`. Returns the bytes copied (fewer
    // only at the end of the track or before a sector that cannot be read), 0 at or after
    // the end, -1 when nothing could be read or the arguments are invalid.
    qint64 read(qint64 offset, char* data, qint64 count);

private:
    struct DiscCloser {
        void operator()(_CdIo* disc) const;
    };
    using DiscPtr = std::unique_ptr<_CdIo, DiscCloser>;

    VideoCdTrack(DiscPtr disc, qint32 firstSector, qint64 sectors);
    bool holdsSector(qint64 sector) const;
    bool loadChunk(qint64 sector);
    bool readSectors(qint64 sector, qint64 count);

    const DiscPtr disc_;
    const qint32 firstSector_;
    const qint64 sectors_;
    std::mutex mutex_;
    // The last chunk of raw sectors read; serves the small sequential reads of demuxers.
    std::vector<char> chunk_;
    qint64 chunkFirst_ = -1;
    qint64 chunkCount_ = 0;
};

}  // namespace cinevan::mci
