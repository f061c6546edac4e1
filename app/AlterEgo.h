#pragma once

#include <QString>

namespace cinevan {

// Name of the single-instance lock of the program file at `programPath`: "APPLICATION-"
// followed by the full path, upper-cased, with every folder separator replaced by '_'.
QString InstanceMutexName(const QString& programPath);

// Full path of the running program file.
QString ProgramFilePath();

// The program file's path with its extension replaced by `extension` (".str", ".ini").
QString CompanionFile(const QString& programPath, const QString& extension);

// Takes the single-instance lock of this program file once per process. True when this
// process is the first instance; false when another process runs the same program file or
// the lock cannot be had. The lock is held until the process ends.
bool FirstInstance();

}  // namespace cinevan
