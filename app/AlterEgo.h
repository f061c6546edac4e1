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

// Takes the single-instance lock of this program file once per process. False when another
// process of the same user runs the same program file; true otherwise, also when no lock can
// be made at all. The lock is held until the process ends.
bool FirstInstance();

}  // namespace cinevan
