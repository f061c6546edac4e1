#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

namespace cinevan {

// A boolean option's text read as a number: decimal, or hexadecimal after "$" or after
// "0x"/"0X" followed by at least one more character. Any non-zero number is true; a text that
// is not a number gives nothing.
std::optional<bool> ParseOptionBool(const QByteArray& text);

// The program's options file: the program path with the extension ".ini". The program only
// reads it.
class ProgramOptions {
public:
    explicit ProgramOptions(QString fileName) : FFileName(std::move(fileName)) {}

    // The options file next to the running program.
    static ProgramOptions ForProgram();

    // Option "BreakOnError" of section "Options": report missing movie files instead of
    // skipping them; false when missing or not a number.
    bool ReadBreakOnError() const;

    bool ReadBool(const QByteArray& section, const QByteArray& key, bool defaultValue) const;

    // Starts the movie driver's installer named by "CmdLine" of section "AMovie Setup",
    // without waiting for it. False when no installer is named or it cannot be started.
    bool RunAMovieSetup() const;

private:
    QString FFileName;
};

}  // namespace cinevan
