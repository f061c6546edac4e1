#pragma once

#include <QByteArray>
#include <QString>

namespace cinevan {

// Association of a file type with a program in the freedesktop way, below the user's data and
// configuration folders:
//   <data>/mime/packages/<id>.xml     the file type: its glob ("*" + extension) and comment;
//   <data>/applications/<id>.desktop  the program: its Exec is the "open" command (program
//                                     and file), its desktop action "play" adds " /play";
//   <config>/mimeapps.list            the program as the type's default handler; every other
//                                     line of the file is kept.
class ShellAssociation {
public:
    static constexpr const char* kMimeType = "application/x-cinevan-movielist";
    static constexpr const char* kDesktopId = "cinevan-movielist.desktop";
    // The entry and the type's package that an installed copy of the program brings along.
    static constexpr const char* kInstalledDesktopId = "com.vantrel.Cinevan.desktop";
    static constexpr const char* kMimePackageName = "cinevan-movielist.xml";

    ShellAssociation(QString dataFolder, QString configFolder)
        : dataFolder_(std::move(dataFolder)), configFolder_(std::move(configFolder)) {}

    // Below $XDG_DATA_HOME and $XDG_CONFIG_HOME (or their defaults).
    static ShellAssociation ForUser();

    // Makes the three files name the program at `programPath` and the extension `ext` (".mls"),
    // whatever they held before; a file that already says so is not written again. False as
    // soon as one cannot be written; what was written stays.
    bool Register(const QString& ext, const QString& programPath) const;

    // True when the mime database below the data folder does not yet know the type as
    // Register() writes it: no database, or a package file that differs.
    bool MimeDatabaseNeedsUpdate(const QString& ext) const;

    // Runs update-mime-database on the data folder's "mime" folder when the tool is installed
    // and waits for it at most `timeoutMs`. True when it ran and succeeded.
    bool UpdateMimeDatabase(int timeoutMs) const;

    // Starts update-mime-database on the data folder's "mime" folder when the tool is
    // installed, and lets it run on its own. True when it was started.
    bool StartMimeDatabaseUpdate() const;

    QString MimePackageFile() const;
    QString DesktopFile() const;
    QString MimeAppsFile() const;
    QString MimeFolder() const;

private:
    QString dataFolder_;
    QString configFolder_;
};

// True when one of `dataFolders` holds the installed desktop entry of the program at
// `programPath`: its Exec runs that program file, it lists the movie-list type, and the same
// folder holds the type's package. The desktop then associates movie lists with the program.
bool InstalledEntryAssociates(const QStringList& dataFolders, const QString& programPath);

// One argument of a desktop file's Exec key: quoted and escaped so that blanks, quotes, '$',
// '`', '\', '%' and line breaks in it reach the program unchanged.
QString DesktopExecArgument(const QString& argument);

// `text` (a mimeapps.list) with `key`=`value` set in its section "[Default Applications]":
// an existing key of that section is replaced, otherwise the key is added at the section's end
// and the section is added when missing. All other lines stay as they are.
QByteArray SetDefaultApplication(const QByteArray& text, const QByteArray& key,
                                 const QByteArray& value);

}  // namespace cinevan
