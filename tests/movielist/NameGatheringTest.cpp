// Names given to the movie list, and lists saved, on storage that stops answering: what becomes
// of them, and that the thread asking is never held up for long while the healthy names still
// come in.

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <atomic>
#include <optional>
#include <thread>

#include "movielist/ListSaver.h"
#include "movielist/MovieAdder.h"
#include "movielist/MovieList.h"
#include "movielist/MovieListErrors.h"
#include "movielist/NameGathering.h"
#include "platform/BoundedCall.h"
#include "platform/StallingWorker.h"
#include "tests/support/CurrentFolder.h"
#include "tests/support/Files.h"
#include "tests/support/HangingShare.h"

namespace cinevan {
namespace {

using namespace std::chrono_literals;

// Leaves the share and waits until every lookup left hanging on it has ended.
void Unmount(std::optional<test::HangingShare>& share) {
    share.reset();
    EXPECT_TRUE(QTest::qWaitFor([] { return boundedWorkRunning == 0; }, 20000))
        << "the lookups left waiting end with the share";
}

TEST(StallingWork, WorkThatGoesOnIsWaitedForAndWorkThatStallsIsGivenUpForTheNext) {
    StallingWorker worker(500ms);
    // Forty steps of 25 ms take far longer than the 500 ms allowed without a step.
    EXPECT_TRUE(worker.Run([](std::atomic<int>& steps) {
        for (int i = 0; i < 40; ++i) {
            std::this_thread::sleep_for(25ms);
            ++steps;
        }
    }));
    const auto release = std::make_shared<std::atomic<bool>>(false);
    EXPECT_FALSE(worker.Run([release](std::atomic<int>& steps) {
        ++steps;
        while (!*release) {
            std::this_thread::sleep_for(5ms);
        }
    }));
    EXPECT_EQ(boundedWorkRunning, 1) << "the stalled piece is still running";
    // The next piece does not wait behind the stalled one.
    int answer = 0;
    EXPECT_TRUE(worker.Run([&answer](std::atomic<int>&) { answer = 42; }));
    EXPECT_EQ(answer, 42);
    *release = true;
    EXPECT_TRUE(QTest::qWaitFor([] { return boundedWorkRunning == 0; }, 5000));
}

// Healthy files in a temporary folder beside a share that never answers.
class DeadShareTest : public ::testing::Test {
protected:
    void SetUp() override {
        share_.emplace();
        if (!share_->mounted()) {
            GTEST_SKIP() << "FUSE cannot be mounted here";
        }
        ASSERT_TRUE(QDir().mkpath(dir_.filePath(QStringLiteral("clips"))));
        for (const char* name : {"a.mpg", "clips/c2.mpg", "clips/c1.mpg"}) {
            test::WriteFile(dir_.filePath(QString::fromLatin1(name)), "movie");
        }
        test::WriteFile(dir_.filePath(QStringLiteral("list.mls")), "b.mpg,B\r\n");
    }
    void TearDown() override {
        if (share_ && share_->mounted()) {
            Unmount(share_);
        }
    }

    QByteArray local(const char* name) const {
        return QFile::encodeName(dir_.filePath(QString::fromLatin1(name)));
    }
    QByteArray dead(const char* name) const {
        return QFile::encodeName(share_->path(QString::fromLatin1(name)));
    }
    QByteArray quoted(const QByteArray& name) const { return '"' + name + '"'; }
    QByteArray folder() const { return QFile::encodeName(dir_.path()) + '/'; }

