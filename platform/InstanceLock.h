#pragma once

#include <QString>

namespace cinevan {

// A process-wide named lock standing in for a named mutex: an advisory lock (flock) on a file
// named after the lock in $XDG_RUNTIME_DIR (the temporary folder when that is not set). The
// kernel releases it when the process ends, also when it dies.
class InstanceLock {
public:
    explicit InstanceLock(const QString& name);
    ~InstanceLock();
    InstanceLock(const InstanceLock&) = delete;
    InstanceLock& operator=(const InstanceLock&) = delete;

    // True when this process holds the lock; false when another process holds it or the lock
    // file could not be made.
    bool acquired() const { return fd_ >= 0; }

    // The file that carries the lock for `name`.
    static QString lockFilePath(const QString& name);

private:
    int fd_ = -1;
};

}  // namespace cinevan
