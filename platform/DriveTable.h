#pragma once

#include <QList>
#include <QString>

namespace cinevan {

// The machine's mounted file systems seen as drives. Each drive is known by its root: the mount
// point followed by '/'. Built from the mount table (/proc/self/mounts) and the block devices
// (/sys/block); both can be pointed elsewhere, by the constructor or by the environment
// variables CINEVAN_MOUNTS and CINEVAN_SYS_BLOCK.
//
// A drive is a CD-ROM drive when its mount source is a block device that the kernel lists as a
// CD-ROM (/sys/block/<name>/device/type is 5, or the name is srN), or when an iso9660 or udf file
// system is mounted from a loop device or straight from a disc image file (.cue, .bin, .toc,
// .nrg, .iso) in place of a disc.
//
// Drives are ordered as drive letters would be: CD-ROM drives first, by device name in
// natural order (sr0, sr1, ..., sr10, then loop devices), then all other drives by mount
// point. A mount point mounted over keeps only its last mount.
class DriveTable {
public:
    struct Drive {
        QString root;
        QString device;
        QString fileSystem;
        bool cdRom = false;
        QString source;  // the mount source as the table names it: a device or an image file
    };

    DriveTable(const QString& mountsFile, const QString& sysBlockFolder);

    // The table of this machine, or of the folders named by the environment variables.
    static DriveTable FromSystem();

    const QList<Drive>& Drives() const { return drives_; }

    // True when `root` is exactly the root of a CD-ROM drive.
    bool IsCdRom(const QString& root) const;

    // The root of the drive holding `path`: the deepest mount point that contains it; empty
    // when no drive contains it.
    QString DriveOf(const QString& path) const;

private:
    QList<Drive> drives_;
};

// Decodes the octal escapes (\040 for a blank, \011, \012, \134) of a mount table field.
QString DecodeMountField(const QByteArray& field);

}  // namespace cinevan
