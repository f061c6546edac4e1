#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <cmath>

#include "movielist/CommaText.h"
#include "movielist/MovieList.h"
#include "movielist/MovieListErrors.h"
#include "movielist/PlaylistFormats.h"

namespace cinevan {
namespace {

using namespace playlistformats;

// "H:MM:SS" in milliseconds; anything else is 0, as an invalid time text reads.
qint32 SimpleTimeMs(const QByteArray& text) {
    const QByteArrayList parts = text.split(':');
    if (parts.size() != 3) {
        return 0;
    }
    return (parts[0].toInt() * 3600 + parts[1].toInt() * 60 + parts[2].toInt()) * 1000;
}

QByteArrayList Fields(const QByteArray& line) {
    return commatext::read(line);
}

TEST(PlaylistM3u, TitlesSelectionsAndLocations) {
    const QByteArray text =
        "\xEF\xBB\xBF#EXTM3U\r\n"
        "#EXTINF:123 tvg-name=\"a, b\" group-title=\"x\",First, with comma\r\n"
        "#EXTVLCOPT:start-time=10\r\n"
        "#EXTVLCOPT:stop-time=75.6\r\n"
        "clips/first.mpg\r\n"
        "\r\n"
        "# a comment\n"
        "/movies/second movie.mkv\n"
        "#EXTINF:-1,Third\n"
        "http://example.com/stream.mp4\n"
        "file:///movies/fourth%20one.webm\n";
    const QByteArrayList lines = parseM3u(text, "/lists");
    ASSERT_EQ(lines.size(), 3);
    EXPECT_EQ(Fields(lines[0]), (QByteArrayList{"/lists/clips/first.mpg", "First, with comma", "",
                                                "0:00:10", "0:01:16"}));
    EXPECT_EQ(Fields(lines[1]), QByteArrayList{"/movies/second movie.mkv"})
        << "no title and no selection carry over from the entry before";
    EXPECT_EQ(Fields(lines[2]), QByteArrayList{"/movies/fourth one.webm"})
        << "the title of the skipped stream went with it";
}

TEST(PlaylistM3u, UnusableOptionsAreIgnored) {
    const QByteArrayList lines = parseM3u(
        "#EXTVLCOPT:start-time=abc\n#EXTVLCOPT:stop-time=-5\n#EXTVLCOPT:no-audio\n"
        "#EXTVLCOPT:stop-time=90000\na.mpg\n",
        "/l");
    ASSERT_EQ(lines.size(), 1);
    EXPECT_EQ(Fields(lines[0]), QByteArrayList{"/l/a.mpg"});
    EXPECT_EQ(timeText(3599.5), "1:00:00");
    EXPECT_EQ(timeText(std::nan("")), "");
    EXPECT_EQ(timeText(86400), "") << "beyond one day";
}

TEST(PlaylistXspf, TracksWithTitlesCoversAndVlcOptions) {
    const QByteArray text = R"(<?xml version="1.0" encoding="UTF-8"?>
<playlist xmlns="http://xspf.org/ns/0/" xmlns:vlc="http://www.videolan.org/vlc/playlist/ns/0/" version="1">
  <title>Not a track</title>
  <trackList>
    <track>
      <location>file:///movies/first%20clip.mp4</location>
      <title>Caf&#233; scene</title>
      <image>covers/first.png</image>
      <extension application="http://www.videolan.org/vlc/playlist/0">
        <vlc:id>0</vlc:id>
        <vlc:option>start-time=5</vlc:option>
        <vlc:option>stop-time=20</vlc:option>
      </extension>
    </track>
    <track><location>second.avi</location></track>
    <track><location>https://example.com/x.ogv</location></track>
  </trackList>
</playlist>)";
    const QByteArrayList lines = parseXspf(text, "/lists");
    ASSERT_EQ(lines.size(), 2);
    EXPECT_EQ(Fields(lines[0]), (QByteArrayList{"/movies/first clip.mp4",
                                                QString::fromUtf8("Café scene").toLocal8Bit(),
                                                "/lists/covers/first.png", "0:00:05", "0:00:20"}));
    EXPECT_EQ(Fields(lines[1]), QByteArrayList{"/lists/second.avi"});
    EXPECT_EQ(parseXspf("<playlist><trackList><track><location>a.mpg</location></track><tr", "/l"),
              QByteArrayList{"/l/a.mpg"})
        << "a damaged file keeps what came before the damage";
}

TEST(PlaylistM3u8, WrittenListReadsBackWithTheSameSelections) {
    QTemporaryDir folder;
    MovieList list;
    const QByteArray dir = QFile::encodeName(folder.path());
    QFile mls(folder.path() + "/in.mls");
    ASSERT_TRUE(mls.open(QIODevice::WriteOnly));
    mls.write("\"" + dir + "/a b.mpg\",\"Title, one\",,0:00:10,0:01:00\r\n" + dir +
              "/two.mp4,,,0:00:05,0:00:05\r\n" + dir + "/three.mkv,,,0:00:00\r\n");
    mls.close();
    list.AddMovies({dir + "/in.mls"}, false);
    ASSERT_EQ(list.MovieCount(), 3);
    list.SetMovieField(2, MovieList::kTitle, "Line\nBreak");

    const QByteArray text = formatM3u8(list, SimpleTimeMs);
    EXPECT_TRUE(
        text.startsWith("#EXTM3U\n#EXTINF:-1,Title, one\n#EXTVLCOPT:start-time=10\n"
                        "#EXTVLCOPT:stop-time=60\n" +
                        dir + "/a b.mpg\n"));
    EXPECT_FALSE(text.contains("stop-time=5\n")) << "a stop not after the start is the end";
    writeM3u8(dir + "/out.m3u8", list, SimpleTimeMs);

    MovieList back;
    back.AddMovies({dir + "/out.m3u8"}, false);
    ASSERT_EQ(back.MovieCount(), 3);
    EXPECT_EQ(Fields(back.Lines()[0]),
              (QByteArrayList{dir + "/a b.mpg", "Title, one", "", "0:00:10", "0:01:00"}));
    EXPECT_EQ(Fields(back.Lines()[1]), (QByteArrayList{dir + "/two.mp4", "two", "", "0:00:05"}))
        << "the default title is written as the title";
    EXPECT_EQ(back.GetMovieField(2, MovieList::kTitle), "Line Break");
    EXPECT_THROW(writeM3u8(dir + "/missing/out.m3u8", list, SimpleTimeMs), EFCreateError);
}

TEST(PlaylistFiles, OnlyPlaylistExtensionsAndReadableFiles) {
    EXPECT_TRUE(isPlaylist("a.M3U"));
    EXPECT_TRUE(isPlaylist("a.m3u8"));
    EXPECT_TRUE(isPlaylist("/x/a.XSPF"));
    EXPECT_FALSE(isPlaylist("a.mls"));
    EXPECT_FALSE(isPlaylist("m3u"));
    EXPECT_TRUE(isM3u8("list.M3U8"));
    EXPECT_FALSE(isM3u8("list.m3u"));
    QTemporaryDir folder;
    EXPECT_TRUE(read(QFile::encodeName(folder.path() + "/missing.m3u")).isEmpty());
    EXPECT_TRUE(read(QFile::encodeName(folder.path())).isEmpty()) << "a folder";
}

}  // namespace
}  // namespace cinevan
