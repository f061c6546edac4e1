#include "playback/Selection.h"

#include <gtest/gtest.h>

namespace cinevan {
namespace {

const TimeLocale kLocale{QStringLiteral("AM"), QStringLiteral("PM"), u':',
                         QStringLiteral("HH:mm:ss")};

Selection Of(const char* start, const char* stop, quint32 lengthMs) {
    return Selection::FromEntry(QString::fromLatin1(start), QString::fromLatin1(stop), lengthMs,
                                kLocale);
}

TEST(SelectionTest, StartWithoutStopRunsToTheEndOfTheMovie) {
    const Selection s = Of("0:01:00", "", 600000);
    EXPECT_EQ(s.startMs, 60000);
    EXPECT_EQ(s.stopMs, 600000);
    EXPECT_EQ(s.startSec, 60);
    EXPECT_EQ(s.stopSec, 600);
    EXPECT_EQ(s.TrackBarMaximum(), 540);
}

TEST(SelectionTest, AStopNotLaterThanTheStartRunsToTheEnd) {
    EXPECT_EQ(Of("0:01:00", "0:01:00", 90500).stopMs, 90500);
    EXPECT_EQ(Of("0:01:00", "0:00:30", 90500).stopMs, 90500);
    EXPECT_EQ(Of("", "", 90500).stopMs, 90500);
    EXPECT_EQ(Of("abc", "0:00:30", 90500).stopMs, 30000) << "an invalid start reads as 0";
}

TEST(SelectionTest, AStopBeyondTheLengthIsKept) {
    EXPECT_EQ(Of("", "0:05:00", 60000).stopMs, 300000);
}

TEST(SelectionTest, WholeSecondsRoundHalvesToEven) {
    const Selection a = Of("", "", 124500);
    EXPECT_EQ(a.stopSec, 124);
    EXPECT_EQ(a.stopMs, 124500);
    const Selection b = Of("", "", 125500);
    EXPECT_EQ(b.stopSec, 126);
    EXPECT_EQ(b.stopMs, 125500);
    EXPECT_EQ(Of("", "", 600400).stopSec, 600);
    EXPECT_EQ(Of("", "", 600600).stopSec, 601);
}

TEST(SelectionTest, PageSizeGrowsWithTheRange) {
    EXPECT_EQ(Selection::PageSizeFor(Of("", "", 59000).TrackBarMaximum()), 10);
    EXPECT_EQ(Selection::PageSizeFor(Of("", "", 45 * 60000).TrackBarMaximum()), 60);
    EXPECT_EQ(Selection::PageSizeFor(Of("", "", 3 * 3600000).TrackBarMaximum()), 600);
    EXPECT_EQ(Selection::PageSizeFor(0), 10);
    EXPECT_EQ(Selection::PageSizeFor(60), 10);
    EXPECT_EQ(Selection::PageSizeFor(61), 60);
    EXPECT_EQ(Selection::PageSizeFor(3600), 60);
    EXPECT_EQ(Selection::PageSizeFor(3601), 600);
    EXPECT_EQ(Selection::PageSizeFor(36000), 600);
    EXPECT_EQ(Selection::PageSizeFor(36001), 6000);
}

}  // namespace
}  // namespace cinevan
