#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <map>

#include <sys/stat.h>

#include "platform/ShellAssociation.h"

namespace cinevan {
namespace {

QByteArray ReadFile(const QString& name) {
    QFile file(name);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void WriteFile(const QString& name, const QByteArray& text) {
    QDir().mkpath(QFileInfo(name).path());
    QFile file(name);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(text);
}

// The lines of one "[section]" of a desktop or mimeapps file.
QByteArrayList Section(const QByteArray& text, const QByteArray& header) {
    QByteArrayList lines;
    bool inside = false;
    for (const QByteArray& line : text.split('\n')) {
        if (line.startsWith('[')) {
            inside = line == header;
        } else if (inside && !line.isEmpty()) {
            lines.append(line);
        }
    }
    return lines;
}

class ShellAssociationTest : public ::testing::Test {
protected:
    QString Data() const { return folder_.path() + "/data"; }
    QString Config() const { return folder_.path() + "/config"; }
    ShellAssociation Shell() const { return ShellAssociation(Data(), Config()); }

    QTemporaryDir folder_;
};

TEST_F(ShellAssociationTest, OpenIsTheDefaultCommandAndPlayAddsTheSwitch) {
    ASSERT_TRUE(Shell().Register(".mls", "/opt/Cine van/cinevan"));
    const QByteArray desktop = ReadFile(Data() + "/applications/cinevan-movielist.desktop");
    const QByteArrayList entry = Section(desktop, "[Desktop Entry]");
    EXPECT_TRUE(entry.contains("Type=Application"));
    EXPECT_TRUE(entry.contains("Exec=\"/opt/Cine van/cinevan\" %f"));
    EXPECT_TRUE(entry.contains("MimeType=application/x-cinevan-movielist;"));
    EXPECT_TRUE(entry.contains("Actions=play;"));
    const QByteArrayList play = Section(desktop, "[Desktop Action play]");
    EXPECT_TRUE(play.contains("Name=Play"));
    EXPECT_TRUE(play.contains("Exec=\"/opt/Cine van/cinevan\" %f /play"));

    const QByteArray package = ReadFile(Data() + "/mime/packages/cinevan-movielist.xml");
    EXPECT_TRUE(package.contains("<mime-type type=\"application/x-cinevan-movielist\">"));
    EXPECT_TRUE(package.contains("<glob pattern=\"*.mls\"/>"));
    EXPECT_TRUE(package.contains("<comment>Movie List</comment>"));

    EXPECT_EQ(Section(ReadFile(Config() + "/mimeapps.list"), "[Default Applications]"),
              QByteArrayList{"application/x-cinevan-movielist=cinevan-movielist.desktop;"});
}

TEST_F(ShellAssociationTest, EveryStartRewritesTheFilesAndKeepsOtherAssociations) {
    WriteFile(Config() + "/mimeapps.list",
              "[Added Associations]\n"
              "application/x-cinevan-movielist=other.desktop;\n"
              "\n"
              "[Default Applications]\n"
              "# chosen by the user\n"
              "text/plain=editor.desktop;\n"
              "application/x-cinevan-movielist=old.desktop;\n"
              "image/png=viewer.desktop;\n");
    WriteFile(Data() + "/applications/cinevan-movielist.desktop", "stale");
    ASSERT_TRUE(Shell().Register(".mls", "/old/place/cinevan"));
    ASSERT_TRUE(Shell().Register(".mls", "/new/place/cinevan"));
    EXPECT_EQ(ReadFile(Config() + "/mimeapps.list"),
              "[Added Associations]\n"
              "application/x-cinevan-movielist=other.desktop;\n"
              "\n"
              "[Default Applications]\n"
              "# chosen by the user\n"
              "text/plain=editor.desktop;\n"
              "application/x-cinevan-movielist=cinevan-movielist.desktop;\n"
              "image/png=viewer.desktop;\n");
    const QByteArray desktop = ReadFile(Data() + "/applications/cinevan-movielist.desktop");
    EXPECT_TRUE(desktop.contains("Exec=\"/new/place/cinevan\" %f\n"));
    EXPECT_FALSE(desktop.contains("/old/place"));
}

// Desktops watch these folders and index them again on every change: a start that has
// nothing new to say must leave the files as they are.
TEST_F(ShellAssociationTest, FilesThatAlreadySayItAreNotWrittenAgain) {
    ASSERT_TRUE(Shell().Register(".mls", "/opt/cinevan"));
    const QStringList files = {Data() + "/applications/cinevan-movielist.desktop",
                               Data() + "/mime/packages/cinevan-movielist.xml",
                               Config() + "/mimeapps.list"};
    std::map<QString, ino_t> inodes;
    for (const QString& file : files) {
        struct stat info {};
        ASSERT_EQ(::stat(QFile::encodeName(file).constData(), &info), 0) << file.toStdString();
        inodes[file] = info.st_ino;
    }
    ASSERT_TRUE(Shell().Register(".mls", "/opt/cinevan"));
    for (const QString& file : files) {
        struct stat info {};
        ASSERT_EQ(::stat(QFile::encodeName(file).constData(), &info), 0);
        EXPECT_EQ(info.st_ino, inodes[file]) << file.toStdString() << " was written again";
    }

    ASSERT_TRUE(Shell().Register(".mls", "/usr/bin/cinevan"));
    EXPECT_TRUE(ReadFile(files[0]).contains("Exec=\"/usr/bin/cinevan\" %f\n"))
        << "a program that moved is written";
}

TEST(SetDefaultApplication, AddsTheSectionOrTheKeyWhereMissing) {
    EXPECT_EQ(SetDefaultApplication("", "a/b", "x.desktop;"),
              "[Default Applications]\na/b=x.desktop;\n");
    EXPECT_EQ(SetDefaultApplication("[Added Associations]\nc/d=y;", "a/b", "x;"),
              "[Added Associations]\nc/d=y;\n\n[Default Applications]\na/b=x;\n");
    EXPECT_EQ(
        SetDefaultApplication("[Default Applications]\nc/d=y;\n\n[Other]\nk=v\n", "a/b", "x;"),
        "[Default Applications]\nc/d=y;\na/b=x;\n\n[Other]\nk=v\n");
    EXPECT_EQ(SetDefaultApplication("[Default Applications]\na/bc=y;\n", "a/b", "x;"),
              "[Default Applications]\na/bc=y;\na/b=x;\n")
        << "only the whole key matches";
}

TEST(DesktopExecArgument, QuotesAndEscapesReservedCharacters) {
    EXPECT_EQ(DesktopExecArgument("/usr/bin/cinevan"), "\"/usr/bin/cinevan\"");
    // Quoting escapes " ` $ \ with a backslash, '%' doubles, and the value escapes then double
    // every backslash and write line breaks as \n.
    EXPECT_EQ(DesktopExecArgument("/a \"b\"/$c\\d%e`f"),
              "\"/a \\\\\"b\\\\\"/\\\\$c\\\\\\\\d%%e\\\\`f\"");
    EXPECT_EQ(DesktopExecArgument("/a\nb"), "\"/a\\nb\"");
}

TEST_F(ShellAssociationTest, UnwritableFoldersEndTheRegistrationWithoutHarm) {
    WriteFile(folder_.path() + "/file", "not a folder");
    EXPECT_FALSE(ShellAssociation(folder_.path() + "/file", Config()).Register(".mls", "/p"));
    EXPECT_FALSE(ShellAssociation("", Config()).Register(".mls", "/p"));
    // A mimeapps.list that exists but cannot be read is not replaced.
    ASSERT_TRUE(QDir().mkpath(Config() + "/mimeapps.list"));
    EXPECT_FALSE(Shell().Register(".mls", "/p"));
    EXPECT_TRUE(QFileInfo(Config() + "/mimeapps.list").isDir());
}

TEST_F(ShellAssociationTest, TheMimeDatabaseLearnsTheType) {
    if (QStandardPaths::findExecutable("update-mime-database").isEmpty()) {
        GTEST_SKIP() << "update-mime-database is not installed";
    }
    EXPECT_TRUE(Shell().MimeDatabaseNeedsUpdate(".mls"));
    ASSERT_TRUE(Shell().Register(".mls", "/usr/bin/cinevan"));
    ASSERT_TRUE(Shell().UpdateMimeDatabase(20000));
    EXPECT_TRUE(
        ReadFile(Data() + "/mime/globs2").contains("application/x-cinevan-movielist:*.mls"));
    EXPECT_FALSE(Shell().MimeDatabaseNeedsUpdate(".mls"));
    EXPECT_TRUE(Shell().MimeDatabaseNeedsUpdate(".mlx")) << "another package";
    WriteFile(folder_.path() + "/file", "not a folder");
    EXPECT_FALSE(ShellAssociation(folder_.path() + "/file", Config()).UpdateMimeDatabase(20000));
}

TEST(ShellAssociationUser, LivesInTheUsersDataAndConfigFolders) {
    const ShellAssociation shell = ShellAssociation::ForUser();
    EXPECT_EQ(shell.DesktopFile(), QFile::decodeName(qgetenv("XDG_DATA_HOME")) +
                                       "/applications/cinevan-movielist.desktop");
    EXPECT_EQ(shell.MimeAppsFile(),
              QFile::decodeName(qgetenv("XDG_CONFIG_HOME")) + "/mimeapps.list");
}

// A data folder as a package installs it: the program's desktop entry and the type's package.
class InstalledEntryTest : public ShellAssociationTest {
protected:
    void SetUp() override {
        WriteFile(Program(), "#!/bin/sh\n");
        QFile::setPermissions(Program(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        WriteFile(System() + "/mime/packages/cinevan-movielist.xml", "<mime-info/>");
    }
    QString System() const { return folder_.path() + "/usr/share"; }
    QString Program() const { return folder_.path() + "/usr/bin/cinevan"; }
    void WriteEntry(const QByteArray& exec, const QByteArray& mimeTypes) {
        WriteFile(System() + "/applications/com.vantrel.Cinevan.desktop",
                  "[Desktop Entry]\nType=Application\nName=Cinevan\nExec=" + exec +
                      "\nMimeType=" + mimeTypes + "\n\n[Desktop Action play]\nExec=other %F\n");
    }
    bool Associates(const QString& program) const {
        return InstalledEntryAssociates({Data(), System()}, program);
    }
};

TEST_F(InstalledEntryTest, TheEntryMustRunThisProgramAndListTheType) {
    WriteEntry("\"" + QFile::encodeName(Program()) + "\" %F",
               "video/mpeg;application/x-cinevan-movielist;");
    EXPECT_TRUE(Associates(Program()));
    EXPECT_TRUE(Associates(folder_.path() + "/usr/bin/../bin/cinevan")) << "the same file";
    EXPECT_FALSE(Associates(folder_.path() + "/build/app/cinevan")) << "another copy";

    WriteEntry("\"" + QFile::encodeName(Program()) + "\" %F", "video/mpeg;");
    EXPECT_FALSE(Associates(Program())) << "the entry does not open movie lists";

    WriteEntry("\"" + QFile::encodeName(Program()) + "\" %F", "application/x-cinevan-movielist;");
    QFile::remove(System() + "/mime/packages/cinevan-movielist.xml");
    EXPECT_FALSE(Associates(Program())) << "the type itself is not installed with the entry";
}

TEST_F(InstalledEntryTest, AProgramNamedWithoutAPathIsLookedUpInThePath) {
    WriteEntry("cinevan %F", "application/x-cinevan-movielist;");
    const QByteArray path = qgetenv("PATH");
    qputenv("PATH", QFile::encodeName(folder_.path() + "/usr/bin") + ":" + path);
    EXPECT_TRUE(Associates(Program()));
    qputenv("PATH", "/nonexistent");
    EXPECT_FALSE(Associates(Program()));
    qputenv("PATH", path);
}

}  // namespace
}  // namespace cinevan
