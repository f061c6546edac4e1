#pragma once

#include <QByteArray>

#include "movielist/MoviePath.h"

namespace cinevan::test {

// Restores the process's current folder, which adding names with a folder to enter changes.
class CurrentFolderGuard {
public:
    CurrentFolderGuard() = default;
    ~CurrentFolderGuard() { moviepath::setCurrentFolder(saved_); }
    CurrentFolderGuard(const CurrentFolderGuard&) = delete;
    CurrentFolderGuard& operator=(const CurrentFolderGuard&) = delete;

private:
    QByteArray saved_ = moviepath::currentFolder();
};

}  // namespace cinevan::test
