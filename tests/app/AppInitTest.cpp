#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

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

}  // namespace
}  // namespace cinevan
