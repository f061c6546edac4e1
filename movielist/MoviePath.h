#pragma once

#include <QByteArray>
#include <QString>

namespace cinevan::moviepath {

// Name rules of movie entries. Names are bytes and reach the file system unchanged.
//
// '/' separates folders. In a relative name a backslash separates folders as well, so that
// movie lists written on Windows with relative names keep working.

bool isAbsolute(const QByteArray& name);

// Position of the last folder separator of the name, -1 if there is none.
qsizetype lastFolderSeparator(const QByteArray& name);

// The folder part of a name, up to and including its last separator; empty if it has none.
QByteArray folderOf(const QByteArray& name);

// The name resolved against `currentFolder` (itself absolute) with "." and ".." parts and
// repeated separators removed; symbolic links are not resolved. Empty stays empty.
QByteArray fullPath(const QByteArray& name, const QByteArray& currentFolder);

// A name as the file system reads it (only '/' separates folders) resolved against `folder`
// (itself absolute) the same way: for names given on the command line, dropped or chosen.
QByteArray localFullPath(const QByteArray& name, const QByteArray& folder);

// The same as fullPath, against the process's current folder.
QByteArray fullPath(const QByteArray& name);

// The process's current folder as bytes; "/" if it cannot be determined.
QByteArray currentFolder();

// Makes `folder` the process's current folder; false (and nothing changed) on failure.
bool setCurrentFolder(const QByteArray& folder);

// The extension (from the last '.' after the last folder separator), lower-cased in A..Z only.
QByteArray lowerExtension(const QByteArray& name);

// The title shown for an entry without one: the name without its folder part and without its
// extension. A colon is an ordinary character of a file name.
QByteArray defaultTitle(const QByteArray& fileName);

// Decodes a byte text in the locale's encoding for display; invalid bytes show as
// replacement characters.
QString displayText(const QByteArray& text);

}  // namespace cinevan::moviepath
