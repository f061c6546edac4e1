#pragma once

#include <QString>
#include <QStringList>

namespace cinevan {

// File lookups that ignore the case of names, as on the discs and drives of other systems.
// Entries come in the order the file system lists them (no sorting).

// The entry of `folder` whose name equals `name` without regard to case (the first one
// listed); empty when there is none or the folder cannot be read.
QString FindEntryNoCase(const QString& folder, const QString& name);

// Like FindEntryNoCase(), taking only folders (also through symbolic links).
QString FindFolderNoCase(const QString& folder, const QString& name);

// `relative` resolved below `root` one name at a time without regard to case, with '\' taken
// as a separator like '/'. "." is skipped and ".." never leaves `root`. Empty when a name is
// not found.
QString ResolvePathNoCase(const QString& root, const QString& relative);

// Full paths of the files of `folder` whose names end with `suffix` without regard to case:
// plain files (also through symbolic links), without hidden ones (names starting with '.') and
// without folders, in the order the file system lists them.
QStringList ListFilesNoCase(const QString& folder, const QString& suffix);

}  // namespace cinevan
