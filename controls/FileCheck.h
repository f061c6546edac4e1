#pragma once

#include <QString>
#include <optional>

namespace cinevan {

// How long the window waits for the file system to say whether a picture file or a folder is
// there. A share whose server stopped answering never says; the window must not wait for it.
inline constexpr int kFileCheckLimitMs = 500;

// True when `path` names a regular file that may be read. A file system that does not answer
// within kFileCheckLimitMs counts as no.
bool IsLoadableFile(const QString& path);

// Whether `path` names a folder; nothing when the file system does not answer in time.
std::optional<bool> FolderExists(const QString& path);

}  // namespace cinevan
