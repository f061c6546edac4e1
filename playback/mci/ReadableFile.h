#pragma once

#include <QString>

#include "playback/mci/MciTypes.h"

namespace cinevan::mci {

// Whether an engine may be given `path` to read: a regular file with content that this
// process can open. A FIFO, a device or a folder is refused without being opened for reading,
// as the engine's reader would block on it without any time limit.
// Answers FileNotFound (no such file), InvalidFile (no regular file, or empty) or FileRead.
MciError checkReadableFile(const QString& path);

}  // namespace cinevan::mci
