#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <optional>

#include "app/AlterEgo.h"
#include "playback/mci/simulated/SimulatedDevice.h"
#include "tests/support/HangingShare.h"
#include "tests/support/SimulatedWindows.h"
#include "ui/Main.h"

namespace cinevan {
namespace {

QByteArray MountField(const QString& path) {
    QByteArray field = QFile::encodeName(QDir::cleanPath(path));
    field.replace('\\', "\\134").replace(' ', "\\040").replace('\t', "\\011");
    return field.replace('\n', "\\012");
}

// The main window on simulated devices, with a fake mount table in which the drive of the
// program and a disc folder are mounted.
class VideoCDButtonTest : public test::SimulatedWindowsTest {
protected:
    void SetUp() override {
        for (const char* device : {"sda", "sr0", "sr1"}) {
            ASSERT_TRUE(QDir().mkpath(folder_.path() + "/block/" + device));
        }
        ASSERT_TRUE(QDir().mkpath(Disc()));
        qputenv("CINEVAN_MOUNTS", QFile::encodeName(folder_.path() + "/mounts"));
        qputenv("CINEVAN_SYS_BLOCK", QFile::encodeName(folder_.path() + "/block"));
        Mount(false);
        ASSERT_TRUE(ShowActive(CreateMain()));
    }

    void TearDown() override {
        DestroyWindows();
        qunsetenv("CINEVAN_MOUNTS");
        qunsetenv("CINEVAN_SYS_BLOCK");
    }

    QString Disc() const { return folder_.path() + "/disc"; }
    static QString OptionsFile() { return CompanionFile(ProgramFilePath(), ".ini"); }

    // The disc is in CD-ROM drive sr1, mounted at `disc` (Disc() unless given); the program's
    // folder is on sr0 or on a hard disk.
    void Mount(bool programOnCd, const QString& disc = {}) {
        QFile mounts(folder_.path() + "/mounts");
        ASSERT_TRUE(mounts.open(QIODevice::WriteOnly | QIODevice::Truncate));
        const QByteArray program = programOnCd ? "/dev/sr0 " : "/dev/sda1 ";
        mounts.write(program + MountField(QCoreApplication::applicationDirPath()) +
                     " iso9660 ro 0 0\n/dev/sr1 " + MountField(disc.isEmpty() ? Disc() : disc) +
                     " iso9660 ro 0 0\n");
    }

    // A Video CD with two tracks; their paths in the order the folder lists them.
    QByteArrayList InsertVideoCD() {
        for (const char* name : {"AVSEQ01.DAT", "AVSEQ02.DAT"}) {
            QFile file(Disc() + "/MPEGAV/" + name);
            EXPECT_TRUE(QDir().mkpath(Disc() + "/MPEGAV"));
            EXPECT_TRUE(file.open(QIODevice::WriteOnly));
            file.write("movie");
        }
        QByteArrayList tracks;
        QDirIterator it(Disc() + "/MPEGAV", QDir::Files);
        while (it.hasNext()) {
            tracks.append(QFile::encodeName(it.next()));
        }
        return tracks;
    }

