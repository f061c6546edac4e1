#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "platform/DriveTable.h"

namespace cinevan {
namespace {

// A fake machine: a mount table and a /sys/block folder in a temporary folder.
class DriveTableTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(QDir().mkpath(SysBlock())); }

    QString SysBlock() const { return folder_.path() + "/sys/block"; }
    QString Mounts() const { return folder_.path() + "/mounts"; }

    void BlockDevice(const QString& name, const QByteArray& scsiType = {}) {
        ASSERT_TRUE(QDir().mkpath(SysBlock() + '/' + name + "/device"));
        if (!scsiType.isEmpty()) {
            QFile type(SysBlock() + '/' + name + "/device/type");
            ASSERT_TRUE(type.open(QIODevice::WriteOnly));
            type.write(scsiType + '\n');
        }
    }

    DriveTable Table(const QByteArray& mounts) {
        QFile file(Mounts());
        EXPECT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(mounts);
        file.close();
        return DriveTable(Mounts(), SysBlock());
    }

    static QStringList Roots(const DriveTable& table, bool cdRom) {
        QStringList roots;
        for (const DriveTable::Drive& drive : table.Drives()) {
            if (drive.cdRom == cdRom) {
                roots.append(drive.root);
            }
        }
        return roots;
    }

    QTemporaryDir folder_;
};

TEST_F(DriveTableTest, CdRomDrivesAreFoundByDeviceTypeAndDiscImages) {
    BlockDevice("sr0");
    BlockDevice("sr1");
    BlockDevice("sda", "0");
    BlockDevice("sdc", "5");
    const DriveTable table = Table(
        "/dev/sda1 / ext4 rw,relatime 0 0\n"
        "proc /proc proc rw 0 0\n"
        "/dev/sr1 /media/disc\\0402 iso9660 ro 0 0\n"
        "/dev/sdc /media/usb-cd udf ro 0 0\n"
        "/dev/loop3 /mnt/image iso9660 ro 0 0\n"
        "/dev/loop4 /snap/core squashfs ro 0 0\n"
        "/dev/sda2 /home ext4 rw 0 0\n"
        "/dev/sr0 /media/cdrom iso9660 ro 0 0\n");
    EXPECT_EQ(Roots(table, true),
              (QStringList{"/media/cdrom/", "/media/disc 2/", "/mnt/image/", "/media/usb-cd/"}));
    EXPECT_EQ(Roots(table, false), (QStringList{"/", "/home/", "/proc/", "/snap/core/"}));
    EXPECT_TRUE(table.IsCdRom("/media/disc 2/"));
    EXPECT_FALSE(table.IsCdRom("/media/disc 2")) << "roots end with a separator";
    EXPECT_FALSE(table.IsCdRom("/home/"));
    EXPECT_FALSE(table.IsCdRom(""));
}

TEST_F(DriveTableTest, DiscImageFilesMountedAsDiscsAreCdRomDrives) {
    const QString images = folder_.path() + "/images";
    ASSERT_TRUE(QDir().mkpath(images + "/folder.iso"));
    for (const char* name : {"disc.cue", "DISC.BIN", "movie.nrg", "notes.txt"}) {
        QFile file(images + '/' + name);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }
    const QByteArray dir = QFile::encodeName(images);
    const DriveTable table = Table(
        "/dev/sda1 / ext4 rw 0 0\n" +  //
        dir + "/disc.cue /media/vcd iso9660 ro 0 0\n" + dir + "/DISC.BIN /media/bin udf ro 0 0\n" +
        dir + "/movie.nrg /media/nrg ext4 ro 0 0\n" + dir +
        "/notes.txt /media/txt iso9660 ro 0 0\n" + dir + "/folder.iso /media/dir iso9660 ro 0 0\n" +
        dir + "/missing.iso /media/gone iso9660 ro 0 0\n" +
        "images/disc.cue /media/relative iso9660 ro 0 0\n");
    EXPECT_EQ(Roots(table, true), (QStringList{"/media/bin/", "/media/vcd/"}));
    EXPECT_FALSE(table.IsCdRom("/media/nrg/")) << "only disc file systems";
    EXPECT_FALSE(table.IsCdRom("/media/dir/")) << "a folder is no image";
    EXPECT_FALSE(table.IsCdRom("/media/gone/"));
    EXPECT_FALSE(table.IsCdRom("/media/relative/"));
    for (const DriveTable::Drive& drive : table.Drives()) {
        if (drive.root == "/media/vcd/") {
            EXPECT_EQ(drive.source, images + "/disc.cue");
        }
    }
}

