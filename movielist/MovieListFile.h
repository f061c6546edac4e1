#pragma once

#include <QByteArray>
#include <QByteArrayList>

namespace cinevan::movielistfile {

// Splits the text of a movie-list file into lines at CR LF, a lone CR or a lone LF. A NUL byte
// ends the text; a line break at the very end adds no empty line, a last line without a break
// is kept, and every other empty line is kept as an empty line.
QByteArrayList splitLines(const QByteArray& text);

// Reads a movie-list file (a byte name, passed to the file system unchanged) into its lines.
// Anything that is not a readable regular file yields no lines.
QByteArrayList read(const QByteArray& fileName);

// Writes every line followed by CR LF. The data goes to a temporary file beside the target
// that replaces the target only once all of it is written and flushed, so a failure leaves the
// old file as it was. Throws EFCreateError on any failure.
void write(const QByteArray& fileName, const QByteArrayList& lines);

}  // namespace cinevan::movielistfile