    QByteArrayList ListedFiles() {
        QByteArrayList files;
        const MovieList& list = Player().List();
        for (int i = 0; i < list.MovieCount(); ++i) {
            files.append(list.GetMovieField(i, 0));
        }
        return files;
    }
};

TEST_F(VideoCDButtonTest, TheButtonLoadsTheDiscsTracksAndPlays) {
    const QByteArrayList tracks = InsertVideoCD();
    const QString movie = folder_.path() + "/other.mpg";
    QFile(movie).open(QIODevice::WriteOnly);
    main_->Player().ProcessCommandLine({movie, "/play"});
    ASSERT_TRUE(main_->Player().CloseAtEnd());

    QTest::mouseClick(main_->BitBtnVideoCD, Qt::LeftButton);
    EXPECT_EQ(ListedFiles(), tracks) << "the list is replaced";
    EXPECT_EQ(main_->Player().List().Current(), 0);
    EXPECT_EQ(main_->Player().State(), PlayState::Playing);
    EXPECT_FALSE(main_->Player().CloseAtEnd());
    EXPECT_TRUE(main_->BitBtnNext->isEnabled());
}

TEST_F(VideoCDButtonTest, AltVLoadsTheDiscToo) {
    const QByteArrayList tracks = InsertVideoCD();
    QTest::keyClick(main_.get(), Qt::Key_V, Qt::AltModifier);
    EXPECT_EQ(ListedFiles(), tracks);
    EXPECT_EQ(main_->Player().State(), PlayState::Playing);
}

TEST_F(VideoCDButtonTest, WithoutADiscNothingChanges) {
    const QString movie = folder_.path() + "/other.mpg";
    QFile(movie).open(QIODevice::WriteOnly);
    main_->Player().ProcessCommandLine({movie, "/play"});
    ASSERT_EQ(main_->Player().State(), PlayState::Playing);
    QTest::mouseClick(main_->BitBtnVideoCD, Qt::LeftButton);
    EXPECT_EQ(ListedFiles(), QByteArrayList{QFile::encodeName(movie)});
    EXPECT_EQ(main_->Player().State(), PlayState::Playing);
    EXPECT_FALSE(main_->Player().CloseAtEnd());
}

TEST_F(VideoCDButtonTest, ADriveThatNeverAnswersHoldsNothingUp) {
    std::optional<test::HangingShare> share(std::in_place);
    if (!share->mounted()) {
        GTEST_SKIP() << "FUSE cannot be mounted here";
    }
    Mount(false, share->path(QStringLiteral("disc")));
    const QString movie = folder_.path() + "/other.mpg";
    QFile(movie).open(QIODevice::WriteOnly);
    main_->Player().ProcessCommandLine({movie});
    ASSERT_EQ(main_->Player().State(), PlayState::Playing);

    bool fired = false;
    QTimer::singleShot(0, [&] { fired = true; });
    QTest::mouseClick(main_->BitBtnVideoCD, Qt::LeftButton);
    EXPECT_TRUE(QTest::qWaitFor([&] { return fired; }, 5000)) << "the event loop runs";
    EXPECT_EQ(ListedFiles(), QByteArrayList{QFile::encodeName(movie)});

    // The drive answers at last, with an error: still no disc, and nothing changes.
    share.reset();
    QTest::qWait(1000);
    EXPECT_EQ(ListedFiles(), QByteArrayList{QFile::encodeName(movie)});
    EXPECT_EQ(main_->Player().State(), PlayState::Playing);
}

// One test only writes the options file next to the test program, so that test processes
// running side by side never see it.
TEST_F(VideoCDButtonTest, AutoStartNeedsACdDriveAndAnEmptyList) {
    const QByteArrayList tracks = InsertVideoCD();
    QFile options(OptionsFile());
    ASSERT_TRUE(options.open(QIODevice::WriteOnly));
    const std::unique_ptr<QFile, void (*)(QFile*)> removeOptions(&options,
                                                                 [](QFile* f) { f->remove(); });
    options.write("[Options]\nVideoCDAuto=1\n");
    options.close();

    Mount(false);
    main_->TimerOpenTimer();
    EXPECT_TRUE(ListedFiles().isEmpty()) << "the program runs from a hard disk";

    Mount(true);
    const QString movie = folder_.path() + "/other.mpg";
    QFile(movie).open(QIODevice::WriteOnly);
    main_->SetCommandLine({movie});
    main_->TimerOpenTimer();
    EXPECT_EQ(ListedFiles(), QByteArrayList{QFile::encodeName(movie)}) << "the list is not empty";

    main_->Player().ClearMovies();
    main_->SetCommandLine({});
    main_->TimerOpenTimer();
    EXPECT_EQ(ListedFiles(), tracks);
    EXPECT_EQ(main_->Player().State(), PlayState::Playing);
}

}  // namespace
}  // namespace cinevan
