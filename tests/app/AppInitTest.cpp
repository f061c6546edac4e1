#include <gtest/gtest.h>

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include "app/AppInit.h"

namespace cinevan {
namespace {

TEST(ParseOptionBool, ReadsNumbersInEveryNotation) {
    EXPECT_EQ(ParseOptionBool("1"), true);
    EXPECT_EQ(ParseOptionBool("2"), true);
    EXPECT_EQ(ParseOptionBool("0"), false);
    EXPECT_EQ(ParseOptionBool("-1"), true);
    EXPECT_EQ(ParseOptionBool("0x10"), true);
    EXPECT_EQ(ParseOptionBool("0X0"), false);
    EXPECT_EQ(ParseOptionBool("$1F"), true);
    EXPECT_EQ(ParseOptionBool("$0"), false);
    EXPECT_EQ(ParseOptionBool("yes"), std::nullopt);
    EXPECT_EQ(ParseOptionBool("0x"), std::nullopt) << "0x needs at least one more character";
    EXPECT_EQ(ParseOptionBool(""), std::nullopt);
    EXPECT_EQ(ParseOptionBool("1a"), std::nullopt);
}

TEST(ProgramOptions, BreakOnErrorComesFromTheOptionsSection) {
    QTemporaryDir folder;
    const QString ini = folder.path() + "/player.ini";
    const auto write = [&](const QByteArray& text) {
        QFile file(ini);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(text);
    };
    const ProgramOptions options(ini);
    EXPECT_FALSE(options.ReadBreakOnError()) << "missing file";
    write("[Options]\nBreakOnError=2\n");
    EXPECT_TRUE(options.ReadBreakOnError());
    write("[options]\nbreakonerror = 0x1\n");
    EXPECT_TRUE(options.ReadBreakOnError()) << "names compare without regard to case";
    write("[Options]\nBreakOnError=no\n");
    EXPECT_FALSE(options.ReadBreakOnError());
    write("[Other]\nBreakOnError=1\n");
    EXPECT_FALSE(options.ReadBreakOnError());
}

TEST(ProgramOptions, TheInstallerRunsOnlyWhenNamedAndStartable) {
    QTemporaryDir folder;
    const QString ini = folder.path() + "/player.ini";
    const QString marker = folder.path() + "/installer ran";
    const auto write = [&](const QByteArray& text) {
        QFile file(ini);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(text);
    };
    const ProgramOptions options(ini);
    EXPECT_FALSE(options.RunAMovieSetup()) << "no options file";
    write("[AMovie Setup]\nCmdLine=\n");
    EXPECT_FALSE(options.RunAMovieSetup()) << "no installer named";
    write("[AMovie Setup]\nCmdLine=/no/such/installer --quiet\n");
    EXPECT_FALSE(options.RunAMovieSetup()) << "an installer that cannot be started";
    write("[AMovie Setup]\nCmdLine=touch \"" + QFile::encodeName(marker) + "\"\n");
    EXPECT_TRUE(options.RunAMovieSetup());
    EXPECT_TRUE(QTest::qWaitFor([&] { return QFile::exists(marker); }, 5000))
        << "the command line, quotes included, reaches the installer";
}

// A fake machine for the Video CD search: drive c is a hard disk, drives d, e and f are CD-ROM
// drives (sr0, sr1, sr2). Each drive is a folder mounted in a fake mount table; the options file
// lies in the temporary folder.
class VideoCDSearchTest : public ::testing::Test {
protected:
    void SetUp() override {
        QByteArray mounts;
        const QList<std::pair<QString, QByteArray>> drives = {
            {"c", "/dev/sda1 "}, {"d", "/dev/sr0 "}, {"e", "/dev/sr1 "}, {"f", "/dev/sr2 "}};
        for (const auto& [drive, device] : drives) {
            ASSERT_TRUE(QDir().mkpath(Root(drive)));
            mounts += device + QFile::encodeName(Root(drive)) + " iso9660 ro 0 0\n";
        }
        for (const char* device : {"sr0", "sr1", "sr2", "sda"}) {
            ASSERT_TRUE(QDir().mkpath(folder_.path() + "/block/" + device));
        }
        Write(folder_.path() + "/mounts", mounts);
        previousFolder_ = QDir::currentPath();
    }

    void TearDown() override { QDir::setCurrent(previousFolder_); }

    QString Root(const QString& drive) const { return folder_.path() + "/" + drive + "/"; }

    static void Write(const QString& name, const QByteArray& text = "track") {
        ASSERT_TRUE(QDir().mkpath(QFileInfo(name).path()));
        QFile file(name);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(text);
    }

    // A Video CD in `drive` with the track files `names` in its "mpegav" folder.
    QStringList VideoCD(const QString& drive, const QStringList& names,
                        const QString& folder = "MPEGAV") {
        for (const QString& name : names) {
            Write(Root(drive) + folder + "/" + name);
        }
        return Tracks(Root(drive) + folder);
    }

