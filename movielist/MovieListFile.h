#pragma once

#include <QByteArray>
#include <QByteArrayList>
#include <functional>

namespace cinevan::movielistfile {

// Splits the text of a movie-list file into lines at CR LF, a lone CR or a lone LF. A NUL byte
// ends the text; a line break at the very end adds no empty line, a last line without a break
// is kept, and every other empty line is kept as an empty line.
QByteArrayList splitLines(const QByteArray& text);

// Reads a movie-list file (a byte name, passed to the file system unchanged) into its lines.
// Anything that is not a readable regular file yields no lines.
QByteArrayList read(const QByteArray& fileName);

// The text of a movie-list file: every line followed by CR LF.
QByteArray text(const QByteArrayList& lines);

// Asked just before a file written completely replaces its target; false leaves the target as
// it was and makes the write fail.
using CommitGate = std::function<bool()>;

// Writes `text` to `fileName`. The data goes to a temporary file beside the target that
// replaces the target only once all of it is written and flushed, so a failure leaves the old
// file as it was. Throws EFCreateError on any failure.
void writeText(
    const QByteArray& fileName, const QByteArray& text,
    const CommitGate& mayCommit = [] { return true; });

// Writes text(lines) as writeText() does.
void write(const QByteArray& fileName, const QByteArrayList& lines);

}  // namespace cinevan::movielistfile
