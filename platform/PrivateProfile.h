#pragma once

#include <QByteArray>
#include <QByteArrayList>
#include <QList>
#include <QString>
#include <utility>

namespace cinevan {

// Reader of initialisation files (".ini", ".str") with the rules of the Windows private-profile
// functions: 8-bit text; "[section]" headers; "key=value" lines; lines starting with ';' are
// comments; blanks are trimmed around names and values; one pair of matching quotes (' or ")
// around a value is removed; section and key names are compared without regard to ASCII case
// and the first match wins (the first section of a name, its first key of a name).
//
// The file is read at every call, so a changed file is always seen. A missing or unreadable
// file, or a missing section, reads as empty. Binding a reader to a name does not touch the
// disk.
class PrivateProfile {
public:
    static constexpr int kNamesBufferSize = 8192;
    static constexpr int kValueBufferSize = 1024;

    explicit PrivateProfile(QString fileName) : fileName_(std::move(fileName)) {}

    const QString& FileName() const { return fileName_; }

    // The key names of the section in file order, as far as they fit into a buffer of
    // `bufferSize` bytes holding each name and a NUL, and a final NUL. A name that does not
    // fit completely is left out, as are all after it.
    QByteArrayList ReadKeyNames(const QByteArray& section, int bufferSize = kNamesBufferSize) const;

    // The value of the key, at most `bufferSize` - 1 bytes of it; `defaultValue` when the key
    // is missing.
    QByteArray ReadString(const QByteArray& section, const QByteArray& key,
                          const QByteArray& defaultValue = {},
                          int bufferSize = kValueBufferSize) const;

    using Pairs = QList<std::pair<QByteArray, QByteArray>>;

    // The section as name/value pairs: one pair per distinct key name among those
    // ReadKeyNames() sees, with the value ReadString() gives; pairs with an empty value are
    // left out.
    Pairs ReadSectionValues(const QByteArray& section) const;

private:
    QString fileName_;
};

}  // namespace cinevan
