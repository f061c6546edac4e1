#include <cdio/cdio.h>
#include <gtest/gtest.h>
#include <atomic>
#include <vector>

#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <thread>

#include "platform/DriveTable.h"
#include "playback/mci/vcd/VideoCdTrack.h"
#include "tests/playback/mci/FakeVideoCd.h"
#include "tests/support/MediaFixtures.h"

namespace cinevan::test {
namespace {

using mci::VideoCdTrack;

constexpr qint64 kSector = VideoCdTrack::kPayloadBytes;
// vcdimager leaves 30 empty sectors before a Video CD 2.0 track's MPEG stream.
constexpr qint64 kFrontMargin = 30 * kSector;

QByteArray fileBytes(const QString& path) {
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << path.toStdString();
    return file.readAll();
}

QByteArray readAt(VideoCdTrack& track, qint64 offset, qint64 count) {
    QByteArray bytes(count, '\0');
    const qint64 got = track.read(offset, bytes.data(), count);
    bytes.resize(std::max<qint64>(got, 0));
    return bytes;
}

class VideoCdTrackTest : public ::testing::Test {
protected:
    FakeVideoCd disc_;
    const QByteArray firstMpeg_ = fileBytes(mediaFixture("vcd-track1.mpg"));
    const QByteArray secondMpeg_ = fileBytes(mediaFixture("vcd-track2.mpg"));
};

TEST(VideoCdImage, TheGeneratedDiscHasXaMode2Tracks) {
    CdIo_t* disc =
        cdio_open(QFile::encodeName(mediaFixture("vcd.cue")).constData(), DRIVER_UNKNOWN);
    ASSERT_NE(disc, nullptr);
    EXPECT_EQ(cdio_get_num_tracks(disc), 3);
    for (track_t track = 2; track <= 3; ++track) {
        EXPECT_EQ(cdio_get_track_format(disc, track), TRACK_FORMAT_XA) << int(track);
    }
    cdio_destroy(disc);
}

TEST_F(VideoCdTrackTest, ATrackReadsAsTheMpegStreamOnTheDisc) {
    const auto track = VideoCdTrack::open(disc_.file("MPEGAV/AVSEQ01.DAT"));
    ASSERT_NE(track, nullptr);
    EXPECT_EQ(track->size() % kSector, 0);
    EXPECT_GE(track->size(), kFrontMargin + firstMpeg_.size());
    EXPECT_LT(track->size(), kFrontMargin + firstMpeg_.size() + 100 * kSector);
    EXPECT_EQ(readAt(*track, 0, kFrontMargin), QByteArray(kFrontMargin, '\0'));
    // Every MPEG pack of a Video CD fills one sector: pack headers begin the sectors.
    for (qint64 sector : {30, 31, 100}) {
        EXPECT_EQ(readAt(*track, sector * kSector, 4), QByteArray("\x00\x00\x01\xba", 4)) << sector;
    }
    EXPECT_EQ(readAt(*track, kFrontMargin, firstMpeg_.size()), firstMpeg_);
}

TEST_F(VideoCdTrackTest, ReadsAcrossSectorsMatchTheStreamAtAnyOffset) {
    const auto track = VideoCdTrack::open(disc_.file("MPEGAV/AVSEQ01.DAT"));
    ASSERT_NE(track, nullptr);
    QRandomGenerator random(7);
    for (int i = 0; i < 300; ++i) {
        const qint64 from = random.bounded(firstMpeg_.size());
        const qint64 count =
            std::min<qint64>(random.bounded(3 * kSector), firstMpeg_.size() - from);
        ASSERT_EQ(readAt(*track, kFrontMargin + from, count), firstMpeg_.mid(from, count))
            << "offset " << from << " count " << count;
    }
    // Exactly across one sector boundary, and reads going backwards out of the read-ahead.
    EXPECT_EQ(readAt(*track, kFrontMargin + kSector - 1, 2), firstMpeg_.mid(kSector - 1, 2));
    EXPECT_EQ(readAt(*track, kFrontMargin + 5, 10), firstMpeg_.mid(5, 10));
}

TEST_F(VideoCdTrackTest, ReadsAtAndPastTheEndAreShortOrEmpty) {
    const auto track = VideoCdTrack::open(disc_.file("MPEGAV/AVSEQ01.DAT"));
    ASSERT_NE(track, nullptr);
    const qint64 size = track->size();
    char bytes[64] = {};
    EXPECT_EQ(track->read(size - 5, bytes, sizeof bytes), 5);
    EXPECT_EQ(track->read(size, bytes, sizeof bytes), 0);
    EXPECT_EQ(track->read(size + 10 * kSector, bytes, sizeof bytes), 0);
    EXPECT_EQ(track->read(0, bytes, 0), 0);
    EXPECT_EQ(track->read(-1, bytes, sizeof bytes), -1);
    EXPECT_EQ(track->read(0, bytes, -1), -1);
    EXPECT_EQ(track->read(0, nullptr, 4), -1);
}

TEST_F(VideoCdTrackTest, EachTrackIsFoundByItsNameInAnyCase) {
    const auto second = VideoCdTrack::open(disc_.file("mpegav/avseq02.dat"));
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(readAt(*second, kFrontMargin, secondMpeg_.size()), secondMpeg_);
    const auto first = VideoCdTrack::open(disc_.file("MPEGAV/../MPEGAV/AvSeq01.Dat"));
    ASSERT_NE(first, nullptr);
    EXPECT_GT(first->size(), second->size()) << "6 s against 3 s";
}

TEST_F(VideoCdTrackTest, TracksOpenOnSeveralThreadsAtOnce) {
    // Both engines open tracks on threads of their own, and a list may hold several.
    const QString path = disc_.file("MPEGAV/AVSEQ01.DAT");
    std::atomic<int> opened = 0;
    std::vector<std::thread> threads;
    for (int t = 0; t < 6; ++t) {
        threads.emplace_back([&] {
            for (int i = 0; i < 15; ++i) {
                opened += VideoCdTrack::open(path) != nullptr;
            }
        });
    }
    for (std::thread& thread : threads) {
        thread.join();
    }
    EXPECT_EQ(opened, 90);
}

TEST_F(VideoCdTrackTest, OnlyTrackFilesOfCdRomDrivesAreReadRaw) {
    EXPECT_EQ(VideoCdTrack::open(disc_.hardDisk() + "/MPEGAV/AVSEQ01.DAT"), nullptr)
        << "not on a CD-ROM drive";
    EXPECT_EQ(VideoCdTrack::open(disc_.file("VCD/INFO.VCD")), nullptr) << "no track folder";
    EXPECT_EQ(VideoCdTrack::open(disc_.file("MPEGAV/AVSEQ09.DAT")), nullptr) << "not on disc";
    EXPECT_EQ(VideoCdTrack::open(disc_.file("AVSEQ01.DAT")), nullptr);
    EXPECT_EQ(VideoCdTrack::open(disc_.folder() + "/elsewhere/MPEGAV/AVSEQ01.DAT"), nullptr);
    EXPECT_EQ(VideoCdTrack::open(QString()), nullptr);

    EXPECT_TRUE(VideoCdTrack::isTrackName("MPEGAV/AVSEQ01.DAT"));
    EXPECT_TRUE(VideoCdTrack::isTrackName("mpeg2/avseq01.mpg"));
    EXPECT_FALSE(VideoCdTrack::isTrackName("MPEGAV/AVSEQ01.MPG"));
    EXPECT_FALSE(VideoCdTrack::isTrackName("DISC/MPEGAV/AVSEQ01.DAT"));
    EXPECT_FALSE(VideoCdTrack::isTrackName("MPEGAV/SUB/AVSEQ01.DAT"));
}

TEST(VideoCdBrokenImage, ADiscThatCannotBeReadIsNotTaken) {
    const QTemporaryDir images;
    const QString cue = images.path() + "/broken.cue";
    QByteArray sheet = fileBytes(mediaFixture("vcd.cue"));
    sheet.replace("vcd.bin", "broken.bin");
    FakeVideoCd::writeFile(cue, sheet);
    // The first sectors only: no file system, no tracks.
    FakeVideoCd::writeFile(images.path() + "/broken.bin",
                           fileBytes(mediaFixture("vcd.bin")).left(20 * 2352));
    const FakeVideoCd disc(cue);
    EXPECT_EQ(VideoCdTrack::open(disc.file("MPEGAV/AVSEQ01.DAT")), nullptr);

    FakeVideoCd::writeFile(images.path() + "/broken.bin", QByteArray(2000 * 2352, '\x5a'));
    EXPECT_EQ(VideoCdTrack::open(disc.file("MPEGAV/AVSEQ01.DAT")), nullptr);
    FakeVideoCd::writeFile(cue, "this is no cue sheet\n");
    EXPECT_EQ(VideoCdTrack::open(disc.file("MPEGAV/AVSEQ01.DAT")), nullptr);
}

TEST_F(VideoCdTrackTest, ThreadsReadingOneTrackEachGetTheirOwnBytes) {
    const auto track = VideoCdTrack::open(disc_.file("MPEGAV/AVSEQ01.DAT"));
    ASSERT_NE(track, nullptr);
    auto readAll = [&](qint64 step, QByteArray& out) {
        for (qint64 at = 0; at < firstMpeg_.size(); at += step) {
            out += readAt(*track, kFrontMargin + at, std::min(step, firstMpeg_.size() - at));
        }
    };
    QByteArray small;
    QByteArray large;
    std::thread a(readAll, 4096, std::ref(small));
    std::thread b(readAll, 65536, std::ref(large));
    a.join();
    b.join();
    EXPECT_EQ(small, firstMpeg_);
    EXPECT_EQ(large, firstMpeg_);
}

TEST(VideoCdUri, PathsSurviveTheRoundTrip) {
    for (const QString& path : {QStringLiteral("/media/video cd/MPEGAV/AVSEQ01.DAT"),
                                QStringLiteral("/tmp/100%/#?&=/Ñandú/mpegav/avseq02.dat")}) {
        const QByteArray uri = VideoCdTrack::uriFor(path);
        EXPECT_TRUE(uri.startsWith("cinevan-vcd:///")) << uri.constData();
        EXPECT_FALSE(uri.contains(' ') || uri.contains('#') || uri.contains('?'));
        EXPECT_EQ(VideoCdTrack::pathOfUri(uri), path);
    }
    EXPECT_EQ(VideoCdTrack::pathOfUri("file:///media/cd/MPEGAV/AVSEQ01.DAT"), QString());
    EXPECT_EQ(VideoCdTrack::pathOfUri("cinevan-vcd://"), QString());
}

}  // namespace
}  // namespace cinevan::test
