#pragma once

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>
#include <array>
#include <optional>

namespace cinevan {

// What a program's version block says about it: the numeric file version, one translation
// (language and code page) and the string table of that translation.
struct VersionBlockContent {
    std::array<quint16, 4> fileVersion{};
    quint16 language = 0x0409;
    quint16 codePage = 0x04E4;
    QList<QPair<QString, QString>> strings;  // name, value
};

// Lays out a version block as Windows does (VS_VERSIONINFO): a tree of nodes, each a length,
// a value length, a type (0 binary, 1 text), a NUL-terminated UTF-16LE key and a value, every
// part aligned to 4 bytes. The root "VS_VERSION_INFO" holds the fixed file information and
// the children "StringFileInfo" (one string table named by the translation as 8 hexadecimal
// digits) and "VarFileInfo" (the "Translation" entry).
QByteArray BuildVersionBlock(const VersionBlockContent& content);

// One value found in a version block.
struct VersionValue {
    QByteArray bytes;  // the raw value
    bool isText = false;

    // A text value up to its terminating NUL; empty for a binary one.
    QString text() const;
};

// Looks up `path` in a version block: "\" is the root, "\VarFileInfo\Translation" the
// translation table, "\StringFileInfo\041904E3\FileVersion" one string. Keys compare without
// regard to case. Every length read from the block is checked against the bytes that hold it:
// a damaged block yields nothing rather than reading outside it.
std::optional<VersionValue> QueryVersionValue(const QByteArray& block, const QString& path);

}  // namespace cinevan
