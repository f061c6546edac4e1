#include <gtest/gtest.h>

#include <QProcess>
#include <QString>
#include <cstdlib>
#include <string>

#include "platform/MallocArenas.h"

namespace {

// Runs the probe in a fresh process: the limit only holds when set before threads exist.
std::string arenasInProbe(int limit) {
    QProcess probe;
    probe.start(QStringLiteral(CINEVAN_ARENA_PROBE), {QString::number(limit)});
    if (!probe.waitForFinished(30000) || probe.exitCode() != 0) {
        return "probe failed: " + probe.readAllStandardError().toStdString();
    }
    return probe.readAllStandardOutput().trimmed().toStdString();
}

}  // namespace

TEST(MallocArenas, threadsHoldingMemoryAtOnceShareTheLimitedArenas) {
    const std::string limited = arenasInProbe(cinevan::kMovieMallocArenas);
    if (limited == "unsupported") {
        GTEST_SKIP() << "the allocator of this build (a sanitizer's) has no arenas to limit";
    }
    // Without the limit each thread gets an arena of its own: the probe sees them.
    const std::string unlimited = arenasInProbe(0);
    EXPECT_GT(std::atoi(unlimited.c_str()), cinevan::kMovieMallocArenas) << unlimited;

    EXPECT_EQ(limited, std::to_string(cinevan::kMovieMallocArenas));
    EXPECT_EQ(arenasInProbe(2), "2");
}

TEST(MallocArenas, aLimitBelowOneIsRefused) {
    EXPECT_FALSE(cinevan::limitMallocArenas(0));
    EXPECT_FALSE(cinevan::limitMallocArenas(-3));
}