TEST_F(DriveTableTest, DriveNumbersSortNaturallyAndLinksResolveToTheirDevice) {
    for (const char* name : {"sr0", "sr2", "sr10"}) {
        BlockDevice(name);
    }
    const QString dev = folder_.path() + "/dev";
    ASSERT_TRUE(QDir().mkpath(dev));
    QFile(dev + "/sr0").open(QIODevice::WriteOnly);
    ASSERT_TRUE(QFile::link(dev + "/sr0", dev + "/cdrom"));
    const DriveTable table =
        Table(("/dev/sr10 /m/ten iso9660 ro 0 0\n"
               "/dev/sr2 /m/two iso9660 ro 0 0\n" +
               QFile::encodeName(dev) + "/cdrom /m/zero iso9660 ro 0 0\n"));
    EXPECT_EQ(Roots(table, true), (QStringList{"/m/zero/", "/m/two/", "/m/ten/"}));
    EXPECT_EQ(table.Drives().first().device, "sr0");
}

TEST_F(DriveTableTest, AMountPointMountedOverKeepsItsLastMount) {
    BlockDevice("sr0");
    const DriveTable table = Table(
        "/dev/sda1 /media/cdrom ext4 rw 0 0\n"
        "/dev/sr0 /media/cdrom iso9660 ro 0 0\n"
        "/dev/sr0 /media/again iso9660 ro 0 0\n"
        "/dev/sda1 /media/again ext4 rw 0 0\n");
    ASSERT_EQ(table.Drives().size(), 2);
    EXPECT_TRUE(table.IsCdRom("/media/cdrom/"));
    EXPECT_FALSE(table.IsCdRom("/media/again/"));
}

TEST_F(DriveTableTest, TheDriveOfAPathIsTheDeepestMountHoldingIt) {
    BlockDevice("sr0");
    const DriveTable table = Table(
        "/dev/sda1 / ext4 rw 0 0\n"
        "/dev/sr0 /media/cd iso9660 ro 0 0\n");
    EXPECT_EQ(table.DriveOf("/media/cd/bin/cinevan"), "/media/cd/");
    EXPECT_EQ(table.DriveOf("/media/cd"), "/media/cd/");
    EXPECT_EQ(table.DriveOf("/media/cd/../cdx/cinevan"), "/") << "no partial name matches";
    EXPECT_EQ(table.DriveOf("/usr/bin/cinevan"), "/");
    EXPECT_EQ(table.DriveOf(""), "");
    const DriveTable noRoot = Table("/dev/sr0 /media/cd iso9660 ro 0 0\n");
    EXPECT_EQ(noRoot.DriveOf("/usr/bin/cinevan"), "");
}

TEST_F(DriveTableTest, BrokenOrMissingTablesGiveNoDrives) {
    EXPECT_TRUE(DriveTable(folder_.path() + "/none", SysBlock()).Drives().isEmpty());
    const DriveTable table = Table("garbage\n\n/dev/sr0\nnone relative ext4 rw 0 0\n");
    EXPECT_TRUE(table.Drives().isEmpty());
}

TEST(DecodeMountField, UndoesTheOctalEscapes) {
    EXPECT_EQ(DecodeMountField("/media/a\\040b\\011c\\134d"), "/media/a b\tc\\d");
    EXPECT_EQ(DecodeMountField("/media/\\04"), "/media/\\04") << "incomplete escape stays";
    EXPECT_EQ(DecodeMountField("/media/\\x41"), "/media/\\x41");
}

TEST(DriveTableSystem, TheRunningProgramLiesOnAMountedDrive) {
    const DriveTable table = DriveTable::FromSystem();
    ASSERT_FALSE(table.Drives().isEmpty());
    const QString root = table.DriveOf(QCoreApplication::applicationFilePath());
    EXPECT_FALSE(root.isEmpty());
    EXPECT_TRUE(QCoreApplication::applicationFilePath().startsWith(root));
}

TEST(DriveTableSystem, TheEnvironmentPointsTheTableElsewhere) {
    QTemporaryDir folder;
    QDir().mkpath(folder.path() + "/block/sr0");
    QFile mounts(folder.path() + "/mounts");
    ASSERT_TRUE(mounts.open(QIODevice::WriteOnly));
    mounts.write("/dev/sr0 /fake/cd iso9660 ro 0 0\n");
    mounts.close();
    qputenv("CINEVAN_MOUNTS", QFile::encodeName(mounts.fileName()));
    qputenv("CINEVAN_SYS_BLOCK", QFile::encodeName(folder.path() + "/block"));
    const DriveTable table = DriveTable::FromSystem();
    qunsetenv("CINEVAN_MOUNTS");
    qunsetenv("CINEVAN_SYS_BLOCK");
    ASSERT_EQ(table.Drives().size(), 1);
    EXPECT_TRUE(table.IsCdRom("/fake/cd/"));
}

}  // namespace
}  // namespace cinevan
