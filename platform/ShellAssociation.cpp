#include "platform/ShellAssociation.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QSaveFile>
#include <QStandardPaths>
#include <optional>

namespace cinevan {

namespace {

constexpr const char* kDefaultSection = "[Default Applications]";

bool WriteWholeFile(const QString& fileName, const QByteArray& contents) {
    if (!QDir().mkpath(QFileInfo(fileName).path())) {
        return false;
    }
    QSaveFile file(fileName);
    return file.open(QIODevice::WriteOnly) && file.write(contents) == contents.size() &&
           file.commit();
}

// The file's contents; empty for a missing file, nothing when it exists but cannot be read.
std::optional<QByteArray> ReadExistingFile(const QString& fileName) {
    QFile file(fileName);
    if (!file.exists()) {
        return QByteArray();
    }
    if (!file.open(QIODevice::ReadOnly)) {
        return std::nullopt;
    }
    return file.readAll();
}

// Desktops index these folders again whenever a file in them changes: one that already holds
// `contents` is left alone.
bool WriteIfChanged(const QString& fileName, const QByteArray& contents) {
    if (QFileInfo::exists(fileName) && ReadExistingFile(fileName) == contents) {
        return true;
    }
    return WriteWholeFile(fileName, contents);
}

QByteArray MimePackage(const QString& ext) {
    const QString pattern = (QLatin1Char('*') + ext).toHtmlEscaped();
    return QStringLiteral(
               "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
               "<mime-info xmlns=\"http://www.freedesktop.org/standards/shared-mime-info\">\n"
               "  <mime-type type=\"%1\">\n"
               "    <comment>Movie List</comment>\n"
               "    <glob pattern=\"%2\"/>\n"
               "  </mime-type>\n"
               "</mime-info>\n")
        .arg(QLatin1String(ShellAssociation::kMimeType), pattern)
        .toUtf8();
}

QByteArray DesktopEntry(const QString& programPath) {
    const QString program = DesktopExecArgument(programPath);
    return QStringLiteral(
               "[Desktop Entry]\n"
               "Type=Application\n"
               "Name=Cinevan\n"
               "Comment=Movie List\n"
               "Exec=%1 %f\n"
               "MimeType=%2;\n"
               "NoDisplay=true\n"
               "Actions=play;\n"
               "\n"
               "[Desktop Action play]\n"
               "Name=Play\n"
               "Exec=%1 %f /play\n")
        .arg(program, QLatin1String(ShellAssociation::kMimeType))
        .toUtf8();
}

QByteArray KeyOf(const QByteArray& line) {
    const qsizetype equals = line.indexOf('=');
    return equals < 0 ? QByteArray() : line.left(equals).trimmed();
}

// The value of `key` in the group "[Desktop Entry]" of a desktop file; empty when missing.
QByteArray DesktopEntryValue(const QByteArray& text, const QByteArray& key) {
    bool inEntry = false;
    for (const QByteArray& raw : text.split('\n')) {
        const QByteArray line = raw.trimmed();
        if (line.startsWith('[')) {
            inEntry = line == "[Desktop Entry]";
        } else if (inEntry && KeyOf(line) == key) {
            return line.mid(line.indexOf('=') + 1).trimmed();
        }
    }
    return {};
}

// A desktop file value with its string escapes undone.
QString UnescapedValue(const QByteArray& value) {
    QString text;
    const QString raw = QString::fromUtf8(value);
    for (qsizetype i = 0; i < raw.size(); ++i) {
        if (raw[i] != '\\' || i + 1 == raw.size()) {
            text += raw[i];
            continue;
        }
        const QChar next = raw[++i];
        text += next == 's'   ? QChar(' ')
                : next == 'n' ? QChar('\n')
                : next == 't' ? QChar('\t')
                : next == 'r' ? QChar('\r')
                              : next;
    }
    return text;
}

// The program of an Exec value: its first argument, unquoted.
QString ExecProgram(const QByteArray& exec) {
    const QString value = UnescapedValue(exec);
    if (!value.startsWith('"')) {
        return value.section(' ', 0, 0);
    }
    QString program;
    for (qsizetype i = 1; i < value.size() && value[i] != '"'; ++i) {
        if (value[i] == '\\' && i + 1 < value.size()) {
            ++i;
        }
        program += value[i];
    }
    return program;
}

bool SameProgramFile(const QString& execProgram, const QString& programPath) {
    const QString found =
        execProgram.contains('/') ? execProgram : QStandardPaths::findExecutable(execProgram);
    const QString canonical = QFileInfo(found).canonicalFilePath();
    return !canonical.isEmpty() && canonical == QFileInfo(programPath).canonicalFilePath();
}

}  // namespace

QString DesktopExecArgument(const QString& argument) {
    QString quoted;
    for (const QChar c : argument) {
        if (c == '"' || c == '`' || c == '$' || c == '\\') {
            quoted += '\\';
        }
        quoted += c;
    }
    quoted.replace('%', QStringLiteral("%%"));
    // The string escapes of desktop file values apply before the quoting above is undone.
    quoted.replace('\\', QStringLiteral("\\\\"));
    quoted.replace('\n', QStringLiteral("\\n"));
    quoted.replace('\t', QStringLiteral("\\t"));
    quoted.replace('\r', QStringLiteral("\\r"));
    return '"' + quoted + '"';
}

QByteArray SetDefaultApplication(const QByteArray& text, const QByteArray& key,
                                 const QByteArray& value) {
    QByteArrayList lines = text.split('\n');
    if (lines.last().isEmpty()) {
        lines.removeLast();
    }
    const QByteArray entry = key + '=' + value;
    qsizetype insertAt = -1;
    bool inSection = false;
    bool replaced = false;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QByteArray line = lines[i].trimmed();
        if (line.startsWith('[')) {
            inSection = line == kDefaultSection;
            insertAt = inSection ? i + 1 : insertAt;
        } else if (inSection && !line.isEmpty()) {
            insertAt = i + 1;
            if (!line.startsWith('#') && KeyOf(line) == key) {
                lines[i] = entry;
                replaced = true;
            }
        }
    }
    if (!replaced && insertAt >= 0) {
        lines.insert(insertAt, entry);
    } else if (!replaced) {
        if (!lines.isEmpty()) {
            lines.append(QByteArray());
        }
        lines.append(kDefaultSection);
        lines.append(entry);
    }
    return lines.join('\n') + '\n';
}

