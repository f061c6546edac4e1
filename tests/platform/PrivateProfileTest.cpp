#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include "platform/PrivateProfile.h"
#include "tests/support/Files.h"

namespace cinevan {
namespace {

class PrivateProfileTest : public ::testing::Test {
protected:
    PrivateProfile write(const QByteArray& text) {
        const QString name = dir.filePath("test.ini");
        test::WriteFile(name, text);
        return PrivateProfile(name);
    }

    QTemporaryDir dir;
};

TEST_F(PrivateProfileTest, MissingFileOrSectionYieldsNothing) {
    const PrivateProfile missing(dir.filePath("none.ini"));
    EXPECT_TRUE(missing.ReadKeyNames("Options").isEmpty());
    EXPECT_EQ(missing.ReadString("Options", "Key", "dflt"), "dflt");
    EXPECT_TRUE(missing.ReadSectionValues("Options").isEmpty());
    const PrivateProfile folder(dir.path());
    EXPECT_TRUE(folder.ReadKeyNames("Options").isEmpty());
    const PrivateProfile profile = write("[Other]\r\nKey=1\r\n");
    EXPECT_TRUE(profile.ReadKeyNames("Options").isEmpty());
    EXPECT_EQ(profile.ReadString("Options", "Key"), "");
}

TEST_F(PrivateProfileTest, NamesIgnoreCaseAndFirstMatchWins) {
    const PrivateProfile profile = write(
        "[options]\r\nbreakonerror=1\r\nBreakOnError=2\r\n"
        "[Options]\r\nBreakOnError=3\r\nLater=x\r\n");
    EXPECT_EQ(profile.ReadString("OPTIONS", "BREAKONERROR"), "1");
    EXPECT_EQ(profile.ReadString("Options", "Later", "none"), "none");
    EXPECT_EQ(profile.ReadKeyNames("Options"), (QByteArrayList{"breakonerror", "BreakOnError"}));
}

TEST_F(PrivateProfileTest, CommentsBlanksAndQuotes) {
    const PrivateProfile profile = write(
        "; leading comment\n"
        "  [ Fatal Errors ]  \n"
        "; 0=commented out\n"
        "  0  =   Some text with  inner  blanks   \n"
        "1=\"  quoted  \"\n"
        "2='single'\n"
        "3=\"unbalanced'\n"
        "4=\"\"\n"
        "5=a=b\n"
        "\n"
        "NoEquals\n");
    EXPECT_EQ(profile.ReadKeyNames("Fatal Errors"),
              (QByteArrayList{"0", "1", "2", "3", "4", "5", "NoEquals"}));
    EXPECT_EQ(profile.ReadString("Fatal Errors", "0"), "Some text with  inner  blanks");
    EXPECT_EQ(profile.ReadString("Fatal Errors", "1"), "  quoted  ");
    EXPECT_EQ(profile.ReadString("Fatal Errors", "2"), "single");
    EXPECT_EQ(profile.ReadString("Fatal Errors", "3"), "\"unbalanced'");
    EXPECT_EQ(profile.ReadString("Fatal Errors", "4", "d"), "");
    EXPECT_EQ(profile.ReadString("Fatal Errors", "5"), "a=b");
    EXPECT_EQ(profile.ReadString("Fatal Errors", "NoEquals", "d"), "");
}

TEST_F(PrivateProfileTest, ValueBufferLimitsTheLength) {
    const PrivateProfile profile = write("[S]\nK=" + QByteArray(2000, 'v') + "\n");
    EXPECT_EQ(profile.ReadString("S", "K").size(), 1023);
    EXPECT_EQ(profile.ReadString("S", "K", {}, 10), "vvvvvvvvv");
}

TEST_F(PrivateProfileTest, NamesBufferHidesNamesThatDoNotFit) {
    QByteArray text = "[S]\n";
    for (int i = 0; i < 2000; ++i) {
        text += QByteArray::number(1000 + i) + "=x\n";
    }
    const PrivateProfile profile = write(text);
    // Each name takes five bytes with its NUL; one byte ends the list.
    EXPECT_EQ(profile.ReadKeyNames("S").size(), (8192 - 1) / 5);
    EXPECT_EQ(profile.ReadKeyNames("S", 12), (QByteArrayList{"1000", "1001"}));
    EXPECT_EQ(profile.ReadKeyNames("S", 11), (QByteArrayList{"1000", "1001"}));
    EXPECT_EQ(profile.ReadKeyNames("S", 10), QByteArrayList{"1000"});
}

TEST_F(PrivateProfileTest, SectionValuesLeaveOutEmptyAndRepeatedNames) {
    const PrivateProfile profile = write("[L]\n0=A\n1=\nx=B\nX=C\n2 = 'C'\n");
    const PrivateProfile::Pairs expected{{"0", "A"}, {"x", "B"}, {"2", "C"}};
    EXPECT_EQ(profile.ReadSectionValues("l"), expected);
}

TEST_F(PrivateProfileTest, ChangedFileIsSeen) {
    const PrivateProfile first = write("[S]\nK=old\n");
    EXPECT_EQ(first.ReadString("S", "K"), "old");
    write("[S]\nK=new value\n");
    EXPECT_EQ(first.ReadString("S", "K"), "new value");
}

TEST_F(PrivateProfileTest, EightBitTextAndByteOrderMark) {
    const PrivateProfile profile = write("\xef\xbb\xbf[S]\nK=\xe9t\xe9\n");
    EXPECT_EQ(profile.ReadString("S", "K"), "\xe9t\xe9");
}

}  // namespace
}  // namespace cinevan
