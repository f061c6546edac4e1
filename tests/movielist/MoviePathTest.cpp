#include <gtest/gtest.h>

#include "movielist/MoviePath.h"

namespace cinevan {
namespace {

using moviepath::defaultTitle;
using moviepath::fullPath;
using moviepath::lowerExtension;

TEST(MoviePath, FullPathIsCanonicalWithoutResolvingLinks) {
    EXPECT_EQ(fullPath("clip.mpg", "/data/movies"), "/data/movies/clip.mpg");
    EXPECT_EQ(fullPath("./a/../b//c.mpg", "/data"), "/data/b/c.mpg");
    EXPECT_EQ(fullPath("/x/./y/../z.mpg", "/data"), "/x/z.mpg");
    EXPECT_EQ(fullPath("../../../../a", "/data"), "/a");
    EXPECT_EQ(fullPath("/", "/data"), "/");
    EXPECT_EQ(fullPath("sub/", "/data"), "/data/sub");
    EXPECT_EQ(fullPath("", "/data"), "");
}

TEST(MoviePath, CanonicalNamesAreUnchanged) {
    EXPECT_EQ(fullPath("/data/movies/a b.mpg", "/elsewhere"), "/data/movies/a b.mpg");
}

TEST(MoviePath, BackslashSeparatesOnlyInRelativeNames) {
    EXPECT_EQ(fullPath("sub\\clip.mpg", "/data"), "/data/sub/clip.mpg");
    EXPECT_EQ(fullPath("..\\covers\\c.jpg", "/data/lists"), "/data/covers/c.jpg");
    EXPECT_EQ(fullPath("/data/odd\\name.mpg", "/x"), "/data/odd\\name.mpg");
    EXPECT_EQ(moviepath::folderOf("sub\\a.mls"), "sub\\");
    EXPECT_EQ(moviepath::folderOf("/d/odd\\a.mls"), "/d/");
    EXPECT_EQ(moviepath::folderOf("a.mls"), "");
}

TEST(MoviePath, ExtensionIsLowerCasedAfterTheLastSeparator) {
    EXPECT_EQ(lowerExtension("C:\\A.MLS"), ".mls");
    EXPECT_EQ(lowerExtension("/d/a.mls.txt"), ".txt");
    EXPECT_EQ(lowerExtension("/d.mls/a"), "");
    EXPECT_EQ(lowerExtension("x.d\\a"), "");
    EXPECT_EQ(lowerExtension("a.\xc3\x89"), ".\xc3\x89");
}

TEST(MoviePath, LocalFullPathKeepsBackslashesAsCharacters) {
    EXPECT_EQ(moviepath::localFullPath("movies/a.mpg", "/data"), "/data/movies/a.mpg");
    EXPECT_EQ(moviepath::localFullPath("./a.mpg", "/data"), "/data/a.mpg");
    EXPECT_EQ(moviepath::localFullPath("../x/list.mls", "/data/here"), "/data/x/list.mls");
    EXPECT_EQ(moviepath::localFullPath("odd\\name.mpg", "/data"), "/data/odd\\name.mpg");
    EXPECT_EQ(moviepath::localFullPath("/abs/a.mpg", "/data"), "/abs/a.mpg");
    EXPECT_EQ(moviepath::localFullPath("", "/data"), "");
}

TEST(MoviePath, DefaultTitle) {
    EXPECT_EQ(defaultTitle("C:\\Movies\\Part.1.mpg"), "Part.1");
    EXPECT_EQ(defaultTitle("/m/clip.mpg"), "clip");
    // A colon is an ordinary character of a file name; a backslash is one in a full name.
    EXPECT_EQ(defaultTitle("/m/Star Trek: Part 2.mpg"), "Star Trek: Part 2");
    EXPECT_EQ(defaultTitle("c:clip"), "c:clip");
    EXPECT_EQ(defaultTitle("/m/odd\\name.mpg"), "odd\\name");
    EXPECT_EQ(defaultTitle(".mpg"), "");
    EXPECT_EQ(defaultTitle(""), "");
}

TEST(MoviePath, DisplayTextNeverFailsOnInvalidBytes) {
    EXPECT_EQ(moviepath::displayText("\xc3\xa9t\xc3\xa9"), QString::fromUtf8("été"));
    EXPECT_FALSE(moviepath::displayText("a\xff\xfe").isEmpty());
}

}  // namespace
}  // namespace cinevan
