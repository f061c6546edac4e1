#include <gtest/gtest.h>

#include <QSize>

#include "settings/PlacementText.h"

namespace cinevan::placement {
namespace {

TEST(PlacementTextTest, NumbersAreDecimalOrHexadecimal) {
    EXPECT_EQ(ToInt("96", 0), 96);
    EXPECT_EQ(ToInt(" -4 ", 0), -4);
    EXPECT_EQ(ToInt("0x1F", 0), 31);
    EXPECT_EQ(ToInt("0XFFFFFFFF", 0), -1);
    // "0x" alone is no number, nor is a text or an empty value.
    EXPECT_EQ(ToInt("0x", 7), 7);
    EXPECT_EQ(ToInt("abc", 7), 7);
    EXPECT_EQ(ToInt("", 7), 7);
    EXPECT_EQ(ToInt("12px", 7), 7);
}

TEST(PlacementTextTest, WordsAreSeparatedByCommasOrBlanks) {
    EXPECT_EQ(Words("100,80,500,580"), QStringList({"100", "80", "500", "580"}));
    EXPECT_EQ(Words(" 1, 2  3,,4 "), QStringList({"1", "2", "3", "4"}));
    const QStringList short_ = Words("10,x");
    EXPECT_EQ(WordAsInt(short_, 0, -1), 10);
    EXPECT_EQ(WordAsInt(short_, 1, -1), -1);  // not a number
    EXPECT_EQ(WordAsInt(short_, 3, -2), -2);  // missing
}

TEST(PlacementTextTest, TextsOfPlacementValues) {
    EXPECT_EQ(FourNumbers(100, 80, 500, 580), "100,80,500,580");
    EXPECT_EQ(FourNumbers(-1, -1, -4, -4), "-1,-1,-4,-4");
    EXPECT_EQ(ResolutionSuffix(QSize(1024, 768)), "(1024x768)");
}

TEST(PlacementTextTest, ShowCommandsMapOnThreeStates) {
    for (int cmd : {1, 5, 9, 0, 4, 8, 10, -1}) {
        EXPECT_EQ(StateOfShowCmd(cmd), ShowState::Normal) << cmd;
    }
    for (int cmd : {2, 6, 7}) {
        EXPECT_EQ(StateOfShowCmd(cmd), ShowState::Minimized) << cmd;
    }
    EXPECT_EQ(StateOfShowCmd(3), ShowState::Maximized);
}

}  // namespace
}  // namespace cinevan::placement
