#include "platform/FileVersionInfo.h"

#include <QFile>
#include <QtEndian>
#include <optional>

#include "platform/VersionBlock.h"

namespace cinevan {
namespace {

// Where a section lies in the file.
struct SectionPlace {
    quint64 offset = 0;
    quint64 size = 0;
};

constexpr quint32 kSectionNoBits = 8;  // SHT_NOBITS: occupies no space in the file

// Reads numbers of the file's byte order and word size from an ELF file. Every read is bounded
// by the file: a short or damaged file gives no section rather than a read past its end.
class ElfReader {
public:
    explicit ElfReader(QFile& file) : FFile(file) {}

    std::optional<SectionPlace> FindSection(const QByteArray& name) {
        const QByteArray ident = Read(0, 16);
        if (ident.size() != 16 || !ident.startsWith("\x7f"
                                                    "ELF")) {
            return std::nullopt;
        }
        F64 = ident[4] == 2;
        FBigEndian = ident[5] == 2;
        const quint64 tableOffset = F64 ? Number(0x28, 8) : Number(0x20, 4);
        const quint64 entrySize = Number(F64 ? 0x3A : 0x2E, 2);
        const quint64 count = Number(F64 ? 0x3C : 0x30, 2);
        const quint64 namesIndex = Number(F64 ? 0x3E : 0x32, 2);
        if (entrySize < (F64 ? 64u : 40u) || namesIndex >= count) {
            return std::nullopt;
        }
        const auto header = [&](quint64 i) { return tableOffset + i * entrySize; };
        const SectionPlace names = Place(header(namesIndex));
        for (quint64 i = 0; i < count; ++i) {
            const quint64 nameOffset = Number(header(i), 4);
            if (nameOffset < names.size && NameAt(names.offset + nameOffset) == name &&
                Number(header(i) + 4, 4) != kSectionNoBits) {
                return Place(header(i));
            }
        }
        return std::nullopt;
    }

private:
    SectionPlace Place(quint64 header) {
        return F64 ? SectionPlace{Number(header + 0x18, 8), Number(header + 0x20, 8)}
                   : SectionPlace{Number(header + 0x10, 4), Number(header + 0x14, 4)};
    }

    QByteArray Read(quint64 offset, qint64 size) {
        if (offset > static_cast<quint64>(FFile.size()) || !FFile.seek(offset)) {
            return {};
        }
        return FFile.read(size);
    }

    // An unsigned number of `size` bytes at `offset`; 0 when the file ends before it.
    quint64 Number(quint64 offset, int size) {
        const QByteArray bytes = Read(offset, size);
        if (bytes.size() != size) {
            return 0;
        }
        quint64 value = 0;
        for (int i = 0; i < size; ++i) {
            const int shift = FBigEndian ? (size - 1 - i) * 8 : i * 8;
            value |= quint64{static_cast<quint8>(bytes[i])} << shift;
        }
        return value;
    }

    QByteArray NameAt(quint64 offset) {
        constexpr qint64 kLongestName = 64;
        const QByteArray bytes = Read(offset, kLongestName);
        const qsizetype end = bytes.indexOf('\0');
        return end < 0 ? QByteArray() : bytes.left(end);
    }

    QFile& FFile;
    bool F64 = false;
    bool FBigEndian = false;
};

}  // namespace

qint32 GetFileVersionInfoSize(const QString& fileName, quint32& handle) {
    handle = 0;
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly)) {
        return 0;
    }
    const std::optional<SectionPlace> place = ElfReader(file).FindSection(kVersionSectionName);
    const auto fileSize = static_cast<quint64>(file.size());
    if (!place || place->size == 0 || place->size > 0xFFFF || place->offset > 0xFFFFFFFFu ||
        place->offset > fileSize || place->size > fileSize - place->offset) {
        return 0;
    }
    handle = static_cast<quint32>(place->offset);
    return static_cast<qint32>(place->size);
}

bool GetFileVersionInfo(const QString& fileName, quint32 handle, qint32 size, char* data) {
    QFile file(fileName);
    if (size <= 0 || !file.open(QIODevice::ReadOnly) || !file.seek(handle)) {
        return false;
    }
    return file.read(data, size) == size;
}

TFileVersionInfo::TFileVersionInfo(const QString& fileName) : FFileName(fileName) {
    FSize = GetFileVersionInfoSize(FFileName, FHandle);
    if (FSize > 0) {
        FBuffer = QByteArray(FSize, '\0');
        FValid = GetFileVersionInfo(FFileName, FHandle, FSize, FBuffer.data());
        if (!FValid) {
            FBuffer.clear();
        }
    }
}

quint32 TFileVersionInfo::GetTranslation() const {
    if (!FValid) {
        return 0;
    }
    const std::optional<VersionValue> value =
        QueryVersionValue(FBuffer, QStringLiteral("\\VarFileInfo\\Translation"));
    if (!value || value->bytes.size() < 4) {
        return 0;
    }
    return qFromLittleEndian<quint32>(value->bytes.constData());
}

QString TFileVersionInfo::GetValue(const QString& name) const {
    if (!FValid) {
        return {};
    }
    const quint32 translation = GetTranslation();
    const auto hex4 = [](quint32 n) {
        return QStringLiteral("%1").arg(n & 0xFFFF, 4, 16, QLatin1Char('0')).toUpper();
    };
    const QString path = QStringLiteral("\\StringFileInfo\\%1%2\\%3")
                             .arg(hex4(translation), hex4(translation >> 16), name);
    const std::optional<VersionValue> value = QueryVersionValue(FBuffer, path);
    return value ? value->text() : QString();
}

}  // namespace cinevan