    // The track files of a folder in the order the file system lists them.
    static QStringList Tracks(const QString& folder) {
        QStringList tracks;
        QDirIterator it(folder, {"*.dat"}, QDir::Files);
        while (it.hasNext()) {
            tracks.append(it.next());
        }
        return tracks;
    }

    VideoCDSearch Search(const QString& programDrive, const QByteArray& options = {}) {
        Write(folder_.path() + "/player.ini", options);
        return VideoCDSearch(ProgramOptions(folder_.path() + "/player.ini"),
                             DriveTable(folder_.path() + "/mounts", folder_.path() + "/block"),
                             Root(programDrive) + "bin/cinevan");
    }

    QTemporaryDir folder_;
    QString previousFolder_;
};

TEST_F(VideoCDSearchTest, TheProgramsOwnCdDriveComesFirst) {
    VideoCD("d", {"AVSEQ01.DAT"});
    const QStringList onE = VideoCD("e", {"AVSEQ01.DAT", "AVSEQ02.DAT"});
    const QStringList onF = VideoCD("f", {"AVSEQ01.DAT"});
    EXPECT_EQ(Search("f").FindVideoCD(), onF);
    EXPECT_EQ(Search("e").FindVideoCD(), onE);
}

TEST_F(VideoCDSearchTest, TheFirstCdDriveWithAVideoCdGivesTheResult) {
    Write(Root("c") + "mpegav/AVSEQ01.DAT");  // not a CD-ROM drive
    Write(Root("d") + "readme.txt");
    const QStringList onF = VideoCD("f", {"AVSEQ01.DAT", "AVSEQ02.DAT", "AVSEQ03.DAT"});
    EXPECT_EQ(Search("c").FindVideoCD(), onF);
    EXPECT_EQ(Search("d").FindVideoCD(), onF) << "the program's own drive holds no Video CD";
}

TEST_F(VideoCDSearchTest, NamesOnTheDiscIgnoreCaseAndKeepTheFolderOrder) {
    const QStringList tracks =
        VideoCD("e", {"avseq01.dat", "AvSeq02.Dat", "MUSIC01.DAT"}, "MpegAv");
    ASSERT_EQ(tracks.size(), 3);
    Write(Root("e") + "mpegav");  // a file of the same name does not hide the folder
    Write(Root("e") + "MpegAv/avseq01.dat.txt");
    Write(Root("e") + "MpegAv/.hidden.dat");
    ASSERT_TRUE(QDir().mkpath(Root("e") + "MpegAv/folder.dat"));
    EXPECT_EQ(Search("c").FindVideoCD(), tracks);
}

TEST_F(VideoCDSearchTest, DiscsWithoutTracksGiveNothing) {
    VideoCDSearch search = Search("c");
    EXPECT_EQ(search.FindVideoCD(), std::nullopt) << "no disc in any drive";
    Write(Root("d") + "mpegav");  // a file, not a folder
    ASSERT_TRUE(QDir().mkpath(Root("e") + "MPEGAV/SUB.DAT"));
    Write(Root("e") + "MPEGAV/INFO.VCD");
    EXPECT_EQ(search.FindVideoCD(), std::nullopt);
    EXPECT_EQ(VideoCDSearch(ProgramOptions(""), DriveTable(folder_.path() + "/none", ""), "")
                  .FindVideoCD(),
              std::nullopt)
        << "no drives at all";
}

TEST_F(VideoCDSearchTest, TheVideoCdListReplacesTheTracks) {
    VideoCD("e", {"AVSEQ01.DAT"});
    Write(Root("e") + "Lists/Main.mls", "mpegav/avseq01.dat\n");
    const auto result = Search("c", "[Options]\nVideoCDList=lists\\MAIN.MLS\n").FindVideoCD();
    EXPECT_EQ(result, QStringList{Root("e") + "Lists/Main.mls"});
    EXPECT_EQ(QDir::currentPath() + "/", Root("e")) << "relative names resolve on the disc";
}

TEST_F(VideoCDSearchTest, AMissingVideoCdListFallsBackToTheTracks) {
    const QStringList onE = VideoCD("e", {"AVSEQ01.DAT"});
    ASSERT_TRUE(QDir().mkpath(Root("e") + "list.mls"));
    Write(Root("c") + "x.mls");
    EXPECT_EQ(Search("c", "[Options]\nVideoCDList=list.mls\n").FindVideoCD(), onE)
        << "a folder is no list";
    EXPECT_EQ(Search("c", "[Options]\nVideoCDList=../../c/x.mls\n").FindVideoCD(), onE)
        << "the list never leaves the disc";
    EXPECT_EQ(QDir::currentPath(), previousFolder_);
}

TEST_F(VideoCDSearchTest, ScanningADriveThatIsNoCdRomClearsItsRoot) {
    VideoCD("d", {"AVSEQ01.DAT"});
    const VideoCDSearch search = Search("c");
    QString root = Root("c");
    EXPECT_EQ(search.ScanVideoCDDrive(root, {}), std::nullopt);
    EXPECT_TRUE(root.isEmpty());
    root = Root("d");
    EXPECT_EQ(search.ScanVideoCDDrive(root, {}), QStringList{Root("d") + "MPEGAV/AVSEQ01.DAT"});
    EXPECT_EQ(root, Root("d"));
}

TEST_F(VideoCDSearchTest, AutoStartNeedsTheOptionAndTheProgramOnACdRom) {
    EXPECT_FALSE(Search("c", "[Options]\nVideoCDAuto=1\n").IsVideoCDAutoStart());
    EXPECT_TRUE(Search("d", "[Options]\nVideoCDAuto=1\n").IsVideoCDAutoStart());
    EXPECT_TRUE(Search("e", "[Options]\nVideoCDAuto=0x10\n").IsVideoCDAutoStart());
    EXPECT_FALSE(Search("d", "[Options]\nVideoCDAuto=0\n").IsVideoCDAutoStart());
    EXPECT_FALSE(Search("d", "[Options]\nVideoCDAuto=yes\n").IsVideoCDAutoStart());
    EXPECT_FALSE(Search("d").IsVideoCDAutoStart());
}

TEST(RegisterMovieListType, AssociatesListsWithTheRunningProgram) {
    RegisterMovieListType(".mls");
    QFile desktop(QFile::decodeName(qgetenv("XDG_DATA_HOME")) +
                  "/applications/cinevan-movielist.desktop");
    ASSERT_TRUE(desktop.open(QIODevice::ReadOnly));
    const QByteArray program = QFile::encodeName(QCoreApplication::applicationFilePath());
    EXPECT_TRUE(desktop.readAll().contains("Exec=\"" + program + "\" %f /play\n"));
    if (!QStandardPaths::findExecutable("update-mime-database").isEmpty()) {
        const QString cache = QFile::decodeName(qgetenv("XDG_DATA_HOME")) + "/mime/mime.cache";
        EXPECT_TRUE(QTest::qWaitFor([&] { return QFile::exists(cache); }, 30000))
            << "the new type reaches the mime database";
    }
}

// Sets an environment variable for the life of the scope.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const QByteArray& value) : name_(name), saved_(qgetenv(name)) {
        qputenv(name, value);
    }
    ~ScopedEnv() { qputenv(name_, saved_); }

private:
    const char* name_;
    QByteArray saved_;
};

