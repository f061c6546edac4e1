#pragma once

#include <QByteArray>
#include <QtGlobal>

namespace cinevan {

// The machine's physical memory, as the About window shows it.
struct MemoryStatus {
    quint32 memoryLoad = 0;  // percent of physical memory in use, 0..100
    quint64 totalPhys = 0;   // bytes
    quint64 availPhys = 0;   // bytes
};

// Reads the memory status from the kernel: the total from sysinfo(), the available memory
// from /proc/meminfo's "MemAvailable" (sysinfo's free and buffer memory when it is missing).
MemoryStatus GlobalMemoryStatus();

// The status for a total and the text of /proc/meminfo; `fallbackAvail` is used when the text
// has no "MemAvailable" line.
MemoryStatus MemoryStatusFrom(quint64 totalPhys, const QByteArray& meminfo, quint64 fallbackAvail);

}  // namespace cinevan