bool InstalledEntryAssociates(const QStringList& dataFolders, const QString& programPath) {
    for (const QString& folder : dataFolders) {
        const QString package = folder + QStringLiteral("/mime/packages/") +
                                QLatin1String(ShellAssociation::kMimePackageName);
        QFile entry(folder + QStringLiteral("/applications/") +
                    QLatin1String(ShellAssociation::kInstalledDesktopId));
        if (!QFileInfo::exists(package) || !entry.open(QIODevice::ReadOnly)) {
            continue;
        }
        const QByteArray text = entry.readAll();
        const QByteArrayList types = DesktopEntryValue(text, "MimeType").split(';');
        if (types.contains(ShellAssociation::kMimeType) &&
            SameProgramFile(ExecProgram(DesktopEntryValue(text, "Exec")), programPath)) {
            return true;
        }
    }
    return false;
}

ShellAssociation ShellAssociation::ForUser() {
    return ShellAssociation(
        QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation),
        QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation));
}

QString ShellAssociation::MimeFolder() const {
    return dataFolder_ + QStringLiteral("/mime");
}

QString ShellAssociation::MimePackageFile() const {
    return MimeFolder() + QStringLiteral("/packages/") + QLatin1String(kMimePackageName);
}

QString ShellAssociation::DesktopFile() const {
    return dataFolder_ + QStringLiteral("/applications/") + QLatin1String(kDesktopId);
}

QString ShellAssociation::MimeAppsFile() const {
    return configFolder_ + QStringLiteral("/mimeapps.list");
}

bool ShellAssociation::Register(const QString& ext, const QString& programPath) const {
    if (dataFolder_.isEmpty() || configFolder_.isEmpty()) {
        return false;
    }
    if (!WriteIfChanged(MimePackageFile(), MimePackage(ext)) ||
        !WriteIfChanged(DesktopFile(), DesktopEntry(programPath))) {
        return false;
    }
    // The user's other associations in the same file must survive.
    const std::optional<QByteArray> mimeApps = ReadExistingFile(MimeAppsFile());
    return mimeApps &&
           WriteIfChanged(MimeAppsFile(), SetDefaultApplication(*mimeApps, kMimeType,
                                                                QByteArray(kDesktopId) + ';'));
}

bool ShellAssociation::MimeDatabaseNeedsUpdate(const QString& ext) const {
    return !QFileInfo::exists(MimeFolder() + QStringLiteral("/mime.cache")) ||
           ReadExistingFile(MimePackageFile()) != MimePackage(ext);
}

bool ShellAssociation::StartMimeDatabaseUpdate() const {
    const QString tool = QStandardPaths::findExecutable(QStringLiteral("update-mime-database"));
    if (tool.isEmpty()) {
        return false;
    }
    QProcess update;
    update.setProgram(tool);
    update.setArguments({MimeFolder()});
    update.setStandardOutputFile(QProcess::nullDevice());
    update.setStandardErrorFile(QProcess::nullDevice());
    return update.startDetached();
}

bool ShellAssociation::UpdateMimeDatabase(int timeoutMs) const {
    const QString tool = QStandardPaths::findExecutable(QStringLiteral("update-mime-database"));
    if (tool.isEmpty()) {
        return false;
    }
    QProcess update;
    // Its advice about search paths is of no use to anyone here.
    update.setStandardOutputFile(QProcess::nullDevice());
    update.setStandardErrorFile(QProcess::nullDevice());
    update.start(tool, {MimeFolder()});
    // A tool that hangs is ended when `update` goes out of scope.
    return update.waitForFinished(timeoutMs) && update.exitStatus() == QProcess::NormalExit &&
           update.exitCode() == 0;
}

}  // namespace cinevan
