#include <gtest/gtest.h>

#include <QFile>
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

}  // namespace
}  // namespace cinevan
