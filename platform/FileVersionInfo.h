#pragma once

#include <QByteArray>
#include <QString>

namespace cinevan {

// The ELF section in which the build stores a program's version block.
inline constexpr char kVersionSectionName[] = ".cinevan_version";

// Size of the version block stored in `fileName`, 0 when the file has none or cannot be read.
// `handle` receives where the block starts in the file, to be handed to GetFileVersionInfo.
qint32 GetFileVersionInfoSize(const QString& fileName, quint32& handle);

// Reads `size` bytes of the version block at `handle` into `data`; false when the file is
// shorter or cannot be read.
bool GetFileVersionInfo(const QString& fileName, quint32 handle, qint32 size, char* data);

// Reads the version block that the build embeds in a program file and answers the questions
// the About window asks of it: the translation and the values of its string table.
class TFileVersionInfo {
public:
    explicit TFileVersionInfo(const QString& fileName);

    bool Valid() const { return FValid; }
    // The first translation entry: language in the low 16 bits, code page in the high 16 bits;
    // 0 when the block is missing or has no translation.
    quint32 GetTranslation() const;
    // The value `name` of the string table of GetTranslation's language and code page, empty
    // when the block, the table or the value is missing.
    QString GetValue(const QString& name) const;

private:
    QString FFileName;
    qint32 FSize = 0;
    quint32 FHandle = 0;
    bool FValid = false;
    QByteArray FBuffer;
};

}  // namespace cinevan
