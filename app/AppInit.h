#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <optional>

#include "platform/DriveTable.h"

namespace cinevan {

// A boolean option's text read as a number: decimal, or hexadecimal after "$" or after
// "0x"/"0X" followed by at least one more character. Any non-zero number is true; a text that
// is not a number gives nothing.
std::optional<bool> ParseOptionBool(const QByteArray& text);

// The program's options file: the program path with the extension ".ini". The program only
// reads it.
class ProgramOptions {
public:
    explicit ProgramOptions(QString fileName) : fileName_(std::move(fileName)) {}

    // The options file next to the running program.
    static ProgramOptions ForProgram();

    // Option "BreakOnError" of section "Options": report missing movie files instead of
    // skipping them; false when missing or not a number.
    bool ReadBreakOnError() const;

    // Option "VideoCDList" of section "Options": a file on a Video CD that replaces the disc's
    // tracks when present, relative to the disc's root; empty when missing.
    QString ReadVideoCDList() const;

    // Option "VideoCDAuto" of section "Options": play the Video CD at start when the program
    // runs from a CD-ROM drive; false when missing or not a number.
    bool ReadVideoCDAuto() const;

    bool ReadBool(const QByteArray& section, const QByteArray& key, bool defaultValue) const;

    // Starts the movie driver's installer named by "CmdLine" of section "AMovie Setup",
    // without waiting for it. False when no installer is named or it cannot be started.
    bool RunAMovieSetup() const;

private:
    QString fileName_;
};

// The search for a Video CD in the CD-ROM drives. Names on the discs are matched without regard
// to case; every failure gives none (or false), never a message.
class VideoCDSearch {
public:
    VideoCDSearch(ProgramOptions options, DriveTable drives, QString programPath)
        : options_(std::move(options)),
          drives_(std::move(drives)),
          programPath_(std::move(programPath)) {}

    // The options, drives and file of the running program.
    static VideoCDSearch ForProgram();

    // The drive of the program first, then every other drive in drive order; the first
    // CD-ROM drive that gives a result ends the search. The result is the one file named by
    // "VideoCDList" when the disc holds it (and the disc's root becomes the current folder),
    // else the "*.dat" files of the disc's "mpegav" folder in the order the folder lists them.
    std::optional<QStringList> FindVideoCD() const;

    // The search on one drive with the "VideoCDList" value `list`. `root` is cleared when it is
    // not a CD-ROM drive.
    std::optional<QStringList> ScanVideoCDDrive(QString& root, const QString& list) const;

    // True when the program runs from a CD-ROM drive and option "VideoCDAuto" is set.
    bool IsVideoCDAutoStart() const;

private:
    ProgramOptions options_;
    DriveTable drives_;
    QString programPath_;
};

// Associates the movie-list extension `ext` (".mls") with the running program for the user's
// desktop: double-clicking a list opens it, the action "play" plays it at once. Rewritten on
// every call; failures end it silently.
void RegisterMovieListType(const QString& ext);

}  // namespace cinevan
