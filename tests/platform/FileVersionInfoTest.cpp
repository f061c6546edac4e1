#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>
#include <QtEndian>

#include "platform/FileVersionInfo.h"
#include "platform/MemoryStatus.h"
#include "platform/VersionBlock.h"

namespace cinevan {
namespace {

QString WriteFile(const QTemporaryDir& dir, const QString& name, const QByteArray& bytes) {
    const QString path = dir.filePath(name);
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
    return path;
}

QByteArray ReadAll(const QString& path) {
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly));
    return file.readAll();
}

VersionBlockContent Russian() {
    VersionBlockContent content;
    content.fileVersion = {2, 5, 0, 17};
    content.language = 0x0419;
    content.codePage = 0x04E3;
    content.strings = {{QStringLiteral("CompanyName"), QStringLiteral("Vantrel")},
                       {QStringLiteral("FileVersion"), QStringLiteral("2.5.0.17")}};
    return content;
}

// This test program carries its own block (see CMakeLists.txt): language 0x0419 with code
// page 0x04E3, so that its strings live under \StringFileInfo\041904E3\.
TEST(FileVersionInfoTest, ReadsTheBlockEmbeddedInTheProgramFile) {
    const TFileVersionInfo info(QCoreApplication::applicationFilePath());
    ASSERT_TRUE(info.Valid());
    EXPECT_EQ(info.GetTranslation(), 0x04E30419u);
    EXPECT_EQ(info.GetValue(QStringLiteral("FileVersion")), QStringLiteral("3.1.4.1"));
    EXPECT_EQ(info.GetValue(QStringLiteral("CompanyName")), QStringLiteral("Vantrel"));
    EXPECT_EQ(info.GetValue(QStringLiteral("LegalCopyright")),
              QStringLiteral("Copyright (C) test"));
    EXPECT_EQ(info.GetValue(QStringLiteral("Comments")), QString());
}

TEST(FileVersionInfoTest, FilesWithoutABlockGiveEmptyValues) {
    QTemporaryDir dir;
    const QByteArray program = ReadAll(QCoreApplication::applicationFilePath());
    const QStringList files = {
        dir.filePath(QStringLiteral("missing")), WriteFile(dir, QStringLiteral("empty"), {}),
        WriteFile(dir, QStringLiteral("text"), "not a program"),
        WriteFile(dir, QStringLiteral("head"), program.left(4096)),  // section table cut off
    };
    for (const QString& file : files) {
        quint32 handle = 7;
        EXPECT_EQ(GetFileVersionInfoSize(file, handle), 0) << file.toStdString();
        const TFileVersionInfo info(file);
        EXPECT_FALSE(info.Valid());
        EXPECT_EQ(info.GetTranslation(), 0u);
        EXPECT_EQ(info.GetValue(QStringLiteral("FileVersion")), QString());
    }
}

TEST(VersionBlockTest, TranslationNamesTheStringTable) {
    const QByteArray block = BuildVersionBlock(Russian());
    const auto translation = QueryVersionValue(block, QStringLiteral("\\VarFileInfo\\Translation"));
    ASSERT_TRUE(translation);
    ASSERT_EQ(translation->bytes.size(), 4);
    EXPECT_EQ(qFromLittleEndian<quint32>(translation->bytes.constData()), 0x04E30419u);

    const auto version =
        QueryVersionValue(block, QStringLiteral("\\StringFileInfo\\041904E3\\FileVersion"));
    ASSERT_TRUE(version);
    EXPECT_EQ(version->text(), QStringLiteral("2.5.0.17"));
    EXPECT_TRUE(
        QueryVersionValue(block, QStringLiteral("\\stringfileinfo\\041904e3\\companyname")));
    EXPECT_FALSE(
        QueryVersionValue(block, QStringLiteral("\\StringFileInfo\\040904E4\\FileVersion")));
}

TEST(VersionBlockTest, RootHoldsTheFixedFileInformation) {
    const auto root = QueryVersionValue(BuildVersionBlock(Russian()), QStringLiteral("\\"));
    ASSERT_TRUE(root);
    ASSERT_EQ(root->bytes.size(), 52);
    const char* data = root->bytes.constData();
    EXPECT_EQ(qFromLittleEndian<quint32>(data), 0xFEEF04BDu);
    EXPECT_EQ(qFromLittleEndian<quint32>(data + 8), 0x00020005u);
    EXPECT_EQ(qFromLittleEndian<quint32>(data + 12), 0x00000011u);
}

// Every truncation and every corrupted length must be caught by the bounds checks (ASan
// reports any read outside the block).
TEST(VersionBlockTest, DamagedBlocksNeverReadOutsideTheirBytes) {
    const QByteArray block = BuildVersionBlock(Russian());
    const QString path = QStringLiteral("\\StringFileInfo\\041904E3\\FileVersion");
    for (qsizetype size = 0; size < block.size(); ++size) {
        const QByteArray cut(block.constData(), size);  // a copy ASan sees the end of
        EXPECT_FALSE(QueryVersionValue(cut, path)) << size;
    }
    for (qsizetype at = 0; at + 1 < block.size(); at += 2) {
        for (const quint16 bad : {quint16(0), quint16(1), quint16(0xFFFF)}) {
            QByteArray damaged = block;
            qToLittleEndian(bad, damaged.data() + at);
            (void)QueryVersionValue(QByteArray(damaged.constData(), damaged.size()), path);
        }
    }
}

TEST(MemoryStatusTest, LoadComesFromTheAvailableMemory) {
    const quint64 total = 8ull << 30;
    const MemoryStatus status =
        MemoryStatusFrom(total, "MemTotal: 8388608 kB\nMemAvailable:    2097152 kB\n", 0);
    EXPECT_EQ(status.totalPhys, total);
    EXPECT_EQ(status.availPhys, 2ull << 30);
    EXPECT_EQ(status.memoryLoad, 75u);

    EXPECT_EQ(MemoryStatusFrom(total, "MemFree: 1 kB\n", total / 2).memoryLoad, 50u);
    EXPECT_EQ(MemoryStatusFrom(0, {}, 0).memoryLoad, 0u);
}

TEST(MemoryStatusTest, MeasuresThisMachine) {
    const MemoryStatus status = GlobalMemoryStatus();
    EXPECT_GT(status.totalPhys, 0u);
    EXPECT_LE(status.availPhys, status.totalPhys);
    EXPECT_LE(status.memoryLoad, 100u);
}

}  // namespace
}  // namespace cinevan