    test::CurrentFolderGuard folderGuard_;
    QTemporaryDir dir_;
    std::optional<test::HangingShare> share_;
};

TEST_F(DeadShareTest, AStalledNameIsTakenAsMissingAndItsFolderIsNotWaitedForAgain) {
    NameGatherer gatherer(folder(), 300ms);
    // A movie list or playlist that cannot be read adds nothing.
    for (const char* name : {"list.mls", "list.m3u", "list.xspf"}) {
        const GatheredEntries entries = gatherer.Gather(dead(name));
        EXPECT_TRUE(entries.lines.isEmpty()) << name;
        EXPECT_EQ(entries.baseFolder, QFile::encodeName(share_->path({})));
    }
    // Any other name, a folder too, is an entry of its own that plays as a missing file.
    EXPECT_EQ(gatherer.Gather(dead("movies")).lines, QByteArrayList{quoted(dead("movies"))});
    EXPECT_EQ(gatherer.Gather(dead("x.mpg")).lines, QByteArrayList{quoted(dead("x.mpg"))});
    // Only the first lookup on the share was started: it is still hanging.
    EXPECT_EQ(boundedWorkRunning, 1);

    EXPECT_EQ(gatherer.Gather(local("clips")).lines,
              (QByteArrayList{quoted(local("clips/c1.mpg")), quoted(local("clips/c2.mpg"))}));
    const GatheredEntries list = gatherer.Gather(local("list.mls"));
    EXPECT_EQ(list.lines, QByteArrayList{"b.mpg,B"});
    EXPECT_EQ(list.baseFolder, folder());
    EXPECT_FALSE(gatherer.EnterFolderOf(dead("x.mpg"))) << "the share's folder is not entered";
    EXPECT_TRUE(gatherer.EnterFolderOf(local("a.mpg")));
}

// A movie list filled through the adder, recording each time entries arrive.
class AdderTest : public DeadShareTest {
protected:
    MovieAdder::Apply Apply() {
        return [this](const GatheredNames& names) {
            ++applied_;
            list_.AppendGathered(names);
        };
    }
    QByteArrayList FileNames() const {
        QByteArrayList names;
        for (int i = 0; i < list_.MovieCount(); ++i) {
            names.append(list_.GetMovieField(i, MovieList::kFileName));
        }
        return names;
    }

