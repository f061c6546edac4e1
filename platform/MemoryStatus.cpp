#include "platform/MemoryStatus.h"

#include <sys/sysinfo.h>
#include <QFile>
#include <QList>
#include <algorithm>

namespace cinevan {
namespace {

// The "MemAvailable:" value of /proc/meminfo in bytes, or -1 when there is none.
qint64 AvailableFromMeminfo(const QByteArray& meminfo) {
    for (const QByteArray& line : meminfo.split('\n')) {
        if (!line.startsWith("MemAvailable:")) {
            continue;
        }
        const QList<QByteArray> parts = line.mid(13).simplified().split(' ');
        bool ok = false;
        const qint64 kilobytes = parts.value(0).toLongLong(&ok);
        return ok && kilobytes >= 0 ? kilobytes * 1024 : -1;
    }
    return -1;
}

}  // namespace

MemoryStatus MemoryStatusFrom(quint64 totalPhys, const QByteArray& meminfo, quint64 fallbackAvail) {
    const qint64 fromText = AvailableFromMeminfo(meminfo);
    MemoryStatus status;
    status.totalPhys = totalPhys;
    status.availPhys =
        std::min<quint64>(totalPhys, fromText >= 0 ? quint64(fromText) : fallbackAvail);
    if (totalPhys > 0) {
        const quint64 used = totalPhys - status.availPhys;
        status.memoryLoad = static_cast<quint32>((used * 100 + totalPhys / 2) / totalPhys);
    }
    return status;
}

MemoryStatus GlobalMemoryStatus() {
    struct sysinfo info {};
    if (sysinfo(&info) != 0) {
        return {};
    }
    const quint64 unit = info.mem_unit ? info.mem_unit : 1;
    QFile file(QStringLiteral("/proc/meminfo"));
    const QByteArray meminfo = file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    return MemoryStatusFrom(quint64{info.totalram} * unit, meminfo,
                            (quint64{info.freeram} + info.bufferram) * unit);
}

}  // namespace cinevan
