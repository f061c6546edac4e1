#include "tests/playback/mci/FakeVideoCd.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "tests/support/MediaFixtures.h"

namespace cinevan::test {

QByteArray mountField(const QString& path) {
    QByteArray field;
    for (const char c : QFile::encodeName(path)) {
        if (c == ' ' || c == '\t' || c == '\n' || c == '\\') {
            field +=
                '\\' + QByteArray::number(static_cast<unsigned char>(c), 8).rightJustified(3, '0');
        } else {
            field += c;
        }
    }
    return field;
}

void FakeVideoCd::writeFile(const QString& path, const QByteArray& bytes) {
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate)) << path.toStdString();
    file.write(bytes);
}

FakeVideoCd::FakeVideoCd(const QString& image)
    : root_(dir_.path() + "/video cd"),
      hardDisk_(dir_.path() + "/disk"),
      savedMounts_(qgetenv("CINEVAN_MOUNTS")),
      savedSysBlock_(qgetenv("CINEVAN_SYS_BLOCK")) {
    const QString source = image.isEmpty() ? mediaFixture("vcd.cue") : image;
    for (const char* name : {"MPEGAV/AVSEQ01.DAT", "MPEGAV/AVSEQ02.DAT", "VCD/INFO.VCD"}) {
        writeFile(file(name), {});
    }
    writeFile(hardDisk_ + "/MPEGAV/AVSEQ01.DAT", {});
    QDir().mkpath(dir_.path() + "/block");
    const QString mounts = dir_.path() + "/mounts";
    writeFile(mounts, "/dev/sda1 " + mountField(hardDisk_) + " ext4 rw 0 0\n" + mountField(source) +
                          ' ' + mountField(root_) + " iso9660 ro 0 0\n");
    qputenv("CINEVAN_MOUNTS", QFile::encodeName(mounts));
    qputenv("CINEVAN_SYS_BLOCK", QFile::encodeName(dir_.path() + "/block"));
}

FakeVideoCd::~FakeVideoCd() {
    for (const auto& [name, value] : {std::pair{"CINEVAN_MOUNTS", savedMounts_},
                                      std::pair{"CINEVAN_SYS_BLOCK", savedSysBlock_}}) {
        if (value.isEmpty()) {
            qunsetenv(name);
        } else {
            qputenv(name, value);
        }
    }
}

}  // namespace cinevan::test
