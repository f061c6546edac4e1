#pragma once

#include <QString>

namespace cinevan {

// A process-wide named lock standing in for a named mutex: an advisory lock (flock) on a file
// named after the lock in a folder that belongs to the current user alone, so that the locks of
// different users never meet. The kernel releases it when the process ends, also when it dies.
//
// The folder is the first of these that is a real folder owned by the user and writable by no
// one else: $XDG_RUNTIME_DIR; "cinevan-<uid>" in the temporary folder (made with mode 0700);
// "cinevan" in the user's cache folder.
class InstanceLock {
public:
    explicit InstanceLock(const QString& name);
    ~InstanceLock();
    InstanceLock(const InstanceLock&) = delete;
    InstanceLock& operator=(const InstanceLock&) = delete;

    // True when this process holds the lock.
    bool acquired() const { return fd_ >= 0; }
    // True when another process of this user holds it. When no private folder or lock file can
    // be had, neither is true.
    bool heldElsewhere() const { return heldElsewhere_; }

    // The file that carries the lock for `name`, made ready in its private folder; empty when
    // there is no such folder.
    static QString lockFilePath(const QString& name);

private:
    int fd_ = -1;
    bool heldElsewhere_ = false;
};

}  // namespace cinevan
