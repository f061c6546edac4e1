#pragma once

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

#include "playback/mci/vcd/VideoCdTrack.h"

namespace cinevan::test {

// A Video CD in a fake CD-ROM drive: the generated disc image (vcd.cue, see
// tests/fixtures/make-media.sh) mounted, as the mount table tells, on a folder that holds
// EMPTY stand-ins of its files, so that only reading the image's raw sectors gives the
// tracks. While it exists, the drive table of the process (CINEVAN_MOUNTS, CINEVAN_SYS_BLOCK)
// is this fake machine's.
class FakeVideoCd {
public:
    // `image`: the mount source; the generated disc image unless another is given.
    explicit FakeVideoCd(const QString& image = {});
    ~FakeVideoCd();
    FakeVideoCd(const FakeVideoCd&) = delete;
    FakeVideoCd& operator=(const FakeVideoCd&) = delete;

    // The mount point (with a blank in its name), ending without a separator.
    QString root() const { return root_; }
    // Path of a file below the mount point, e.g. track("MPEGAV/AVSEQ01.DAT").
    QString file(const QString& relative) const { return root_ + '/' + relative; }
    // A folder of the fake machine that is no CD-ROM drive (mounted from a hard disk).
    QString hardDisk() const { return hardDisk_; }
    QString folder() const { return dir_.path(); }

    // Writes `bytes` into the file `path`, making it and its folders if missing.
    static void writeFile(const QString& path, const QByteArray& bytes);

private:
    QTemporaryDir dir_;
    QString root_;
    QString hardDisk_;
    QByteArray savedMounts_;
    QByteArray savedSysBlock_;
};

// While it exists, every disc drive stops answering after `passing` more reads.
class StalledDrive {
public:
    explicit StalledDrive(int passing) { mci::VideoCdTrack::stallReadsForTesting(passing); }
    ~StalledDrive() { mci::VideoCdTrack::stallReadsForTesting(-1); }
    StalledDrive(const StalledDrive&) = delete;
    StalledDrive& operator=(const StalledDrive&) = delete;
};

// The mount table's spelling of a path: blanks, tabs, newlines and backslashes as octal escapes.
QByteArray mountField(const QString& path);

}  // namespace cinevan::test