    MovieList list_;
    int applied_ = 0;
    bool done_ = false;
};

TEST_F(AdderTest, HealthyNamesComeInWholeAndInOrder) {
    MovieAdder adder;
    adder.Add({local("a.mpg"), local("list.mls"), local("clips")}, true, Apply(),
              [this](bool) { done_ = true; });
    ASSERT_TRUE(QTest::qWaitFor([this] { return done_; }, 30000));
    EXPECT_FALSE(adder.Busy());
    EXPECT_EQ(FileNames(), (QByteArrayList{local("a.mpg"), local("b.mpg"), local("clips/c1.mpg"),
                                           local("clips/c2.mpg")}));
    EXPECT_EQ(list_.Current(), 0);
    EXPECT_EQ(moviepath::currentFolder(), folder().chopped(1));
}

TEST_F(AdderTest, NamesOnADeadShareLetTheEventLoopRunAndTheHealthyOnesComeInOrder) {
    MovieAdder adder;
    std::optional<bool> doneWhenTimerFired;
    QTimer::singleShot(0, [&] { doneWhenTimerFired = done_; });
    adder.Add({local("a.mpg"), dead("list.mls"), dead("list.m3u"), dead("movies"), local("clips"),
               dead("x.mpg"), local("list.mls")},
              false, Apply(), [this](bool late) { done_ = late; });
    EXPECT_FALSE(done_);
    EXPECT_TRUE(adder.Busy());

    ASSERT_TRUE(QTest::qWaitFor([this] { return done_; }, 30000)) << "done, and late";
    EXPECT_EQ(doneWhenTimerFired, false) << "the event loop ran while the share was waited for";
    EXPECT_GT(applied_, 1) << "the names came in as they were ready";
    EXPECT_EQ(FileNames(), (QByteArrayList{local("a.mpg"), dead("movies"), local("clips/c1.mpg"),
                                           local("clips/c2.mpg"), dead("x.mpg"), local("b.mpg")}));
    EXPECT_FALSE(adder.Busy());
}

TEST_F(AdderTest, RequestsKeepTheirOrderAndCancellingDropsWhatIsStillToCome) {
    MovieAdder adder;
    int secondDone = 0;
    adder.Add({dead("x.mpg"), local("a.mpg")}, false, Apply(), [this](bool) { done_ = true; });
    adder.Add({local("list.mls")}, false, Apply(), [&](bool) { ++secondDone; });
    ASSERT_TRUE(QTest::qWaitFor([&] { return secondDone == 1; }, 30000));
    EXPECT_TRUE(done_);
    EXPECT_EQ(FileNames(), (QByteArrayList{dead("x.mpg"), local("a.mpg"), local("b.mpg")}));

    // The share's folder is looked at afresh by a new request, which stalls again.
    list_.Clear();
    done_ = false;
    adder.Add({dead("y.mpg"), local("a.mpg")}, false, Apply(), [this](bool) { done_ = true; });
    adder.Add({local("list.mls")}, false, Apply(), [&](bool) { ++secondDone; });
    ASSERT_TRUE(adder.Busy());
    adder.CancelAll();
    EXPECT_FALSE(adder.Busy());
    // Long enough for the stalled lookup to be given up and the rest to be gathered.
    QTest::qWait(static_cast<int>(kNameLookupStall.count()) + 1000);
    EXPECT_FALSE(done_);
    EXPECT_EQ(secondDone, 1);
    EXPECT_EQ(list_.MovieCount(), 0);
}

TEST_F(AdderTest, AnAdderMayGoWhileItsNamesAreStillBeingLookedAt) {
    {
        MovieAdder adder;
        adder.Add({dead("x.mpg"), local("a.mpg")}, true, Apply(), [this](bool) { done_ = true; });
        EXPECT_TRUE(adder.Busy());
    }
    QTest::qWait(static_cast<int>(kNameLookupStall.count()) + 1000);
    EXPECT_FALSE(done_);
    EXPECT_EQ(list_.MovieCount(), 0);
}

TEST(ListSaving, SavesEndingAtOnceAreReportedAsPlainWritesAre) {
    QTemporaryDir dir;
    ListSaver saver;
    const QByteArray target = QFile::encodeName(dir.filePath(QStringLiteral("saved.mls")));
    int failures = 0;
    saver.Save(target, "a\r\n", [&](const QString&) { ++failures; });
    EXPECT_EQ(test::ReadFile(dir.filePath(QStringLiteral("saved.mls"))), "a\r\n");
    const QByteArray nowhere = QFile::encodeName(dir.filePath(QStringLiteral("no/saved.mls")));
    try {
        saver.Save(nowhere, "a\r\n", [&](const QString&) { ++failures; });
        ADD_FAILURE() << "no exception";
    } catch (const EFCreateError& error) {
        EXPECT_EQ(QByteArray(error.what()), "Cannot create file " + nowhere);
    }
    QTest::qWait(50);
    EXPECT_EQ(failures, 0) << "reported once, by the exception";
    EXPECT_EQ(saver.Pending(), 0);
}

TEST_F(DeadShareTest, ASaveToTheShareIsReportedFailedWhileTheEventLoopRuns) {
    ListSaver saver(nullptr, 1000ms);
    const QByteArray target = dead("saved.mls");
    std::optional<QString> failure;
    std::optional<bool> failedWhenTimerFired;
    QTimer::singleShot(0, [&] { failedWhenTimerFired = failure.has_value(); });
    saver.Save(target, "a\r\n", [&](const QString& message) { failure = message; });
    EXPECT_EQ(saver.Pending(), 1);
    ASSERT_TRUE(QTest::qWaitFor([&] { return failure.has_value(); }, 20000));
    EXPECT_EQ(failedWhenTimerFired, false);
    EXPECT_EQ(*failure, QFile::decodeName("Cannot create file " + target));
    EXPECT_EQ(saver.Pending(), 0);
    // The write left behind ends with the share, and reports nothing more.
    Unmount(share_);
    QTest::qWait(100);
    EXPECT_EQ(*failure, QFile::decodeName("Cannot create file " + target));
}

}  // namespace
}  // namespace cinevan
