#include "platform/PrivateProfile.h"

#include <QFile>
#include <QFileInfo>
#include <algorithm>

namespace cinevan {
namespace {

struct Entry {
    QByteArray key;
    QByteArray value;
};

bool sameName(const QByteArray& a, const QByteArray& b) {
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

QByteArray fileText(const QString& fileName) {
    if (fileName.isEmpty() || !QFileInfo(fileName).isFile()) {
        return {};
    }
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly)) {
        return {};
    }
    // Editors on Linux may start a UTF-8 file with a byte-order mark.
    const QByteArray text = file.readAll();
    return text.startsWith("\xef\xbb\xbf") ? text.mid(3) : text;
}

QByteArray unquoted(const QByteArray& value) {
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front()) {
        return value.mid(1, value.size() - 2);
    }
    return value;
}

// Section name of a "[name]" line, or nothing when the line is no header.
bool sectionHeader(const QByteArray& line, QByteArray& name) {
    if (!line.startsWith('[')) {
        return false;
    }
    const qsizetype close = line.indexOf(']');
    name = line.mid(1, close < 0 ? -1 : close - 1).trimmed();
    return true;
}

// The entries of the first section named `section`, in file order.
QList<Entry> sectionEntries(const QString& fileName, const QByteArray& section) {
    QList<Entry> entries;
    bool inSection = false;
    bool found = false;
    const QByteArray text = fileText(fileName);
    for (const QByteArray& rawLine : text.split('\n')) {
        const QByteArray line = rawLine.trimmed();
        QByteArray header;
        if (sectionHeader(line, header)) {
            if (found) {
                break;
            }
            inSection = found = sameName(header, section);
            continue;
        }
        if (!inSection || line.isEmpty() || line.startsWith(';')) {
            continue;
        }
        const qsizetype equals = line.indexOf('=');
        Entry entry{(equals < 0 ? line : line.left(equals)).trimmed(), {}};
        if (equals >= 0) {
            entry.value = unquoted(line.mid(equals + 1).trimmed());
        }
        if (!entry.key.isEmpty()) {
            entries.append(entry);
        }
    }
    return entries;
}

QByteArrayList namesThatFit(const QList<Entry>& entries, int bufferSize) {
    QByteArrayList names;
    qsizetype used = 1;  // the NUL that ends the list
    for (const Entry& entry : entries) {
        used += entry.key.size() + 1;
        if (used > bufferSize) {
            break;
        }
        names.append(entry.key);
    }
    return names;
}

const Entry* findEntry(const QList<Entry>& entries, const QByteArray& key) {
    for (const Entry& entry : entries) {
        if (sameName(entry.key, key)) {
            return &entry;
        }
    }
    return nullptr;
}

}  // namespace

QByteArrayList PrivateProfile::ReadKeyNames(const QByteArray& section, int bufferSize) const {
    return namesThatFit(sectionEntries(fileName_, section), bufferSize);
}

QByteArray PrivateProfile::ReadString(const QByteArray& section, const QByteArray& key,
                                      const QByteArray& defaultValue, int bufferSize) const {
    const QList<Entry> entries = sectionEntries(fileName_, section);
    const Entry* entry = findEntry(entries, key);
    const QByteArray& value = entry ? entry->value : defaultValue;
    return value.left(std::max(bufferSize - 1, 0));
}

PrivateProfile::Pairs PrivateProfile::ReadSectionValues(const QByteArray& section) const {
    const QList<Entry> entries = sectionEntries(fileName_, section);
    Pairs pairs;
    for (const QByteArray& name : namesThatFit(entries, kNamesBufferSize)) {
        const auto seen = [&name](const auto& pair) { return sameName(pair.first, name); };
        if (std::any_of(pairs.cbegin(), pairs.cend(), seen)) {
            continue;
        }
        const QByteArray value = findEntry(entries, name)->value.left(kValueBufferSize - 1);
        if (!value.isEmpty()) {
            pairs.append({name, value});
        }
    }
    return pairs;
}

}  // namespace cinevan
