#include "app/AppInit.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QStringList>

#include "app/AlterEgo.h"
#include "platform/FolderSearch.h"
#include "platform/PrivateProfile.h"
#include "platform/ShellAssociation.h"

namespace cinevan {

std::optional<bool> ParseOptionBool(const QByteArray& text) {
    bool ok = false;
    qlonglong value = 0;
    if (text.startsWith('$')) {
        value = text.mid(1).toLongLong(&ok, 16);
    } else if (text.size() > 2 && (text.startsWith("0x") || text.startsWith("0X"))) {
        value = text.mid(2).toLongLong(&ok, 16);
    } else {
        value = text.toLongLong(&ok, 10);
    }
    if (!ok) {
        return std::nullopt;
    }
    return value != 0;
}

ProgramOptions ProgramOptions::ForProgram() {
    return ProgramOptions(CompanionFile(ProgramFilePath(), QStringLiteral(".ini")));
}

bool ProgramOptions::ReadBool(const QByteArray& section, const QByteArray& key,
                              bool defaultValue) const {
    const QByteArray text = PrivateProfile(fileName_).ReadString(section, key);
    return ParseOptionBool(text).value_or(defaultValue);
}

bool ProgramOptions::RunAMovieSetup() const {
    const QString command = QString::fromLocal8Bit(
        PrivateProfile(fileName_).ReadString("AMovie Setup", "CmdLine").trimmed());
    QStringList arguments = QProcess::splitCommand(command);
    if (arguments.isEmpty()) {
        return false;
    }
    const QString program = arguments.takeFirst();
    return QProcess::startDetached(program, arguments);
}

bool ProgramOptions::ReadBreakOnError() const {
    return ReadBool("Options", "BreakOnError", false);
}

QString ProgramOptions::ReadVideoCDList() const {
    return QString::fromLocal8Bit(PrivateProfile(fileName_).ReadString("Options", "VideoCDList"));
}

bool ProgramOptions::ReadVideoCDAuto() const {
    return ReadBool("Options", "VideoCDAuto", false);
}

// ---------------------------------------------------------------------------------------------
// Video CD search

VideoCDSearch VideoCDSearch::ForProgram() {
    return VideoCDSearch(ProgramOptions::ForProgram(), DriveTable::FromSystem(), ProgramFilePath());
}

std::optional<QStringList> VideoCDSearch::FindVideoCD() const {
    const QString list = options_.ReadVideoCDList();
    QString home = drives_.DriveOf(programPath_);
    std::optional<QStringList> result = ScanVideoCDDrive(home, list);
    for (qsizetype i = 0; !result && i < drives_.Drives().size(); ++i) {
        QString root = drives_.Drives()[i].root;
        if (root != home) {
            result = ScanVideoCDDrive(root, list);
        }
    }
    return result;
}

std::optional<QStringList> VideoCDSearch::ScanVideoCDDrive(QString& root,
                                                           const QString& list) const {
    if (!drives_.IsCdRom(root)) {
        root.clear();
        return std::nullopt;
    }
    if (!list.isEmpty()) {
        const QString file = ResolvePathNoCase(root, list);
        // Relative names inside the listed file resolve against the disc.
        if (!file.isEmpty() && QFileInfo(file).isFile() && QDir::setCurrent(root)) {
            return QStringList{file};
        }
    }
    const QString folder = FindFolderNoCase(root, QStringLiteral("mpegav"));
    if (folder.isEmpty()) {
        return std::nullopt;
    }
    QStringList tracks = ListFilesNoCase(folder, QStringLiteral(".dat"));
    if (tracks.isEmpty()) {
        return std::nullopt;
    }
    return tracks;
}

bool VideoCDSearch::IsVideoCDAutoStart() const {
    return drives_.IsCdRom(drives_.DriveOf(programPath_)) && options_.ReadVideoCDAuto();
}

// ---------------------------------------------------------------------------------------------
// Shell integration

void RegisterMovieListType(const QString& ext) {
    const QString program = ProgramFilePath();
    // An association without a program would only break double-clicking a list.
    if (program.isEmpty()) {
        return;
    }
    // An installed copy is associated by its package; a second, per-user association would
    // only compete with it.
    if (InstalledEntryAssociates(
            QStandardPaths::standardLocations(QStandardPaths::GenericDataLocation), program)) {
        return;
    }
    const ShellAssociation shell = ShellAssociation::ForUser();
    const bool updateDatabase = shell.MimeDatabaseNeedsUpdate(ext);
    if (shell.Register(ext, program) && updateDatabase) {
        // The database tool may take seconds; the first window does not wait for it.
        shell.StartMimeDatabaseUpdate();
    }
}

}  // namespace cinevan
