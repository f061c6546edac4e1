#include <gtest/gtest.h>

#include <QProcess>
#include <QString>

#include "platform/MallocArenas.h"

namespace {

// Runs the probe in a fresh process: the limit only holds when set before threads exist.
QString arenasInProbe(int limit) {
    QProcess probe;
    probe.start(QStringLiteral(CINEVAN_ARENA_PROBE), {QString::number(limit)});
    if (!probe.waitForFinished(30000) || probe.exitCode() != 0) {
        return QStringLiteral("probe failed: ") +
               QString::fromLocal8Bit(probe.readAllStandardError());
    }
    return QString::fromLatin1(probe.readAllStandardOutput()).trimmed();
}

}  // namespace

TEST(MallocArenas, threadsHoldingMemoryAtOnceShareTheLimitedArenas) {
    const QString limited = arenasInProbe(cinevan::kMovieMallocArenas);
    if (limited == QLatin1String("unsupported")) {
        GTEST_SKIP() << "the allocator of this build (a sanitizer's) has no arenas to limit";
    }
    // Without the limit each thread gets an arena of its own: the probe sees them.
    bool counted = false;
    const int unlimited = arenasInProbe(0).toInt(&counted);
    ASSERT_TRUE(counted);
    EXPECT_GT(unlimited, cinevan::kMovieMallocArenas);

    EXPECT_EQ(limited, QString::number(cinevan::kMovieMallocArenas));
    EXPECT_EQ(arenasInProbe(2), QStringLiteral("2"));
}

TEST(MallocArenas, aLimitBelowOneIsRefused) {
    EXPECT_FALSE(cinevan::limitMallocArenas(0));
    EXPECT_FALSE(cinevan::limitMallocArenas(-3));
}
