#include "playback/mci/vcd/VideoCdTrack.h"

#include <cdio/cdio.h>
#include <cdio/iso9660.h>
#include <cdio/logging.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QUrl>
#include <algorithm>
#include <condition_variable>
#include <cstring>
#include <optional>

#include "platform/DriveTable.h"

namespace cinevan::mci {

namespace {

constexpr qint64 kRawBytes = M2RAW_SECTOR_SIZE;             // subheader, payload, error check
constexpr qint64 kSubheaderBytes = CDIO_CD_SUBHEADER_SIZE;  // file, channel, submode, coding
constexpr unsigned char kSubmodeForm2 = 0x20;
constexpr qint64 kChunkSectors = 16;  // read ahead at once: 37 KB of payload
constexpr int kReadAttempts = 2;

// libcdio's own log handler ends the process on any error it logs; the reader turns every
// failure into a result instead, so messages are dropped. Nothing is logged at all: the
// library's logging keeps a static flag that takes two threads logging at once for a
// recursion and aborts.
void ignoreLogMessage(cdio_log_level_t, const char*) {}

// Sets up the library once for the whole process. Its table of drivers is filled lazily by
// the first open, unguarded, and tracks are opened on several threads at once.
void prepareLibrary() {
    static std::once_flag prepared;
    std::call_once(prepared, [] {
        cdio_log_set_handler(ignoreLogMessage);
        cdio_loglevel_default = static_cast<cdio_log_level_t>(CDIO_LOG_ASSERT + 1);
        cdio_init();
    });
}

// libcdio's opening and its file-system lookups split names with strtok(), whose state the
// whole process shares: tracks opened on several threads at once take turns. (A drive that
// stops answering while a track opens holds the others up; their callers' deadlines bound it.)
std::mutex& openingLock() {
    static std::mutex lock;
    return lock;
}

// Reads the test aid lets through before it holds them; negative: no stall.
struct ReadStall {
    std::mutex mutex;
    std::condition_variable released;
    int passing = -1;