void WriteText(const QString& name, const QByteArray& text) {
    QDir().mkpath(QFileInfo(name).path());
    QFile file(name);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(text);
}

TEST(RegisterMovieListType, StartUpDoesNotWaitForTheMimeDatabase) {
    // A database tool that finishes only after the registration has returned: a registration
    // that waited for it would end it at its time-out, and it would never finish.
    QTemporaryDir folder;
    const QString tool = folder.path() + "/update-mime-database";
    WriteText(tool,
              "#!/bin/sh\nwhile [ ! -e \"$0.release\" ]; do sleep 0.05; done\n"
              "touch \"$0.finished\"\n");
    QFile::setPermissions(tool, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    const ScopedEnv path("PATH", QFile::encodeName(folder.path()) + ":/usr/bin:/bin");
    const ScopedEnv data("XDG_DATA_HOME", QFile::encodeName(folder.path() + "/data"));

    RegisterMovieListType(".mls");
    WriteText(tool + ".release", "");
    EXPECT_TRUE(QTest::qWaitFor([&] { return QFile::exists(tool + ".finished"); }, 30000));
}

TEST(RegisterMovieListType, LeavesTheTypeToAnInstalledEntryOfTheProgram) {
    QTemporaryDir folder;
    const QString system = folder.path() + "/share";
    WriteText(system + "/mime/packages/cinevan-movielist.xml", "<mime-info/>");
    WriteText(system + "/applications/com.vantrel.Cinevan.desktop",
              "[Desktop Entry]\nType=Application\nName=Cinevan\nExec=\"" +
                  QFile::encodeName(QCoreApplication::applicationFilePath()) +
                  "\" %F\nMimeType=application/x-cinevan-movielist;\n");
    const ScopedEnv dirs("XDG_DATA_DIRS", QFile::encodeName(system));
    const ScopedEnv data("XDG_DATA_HOME", QFile::encodeName(folder.path() + "/data"));
    const ScopedEnv config("XDG_CONFIG_HOME", QFile::encodeName(folder.path() + "/config"));

    RegisterMovieListType(".mls");
    EXPECT_FALSE(QFile::exists(folder.path() + "/data/applications/cinevan-movielist.desktop"));
    EXPECT_FALSE(QFile::exists(folder.path() + "/config/mimeapps.list"))
        << "no second default for the type";
}

}  // namespace
}  // namespace cinevan
