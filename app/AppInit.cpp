#include "app/AppInit.h"

#include <QProcess>
#include <QStringList>

#include "app/AlterEgo.h"
#include "platform/PrivateProfile.h"

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
    const QByteArray text = PrivateProfile(FFileName).ReadString(section, key);
    return ParseOptionBool(text).value_or(defaultValue);
}

bool ProgramOptions::RunAMovieSetup() const {
    const QString command = QString::fromLocal8Bit(
        PrivateProfile(FFileName).ReadString("AMovie Setup", "CmdLine").trimmed());
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

}  // namespace cinevan
