#pragma once

#include <QByteArray>
#include <QByteArrayList>

namespace cinevan {

// The comma-separated line format of movie entries.
//
// Lines are scanned byte by byte. The system encoding on Linux is UTF-8, whose multi-byte
// sequences consist only of bytes 0x80 and above, so a trail byte can never be mistaken for a
// quote, a comma or a blank, and no byte of such a sequence is ever split off or altered.
namespace commatext {

// Splits one line into its fields. Blanks and control characters (1..32) separate unquoted
// fields; a double quote opens a quoted field in which two quotes stand for one and which runs
// to the end of the line when it is not closed. A comma at the end adds no empty field, two
// commas in a row give an empty field between them.
QByteArrayList read(const QByteArray& line);

// Joins fields into one line. A field with a blank, a control character, a quote or a comma
// is quoted (inner quotes doubled); an empty field is written as nothing, except that a single
// empty field is written as two quotes.
QByteArray write(const QByteArrayList& fields);

// Whether write() puts this field in quotes.
bool needsQuotes(const QByteArray& field);

}  // namespace commatext
}  // namespace cinevan
