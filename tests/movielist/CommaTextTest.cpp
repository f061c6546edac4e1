#include <gtest/gtest.h>

#include "movielist/CommaText.h"

namespace cinevan {
namespace {

using commatext::read;
using commatext::write;

TEST(CommaTextRead, QuotedAndUnquotedFields) {
    EXPECT_EQ(read("a.mpg,Title,c.jpg"), (QByteArrayList{"a.mpg", "Title", "c.jpg"}));
    EXPECT_EQ(read("\"C:\\My Movies\\a.mpg\",\"A, B and C\""),
              (QByteArrayList{"C:\\My Movies\\a.mpg", "A, B and C"}));
    EXPECT_EQ(read("\"say \"\"hi\"\"\",x"), (QByteArrayList{"say \"hi\"", "x"}));
    EXPECT_EQ(read("\"\""), QByteArrayList{""});
}

TEST(CommaTextRead, BlanksSeparateUnquotedFields) {
    EXPECT_EQ(read("a.mpg, My Title"), (QByteArrayList{"a.mpg", "My", "Title"}));
    EXPECT_EQ(read("a b"), (QByteArrayList{"a", "b"}));
    EXPECT_EQ(read("  a ,\t b  "), (QByteArrayList{"a", "b"}));
    EXPECT_EQ(read(QByteArray("a\x01"
                              "b\x1f"
                              "c")),
              (QByteArrayList{"a", "b", "c"}));
}

TEST(CommaTextRead, CommasAndEmptyFields) {
    EXPECT_EQ(read("a,"), QByteArrayList{"a"});
    EXPECT_EQ(read("a,,b"), (QByteArrayList{"a", "", "b"}));
    EXPECT_EQ(read(",a"), (QByteArrayList{"", "a"}));
    EXPECT_EQ(read("a,,,,00:01:00"), (QByteArrayList{"a", "", "", "", "00:01:00"}));
    EXPECT_TRUE(read("").isEmpty());
    EXPECT_TRUE(read("   ").isEmpty());
}

TEST(CommaTextRead, UnclosedQuoteRunsToTheEnd) {
    EXPECT_EQ(read("\"abc"), QByteArrayList{"abc"});
    EXPECT_EQ(read("x,\"a, b"), (QByteArrayList{"x", "a, b"}));
}

TEST(CommaTextRead, TextAfterClosingQuoteStartsNewField) {
    EXPECT_EQ(read("\"ab\"cd"), (QByteArrayList{"ab", "cd"}));
}

TEST(CommaTextRead, MultiByteCharactersStayIntact) {
    const QByteArray title = QString::fromUtf8("Ça,été «x»").toUtf8();
    const QByteArrayList fields = read("a.mpg," + commatext::write({title}));
    ASSERT_EQ(fields.size(), 2);
    EXPECT_EQ(fields[1], title);
    EXPECT_EQ(read("\xc3\xa9t\xc3\xa9"), QByteArrayList{"\xc3\xa9t\xc3\xa9"});
}

TEST(CommaTextWrite, QuotingRules) {
    EXPECT_EQ(
        write({"C:\\Movies\\Intro.mpg", "Opening", "C:\\Covers\\intro.jpg", "0:00:10", "0:02:00"}),
        "C:\\Movies\\Intro.mpg,Opening,C:\\Covers\\intro.jpg,0:00:10,0:02:00");
    EXPECT_EQ(write({"C:\\My Movies\\a.mpg", "A, B and C"}),
              "\"C:\\My Movies\\a.mpg\",\"A, B and C\"");
    EXPECT_EQ(write({"say \"hi\""}), "\"say \"\"hi\"\"\"");
    EXPECT_EQ(write({QByteArray("tab\there")}), "\"tab\there\"");
    EXPECT_EQ(write({"\xc3\xa9t\xc3\xa9"}), "\xc3\xa9t\xc3\xa9");
}

TEST(CommaTextWrite, EmptyFields) {
    EXPECT_EQ(write({""}), "\"\"");
    EXPECT_EQ(write({}), "");
    EXPECT_EQ(write({"a", ""}), "a,");
    EXPECT_EQ(write({"", "b"}), ",b");
    EXPECT_EQ(write({"C:\\a.mpg", "", "", "", "00:01:00"}), "C:\\a.mpg,,,,00:01:00");
}

TEST(CommaTextRoundTrip, FiveFieldsSurvive) {
    const QByteArrayList fields{"/home/u/My Movies/a,b.mpg", "Title \"quoted\", with, commas",
                                "/covers/c d.jpg", "0:00:10", "0:02:00"};
    EXPECT_EQ(read(write(fields)), fields);
}

TEST(CommaTextRoundTrip, EmptyMiddleFieldsSurvive) {
    const QByteArrayList fields{"a", "", "c", "", "e"};
    EXPECT_EQ(read(write(fields)), fields);
}

}  // namespace
}  // namespace cinevan
