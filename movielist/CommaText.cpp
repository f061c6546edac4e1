#include "movielist/CommaText.h"

namespace cinevan::commatext {
namespace {

constexpr char kQuote = '"';
constexpr char kComma = ',';

// Blanks and control characters; NUL never occurs inside a stored line.
bool isSeparatorSpace(char c) {
    const auto code = static_cast<unsigned char>(c);
    return code >= 1 && code <= 32;
}

qsizetype skipSpaces(const QByteArray& line, qsizetype pos) {
    while (pos < line.size() && isSeparatorSpace(line[pos])) {
        ++pos;
    }
    return pos;
}

// Reads the quoted field that starts at the opening quote at pos; returns the position after
// the closing quote (or the end of the line).
qsizetype readQuoted(const QByteArray& line, qsizetype pos, QByteArray& field) {
    ++pos;
    while (pos < line.size()) {
        const char c = line[pos++];
        if (c != kQuote) {
            field += c;
        } else if (pos < line.size() && line[pos] == kQuote) {
            field += kQuote;
            ++pos;
        } else {
            break;
        }
    }
    return pos;
}

qsizetype readUnquoted(const QByteArray& line, qsizetype pos, QByteArray& field) {
    const qsizetype start = pos;
    while (pos < line.size() && line[pos] != kComma && !isSeparatorSpace(line[pos])) {
        ++pos;
    }
    field = line.mid(start, pos - start);
    return pos;
}

}  // namespace

QByteArrayList read(const QByteArray& line) {
    QByteArrayList fields;
    qsizetype pos = skipSpaces(line, 0);
    while (pos < line.size()) {
        QByteArray field;
        pos = line[pos] == kQuote ? readQuoted(line, pos, field) : readUnquoted(line, pos, field);
        fields.append(field);
        pos = skipSpaces(line, pos);
        if (pos < line.size() && line[pos] == kComma) {
            pos = skipSpaces(line, pos + 1);
        }
    }
    return fields;
}

bool needsQuotes(const QByteArray& field) {
    for (const char c : field) {
        if (isSeparatorSpace(c) || c == kQuote || c == kComma) {
            return true;
        }
    }
    return false;
}

QByteArray write(const QByteArrayList& fields) {
    if (fields.size() == 1 && fields.front().isEmpty()) {
        return QByteArray(2, kQuote);
    }
    QByteArray line;
    for (qsizetype i = 0; i < fields.size(); ++i) {
        if (i > 0) {
            line += kComma;
        }
        const QByteArray& field = fields[i];
        if (needsQuotes(field)) {
            line += kQuote;
            line += QByteArray(field).replace(kQuote, QByteArray(2, kQuote));
            line += kQuote;
        } else {
            line += field;
        }
    }
    return line;
}

}  // namespace cinevan::commatext
