#include "platform/DriveTable.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <algorithm>
#include <tuple>

namespace cinevan {

namespace {

QString EnvironmentOr(const char* variable, const char* fallback) {
    const QByteArray value = qgetenv(variable);
    return value.isEmpty() ? QString::fromLatin1(fallback) : QFile::decodeName(value);
}

// The kernel's name of the block device a mount source refers to ("sr0" for /dev/sr0 or for
// a /dev/cdrom link to it); empty for sources that are no device path.
QString DeviceName(const QString& source) {
    if (!source.startsWith('/')) {
        return {};
    }
    const QString resolved = QFileInfo(source).canonicalFilePath();
    const QString name = QFileInfo(resolved.isEmpty() ? source : resolved).fileName();
    return (name == QLatin1String(".") || name == QLatin1String("..")) ? QString() : name;
}

bool Matches(const QString& name, const char* pattern) {
    return QRegularExpression(QRegularExpression::anchoredPattern(QLatin1String(pattern)))
        .match(name)
        .hasMatch();
}

bool IsCdRomDevice(const QString& name, const QString& sysBlockFolder) {
    if (name.isEmpty()) {
        return false;
    }
    const QString entry = sysBlockFolder + '/' + name;
    if (!QFileInfo::exists(entry)) {
        return false;
    }
    if (Matches(name, "sr[0-9]+")) {
        return true;
    }
    QFile type(entry + QStringLiteral("/device/type"));
    // SCSI peripheral type 5 is a CD-ROM or DVD unit.
    return type.open(QIODevice::ReadOnly) && type.readAll().trimmed() == "5";
}

bool IsDiscImageFile(const QString& source) {
    // Never destroyed: the Video CD search runs on a thread of its own, which the program's
    // exit handlers do not wait for.
    static const QRegularExpression* const imageName = new QRegularExpression(
        QStringLiteral("\\.(cue|bin|toc|nrg|iso)$"), QRegularExpression::CaseInsensitiveOption);
    return source.startsWith('/') && imageName->match(source).hasMatch() &&
           QFileInfo(source).isFile();
}

bool IsDiscImage(const QString& name, const QString& source, const QString& fileSystem) {
    const bool discFileSystem =
        fileSystem == QLatin1String("iso9660") || fileSystem == QLatin1String("udf");
    return discFileSystem && (Matches(name, "loop[0-9]+") || IsDiscImageFile(source));
}

// Device names in natural order: "sr" drives before loop devices before anything else, then
// by the text before the number, the number and the whole name.
auto DeviceOrderKey(const QString& name) {
    static const QRegularExpression* const split =
        new QRegularExpression(QStringLiteral("^(.*?)([0-9]*)$"));
    const QRegularExpressionMatch m = split->match(name);
    const QString prefix = m.captured(1);
    const int group = prefix == QLatin1String("sr") ? 0 : prefix == QLatin1String("loop") ? 1 : 2;
    return std::make_tuple(group, prefix, m.captured(2).toULongLong(), name);
}

bool DriveBefore(const DriveTable::Drive& a, const DriveTable::Drive& b) {
    if (a.cdRom != b.cdRom) {
        return a.cdRom;
    }
    if (a.cdRom && a.device != b.device) {
        return DeviceOrderKey(a.device) < DeviceOrderKey(b.device);
    }
    return a.root < b.root;
}

QString RootOf(const QString& mountPoint) {
    return mountPoint.endsWith('/') ? mountPoint : mountPoint + '/';
}

}  // namespace

QString DecodeMountField(const QByteArray& field) {
    QByteArray decoded;
    decoded.reserve(field.size());
    for (qsizetype i = 0; i < field.size(); ++i) {
        const auto isOctal = [&](qsizetype k) {
            return k < field.size() && field[k] >= '0' && field[k] <= '7';
        };
        if (field[i] == '\\' && isOctal(i + 1) && isOctal(i + 2) && isOctal(i + 3)) {
            decoded.append(static_cast<char>(field.mid(i + 1, 3).toInt(nullptr, 8)));
            i += 3;
        } else {
            decoded.append(field[i]);
        }
    }
    return QFile::decodeName(decoded);
}

DriveTable::DriveTable(const QString& mountsFile, const QString& sysBlockFolder) {
    QFile mounts(mountsFile);
    if (!mounts.open(QIODevice::ReadOnly)) {
        return;
    }
    // The mount table has no size in its file attributes, so it is read to its end.
    const QByteArrayList lines = mounts.readAll().split('\n');
    for (const QByteArray& line : lines) {
        const QList<QByteArray> fields = line.simplified().split(' ');
        if (fields.size() < 3 || !fields[1].startsWith('/')) {
            continue;
        }
        Drive drive;
        drive.source = DecodeMountField(fields[0]);
        drive.device = DeviceName(drive.source);
        drive.root = RootOf(QDir::cleanPath(DecodeMountField(fields[1])));
        drive.fileSystem = DecodeMountField(fields[2]);
        drive.cdRom = IsCdRomDevice(drive.device, sysBlockFolder) ||
                      IsDiscImage(drive.device, drive.source, drive.fileSystem);
        drives_.removeIf([&](const Drive& d) { return d.root == drive.root; });
        drives_.append(drive);
    }
    std::stable_sort(drives_.begin(), drives_.end(), DriveBefore);
}

DriveTable DriveTable::FromSystem() {
    return DriveTable(EnvironmentOr("CINEVAN_MOUNTS", "/proc/self/mounts"),
                      EnvironmentOr("CINEVAN_SYS_BLOCK", "/sys/block"));
}

bool DriveTable::IsCdRom(const QString& root) const {
    return std::any_of(drives_.begin(), drives_.end(),
                       [&](const Drive& d) { return d.cdRom && d.root == root; });
}

QString DriveTable::DriveOf(const QString& path) const {
    if (path.isEmpty()) {
        return {};
    }
    const QString full = QDir::cleanPath(QFileInfo(path).absoluteFilePath()) + '/';
    QString best;
    for (const Drive& drive : drives_) {
        if (full.startsWith(drive.root) && drive.root.size() > best.size()) {
            best = drive.root;
        }
    }
    return best;
}

}  // namespace cinevan
