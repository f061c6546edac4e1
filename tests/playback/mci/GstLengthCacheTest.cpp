#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>
#include <cstdlib>

#include "playback/mci/gst/GstDevice.h"
#include "playback/mci/gst/GstEndProbe.h"
#include "playback/mci/gst/GstLengthCache.h"
#include "tests/support/MediaFixtures.h"

namespace cinevan::test {

using mci::gst::GstLengthCache;
using mci::gst::GstMeasuredLength;
using mci::gst::GstMovieIdentity;

namespace {

const QDateTime kNoon(QDate(2026, 5, 1), QTime(12, 0), Qt::UTC);

GstMovieIdentity movie(const char* path, qint64 size = 1000, QDateTime modified = kNoon) {
    return {QString::fromLatin1(path), size, std::move(modified)};
}

GstMeasuredLength measured(qint64 lengthMs) {
    return {QSize(352, 288), 500 * GST_MSECOND, lengthMs * GST_MSECOND - 40 * GST_MSECOND,
            lengthMs};
}

std::optional<qint64> lengthOf(GstLengthCache& cache, const GstMovieIdentity& identity) {
    const auto found = cache.find(identity, QSize(352, 288), 500 * GST_MSECOND);
    return found ? std::optional(found->lengthMs) : std::nullopt;
}

// Copies a fixture to `path`, replacing what was there.
void copyFixture(const char* fixture, const QString& path) {
    QFile::remove(path);
    ASSERT_TRUE(QFile::copy(mediaFixture(fixture), path));
}

struct Opened {
    quint32 lengthMs = 0;
    int probes = 0;  // end probes the open ran
};

Opened openOnce(const QString& path) {
    const int before = mci::gst::videoEndProbeCount();
    mci::GstDevice device;
    Opened opened;
    EXPECT_EQ(device.openElement(path, QDeadlineTimer(30000)), mci::Error::None);
    EXPECT_EQ(device.statusLength(opened.lengthMs), mci::Error::None);
    opened.probes = mci::gst::videoEndProbeCount() - before;
    return opened;
}

}  // namespace

TEST(GstLengthCache, KnowsAMovieOnlyAsItWasMeasured) {
    GstLengthCache cache(8);
    cache.remember(movie("/m/a.mpg"), measured(10040));
    EXPECT_EQ(lengthOf(cache, movie("/m/a.mpg")), 10040);
    EXPECT_EQ(lengthOf(cache, movie("/m/a.mpg", 1001)), std::nullopt);
    EXPECT_EQ(lengthOf(cache, movie("/m/a.mpg", 1000, kNoon.addSecs(1))), std::nullopt);
    EXPECT_EQ(lengthOf(cache, movie("/m/b.mpg")), std::nullopt);
    // The same file that opens with another first time stamp or picture size is another movie.
    EXPECT_EQ(cache.find(movie("/m/a.mpg"), QSize(352, 288), 0), std::nullopt);
    EXPECT_EQ(cache.find(movie("/m/a.mpg"), QSize(480, 576), 500 * GST_MSECOND), std::nullopt);
    EXPECT_EQ(lengthOf(cache, GstMovieIdentity{}), std::nullopt);

    // Measured again after a change, the file has its new length only.
    cache.remember(movie("/m/a.mpg", 2000), measured(20000));
    EXPECT_EQ(lengthOf(cache, movie("/m/a.mpg", 2000)), 20000);
    EXPECT_EQ(lengthOf(cache, movie("/m/a.mpg")), std::nullopt);
}

TEST(GstLengthCache, ForgetsTheLeastRecentlyUsedMovie) {
    GstLengthCache cache(2);
    cache.remember(movie("/m/a.mpg"), measured(1000));
    cache.remember(movie("/m/b.mpg"), measured(2000));
    EXPECT_EQ(lengthOf(cache, movie("/m/a.mpg")), 1000);  // a is now the most recent
    cache.remember(movie("/m/c.mpg"), measured(3000));
    EXPECT_EQ(lengthOf(cache, movie("/m/a.mpg")), 1000);
    EXPECT_EQ(lengthOf(cache, movie("/m/b.mpg")), std::nullopt);
    EXPECT_EQ(lengthOf(cache, movie("/m/c.mpg")), 3000);
}

TEST(GstLengthCache, IdentityFollowsTheFileOnDisk) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath("movie.mpg");
    EXPECT_TRUE(GstMovieIdentity::of(path).isNull());
    copyFixture("clip-mpeg1.mpg", path);
    const GstMovieIdentity first = GstMovieIdentity::of(path);
    EXPECT_EQ(first.size, QFileInfo(path).size());
    EXPECT_EQ(GstMovieIdentity::of(path), first);
    // A track read from its sectors is as long as its payload, not as its file.
    EXPECT_EQ(GstMovieIdentity::of(path, 2324 * 10).size, 2324 * 10);

    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    ASSERT_TRUE(file.setFileTime(first.modified.addSecs(-60), QFileDevice::FileModificationTime));
    file.close();
    EXPECT_NE(GstMovieIdentity::of(path), first);
}

// Opening the same movie again (a list that loops) takes the length measured before; a file
// written again in between is measured again.
TEST(GstLengthCache, AnUnchangedMovieIsMeasuredOnce) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath("movie.mpg");
    copyFixture("clip-mpeg1.mpg", path);

    const Opened first = openOnce(path);
    EXPECT_EQ(first.probes, 1);
    const Opened again = openOnce(path);
    EXPECT_EQ(again.probes, 0);
    EXPECT_EQ(again.lengthMs, first.lengthMs);

    copyFixture("short-mpeg1.mpg", path);
    const Opened replaced = openOnce(path);
    EXPECT_EQ(replaced.probes, 1);
    EXPECT_LT(replaced.lengthMs, first.lengthMs);
    EXPECT_EQ(openOnce(mediaFixture("short-mpeg1.mpg")).lengthMs, replaced.lengthMs);

    // Same size, other modification time: measured again too.
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    ASSERT_TRUE(file.setFileTime(QDateTime::currentDateTimeUtc().addSecs(-3600),
                                 QFileDevice::FileModificationTime));
    file.close();
    EXPECT_EQ(openOnce(path).probes, 1);
    EXPECT_EQ(openOnce(path).probes, 0);
}

// The program may end while an open on a thread of its own still asks the cache: the exit
// handlers must not have destroyed it. An exit handler registered before the cache was first
// used runs after the cache's own destructor would.
TEST(GstLengthCacheDeathTest, TheSharedCacheOutlivesTheExitHandlers) {
    EXPECT_EXIT(
        {
            std::atexit([] {
                const auto found = lengthOf(GstLengthCache::shared(), movie("/movies/a.mpg"));
                std::_Exit(found == std::optional<qint64>(4000) ? 0 : 3);
            });
            // The movie looked for is the oldest, behind every other entry.
            GstLengthCache::shared().remember(movie("/movies/a.mpg"), measured(4000));
            for (int i = 0; i < 8; ++i) {
                GstLengthCache::shared().remember(movie("/movies/b.mpg", 1000 + i), measured(i));
            }
            std::exit(1);
        },
        ::testing::ExitedWithCode(0), "");
}

}  // namespace cinevan::test