    void waitTurn() {
        std::unique_lock lock(mutex);
        released.wait(lock, [this] { return passing != 0; });
        if (passing > 0) {
            --passing;
        }
    }
};

// Never destroyed, like the pattern below: reads on threads of their own may still run while
// the program's exit handlers do.
ReadStall& readStall() {
    static ReadStall* const stall = new ReadStall;
    return *stall;
}

struct Extent {
    lsn_t first = 0;
    qint64 sectors = 0;
};

struct FileListDeleter {
    void operator()(CdioISO9660FileList_t* list) const { iso9660_filelist_free(list); }
};
using FileListPtr = std::unique_ptr<CdioISO9660FileList_t, FileListDeleter>;

// A directory entry's name without its version (";1") and without the dot that names
// without an extension end with.
QString plainName(const char* isoName) {
    QString name = QString::fromLatin1(isoName);
    name.truncate(name.indexOf(';') < 0 ? name.size() : name.indexOf(';'));
    if (name.endsWith('.')) {
        name.chop(1);
    }
    return name;
}

// Sectors of a Form 2 file: its recorded size counts them as 2048-byte blocks, except where
// a mastering program recorded the payload size instead.
qint64 sectorsOf(const iso9660_stat_t& entry) {
    if (entry.size % ISO_BLOCKSIZE != 0 && entry.size % VideoCdTrack::kPayloadBytes == 0) {
        return entry.size / VideoCdTrack::kPayloadBytes;
    }
    return (qint64(entry.size) + ISO_BLOCKSIZE - 1) / ISO_BLOCKSIZE;
}

// Walks the disc's ISO 9660 directories along `relativePath`, matching names without regard
// to case, and answers the extent of the file at its end.
std::optional<Extent> findExtent(CdIo_t* disc, const QString& relativePath) {
    if (!iso9660_fs_read_superblock(disc, ISO_EXTENSION_NONE)) {
        return std::nullopt;
    }
    const QStringList parts = relativePath.split('/', Qt::SkipEmptyParts);
    QByteArray folder = "/";
    for (qsizetype i = 0; i < parts.size(); ++i) {
        const FileListPtr entries(iso9660_fs_readdir(disc, folder.constData()));
        if (!entries) {
            return std::nullopt;
        }
        const iso9660_stat_t* match = nullptr;
        for (CdioListNode_t* node = _cdio_list_begin(entries.get()); node && !match;
             node = _cdio_list_node_next(node)) {
            const auto* entry = static_cast<const iso9660_stat_t*>(_cdio_list_node_data(node));
            if (plainName(entry->filename).compare(parts[i], Qt::CaseInsensitive) == 0) {
                match = entry;
            }
        }
        const bool last = i == parts.size() - 1;
        if (!match || (match->type == iso9660_stat_s::_STAT_DIR) == last) {
            return std::nullopt;
        }
        if (last) {
            return Extent{match->lsn, sectorsOf(*match)};
        }
        folder += QByteArray(match->filename) + '/';
    }
    return std::nullopt;
}

const DriveTable::Drive* driveWithRoot(const DriveTable& drives, const QString& root) {
    const auto& all = drives.Drives();
    const auto found = std::find_if(all.begin(), all.end(),
                                    [&](const DriveTable::Drive& d) { return d.root == root; });
    return found == all.end() ? nullptr : &*found;
}

QString cleanAbsolutePath(const QString& path) {
    return QDir::cleanPath(QFileInfo(path).absoluteFilePath());
}

// The last folder and the name of a path: "MPEGAV/AVSEQ01.DAT" for a track of a disc.
QString folderAndName(const QString& path) {
    const QString clean = cleanAbsolutePath(path);
    const qsizetype nameStart = clean.lastIndexOf('/');
    return clean.mid(clean.lastIndexOf('/', nameStart - 1) + 1);
}

}  // namespace

void VideoCdTrack::DiscCloser::operator()(_CdIo* disc) const {
    cdio_destroy(disc);
}

bool VideoCdTrack::isTrackName(const QString& relativePath) {
    static const QRegularExpression* const trackName =
        new QRegularExpression(QStringLiteral("^(mpegav/[^/]+\\.dat|mpeg2/[^/]+\\.mpg)$"),
                               QRegularExpression::CaseInsensitiveOption);
    return trackName->match(relativePath).hasMatch();
}

QByteArray VideoCdTrack::uriFor(const QString& path) {
    const QByteArray file = QFile::encodeName(cleanAbsolutePath(path));
    return QByteArray(scheme()) + "://" + file.toPercentEncoding("/");
}

QString VideoCdTrack::pathOfUri(const QByteArray& uri) {
    const QByteArray prefix = QByteArray(scheme()) + "://";
    if (!uri.startsWith(prefix) || uri.size() == prefix.size()) {
        return {};
    }
    return QFile::decodeName(QByteArray::fromPercentEncoding(uri.mid(prefix.size())));
}

std::unique_ptr<VideoCdTrack> VideoCdTrack::open(const QString& path) {
    // Most movies are no disc tracks, which their names tell without reading the mount table.
    if (!isTrackName(folderAndName(path))) {
        return nullptr;
    }
    return open(path, DriveTable::FromSystem());
}

std::unique_ptr<VideoCdTrack> VideoCdTrack::open(const QString& path, const DriveTable& drives) {
    const QString root = drives.DriveOf(path);
    const DriveTable::Drive* drive = driveWithRoot(drives, root);
    if (drive == nullptr || !drive->cdRom) {
        return nullptr;
    }
    const QString relative = cleanAbsolutePath(path).mid(root.size());
    if (!isTrackName(relative)) {
        return nullptr;
    }
    prepareLibrary();
    DiscPtr disc;
    std::optional<Extent> extent;
    lsn_t end = CDIO_INVALID_LSN;
    {
        const std::lock_guard lock(openingLock());
        disc.reset(cdio_open(QFile::encodeName(drive->source).constData(), DRIVER_UNKNOWN));
        if (!disc) {
            return nullptr;
        }
        extent = findExtent(disc.get(), relative);
        end = cdio_get_disc_last_lsn(disc.get());
    }
    if (!extent || end == CDIO_INVALID_LSN || extent->first >= end) {
        return nullptr;
    }
    extent->sectors = std::min<qint64>(extent->sectors, end - extent->first);
    std::unique_ptr<VideoCdTrack> track(
        new VideoCdTrack(std::move(disc), extent->first, extent->sectors));
    // Only Form 2 sectors need reading raw; the kernel reads any other file itself.
    if (extent->sectors <= 0 || !track->loadChunk(0) ||
        (static_cast<unsigned char>(track->chunk_[2]) & kSubmodeForm2) == 0) {
        return nullptr;
    }
    return track;
}

VideoCdTrack::VideoCdTrack(DiscPtr disc, qint32 firstSector, qint64 sectors)
    : disc_(std::move(disc)),
      firstSector_(firstSector),
      sectors_(sectors),
      chunk_(kChunkSectors * kRawBytes) {}

VideoCdTrack::~VideoCdTrack() = default;

qint64 VideoCdTrack::read(qint64 offset, char* data, qint64 count) {
    if (offset < 0 || count < 0 || (data == nullptr && count > 0)) {
        return -1;
    }
    const std::lock_guard lock(mutex_);
    const qint64 wanted = std::min(count, std::max<qint64>(0, size() - offset));
    qint64 done = 0;
    while (done < wanted) {
        const qint64 sector = (offset + done) / kPayloadBytes;
        const qint64 within = (offset + done) % kPayloadBytes;
        if (!loadChunk(sector)) {
            return done > 0 ? done : -1;
        }
        const qint64 piece = std::min(kPayloadBytes - within, wanted - done);
        const char* raw = chunk_.data() + (sector - chunkFirst_) * kRawBytes + kSubheaderBytes;
        std::memcpy(data + done, raw + within, piece);
        done += piece;
    }
    return done;
}

bool VideoCdTrack::holdsSector(qint64 sector) const {
    return chunkFirst_ >= 0 && sector >= chunkFirst_ && sector < chunkFirst_ + chunkCount_;
}

bool VideoCdTrack::loadChunk(qint64 sector) {
    if (holdsSector(sector)) {
        return true;
    }
    const qint64 count = std::min(kChunkSectors, sectors_ - sector);
    for (int attempt = 0; attempt < kReadAttempts; ++attempt) {
        if (readSectors(sector, count)) {
            chunkFirst_ = sector;
            chunkCount_ = count;
            return true;
        }
    }
    chunkFirst_ = -1;
    chunkCount_ = 0;
    return false;
}

void VideoCdTrack::stallReadsForTesting(int passing) {
    ReadStall& stall = readStall();
    const std::lock_guard lock(stall.mutex);
    stall.passing = passing;
    stall.released.notify_all();
}

bool VideoCdTrack::readSectors(qint64 sector, qint64 count) {
    readStall().waitTurn();
    const auto lsn = static_cast<lsn_t>(firstSector_ + sector);
    return cdio_read_mode2_sectors(disc_.get(), chunk_.data(), lsn, true,
                                   static_cast<uint32_t>(count)) == DRIVER_OP_SUCCESS;
}

}  // namespace cinevan::mci
